#include "TableDraw.h"

#include "Evening.h"
#include "RandomSource.h"
#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Deals.h"
#include "db/Departures.h"
#include "db/KeyStore.h"
#include "db/SqlDialect.h"
#include "db/Tournament.h"
#include "db/Transaction.h"
#include "ui/BackupFirst.h"
#include "ui/MessageBox.h"

#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace draw {
namespace {

const QString kErreur = QStringLiteral("Erreur");
const QString kTitle = QStringLiteral("Constitution des équipes");
const QString kImpossible = QStringLiteral("\n\nConstitution des tables impossible !!");

// The players as the draw needs them, read once. Throws DbError.
struct Players {
    QList<Placement> bySurname; // the participants: the lowest numbers, in surname order
    QList<qint64> rowids;       // of every registration, participant or not
    QStringList sittingOut;     // the others, in number order
};

Players readPlayers(db::Connection& connection, int participants) {
    Players players;
    QList<Placement>& bySurname = players.bySurname;
    auto read = connection.prepare(db::toNative(QStringLiteral(
        "SELECT rowid, CodeIndividuel, Nom || ' ' || Prenom FROM Inscriptions order by Nom")));
    QHash<qint64, QString> names;
    while (read->step()) {
        Placement p;
        p.rowid = read->columnInt64(0);
        p.number = static_cast<int>(read->columnInt64(1));
        bySurname.append(p);
        players.rowids.append(p.rowid);
        names.insert(p.rowid, read->column(2).toString());
    }
    if (bySurname.size() > participants) {
        QList<Placement> numbered = bySurname;
        std::sort(numbered.begin(), numbered.end(), byNumber);
        const Placement& last = numbered.at(participants - 1);
        bySurname.removeIf([&last](const Placement& p) { return byNumber(last, p); });
        for (qsizetype i = participants; i < numbered.size(); ++i)
            players.sittingOut.append(QStringLiteral("n° %1 %2")
                                          .arg(numbered[i].number)
                                          .arg(names.value(numbered[i].rowid)));
    }
    return players;
}

// Whether the file keeps the choice to avoid repeats: a file not brought up to date (only a
// test makes one) draws as the first build did.
bool hasChoice(db::Connection& connection) {
    for (const db::ColumnInfo& column : connection.columns(QStringLiteral("Parametres")))
        if (column.name.compare(u"EviterRencontres", Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The stored number of rounds, or a message saying why there is none to draw with.
struct Rounds {
    int count = 0;
    QString fault;
};

Rounds storedRounds(db::DataControl& data, const QString& databasePath) {
    db::RecordSet& row = data.Refresh(databasePath, QStringLiteral("Parametres"));
    const QVariant value = row.Eof() ? QVariant() : row.Fields(QStringLiteral("MANCHES")).Value();
    const QString correct =
        QStringLiteral(" : fixez-le par le menu Paramètres, Manches et parties !!!");
    if (value.isNull() || value.toString().trimmed().isEmpty())
        return {0, QStringLiteral("Aucun nombre de manches n'est enregistré") + correct};
    bool number = false;
    const double rounds = value.toDouble(&number);
    if (!number || rounds != std::floor(rounds) || rounds < 1 || rounds > db::kMaxRounds)
        return {0, QStringLiteral("Le nombre de manches enregistré (%1) n'est pas compris entre "
                                  "1 et %2")
                           .arg(value.toString().replace(u'.', u','))
                           .arg(db::kMaxRounds) +
                       correct};
    return {static_cast<int>(rounds), {}};
}

} // namespace

bool storedAvoidRepeats(db::DataControl& data, const QString& databasePath) {
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    data.DatabaseName = databasePath;
    if (!hasChoice(data.Database().connection()))
        return false;
    db::RecordSet& row = data.Refresh(databasePath, QStringLiteral("Parametres"));
    return !row.Eof() && row.Fields(QStringLiteral("EviterRencontres")).Value().toInt() != 0;
}

TableDraw::TableDraw(db::DataControl& DataTirage, QString databasePath, RandomSource& random,
                     DrawControls& controls)
    : m_data(DataTirage), m_databasePath(std::move(databasePath)), m_random(random),
      m_controls(controls) {}

TableDraw::Outcome TableDraw::run(int participants, bool avoidRepeats, bool fives) {
    m_summary = {};
    if (const std::optional<Refusal> refused = checkParticipants(participants, fives)) {
        ui::MessageBox::critical(refused->title, refused->text);
        return Outcome::Refused;
    }
    const auto closed = qScopeGuard([this] { m_data.Database().Close(); });

    Rounds rounds;
    try {
        rounds = storedRounds(m_data, m_databasePath);
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(kTitle,
                                 QStringLiteral("Le nombre de manches n'a pas pu être lu : %1")
                                         .arg(common::cause(error)) +
                                     kImpossible);
        return Outcome::Refused;
    }
    if (!rounds.fault.isEmpty()) {
        ui::MessageBox::critical(kErreur, rounds.fault + kImpossible);
        return Outcome::Refused;
    }

    m_controls.setButtons(false, false);
    QString copy; // of the tournament before a new draw wiped its scores
    const auto ended = qScopeGuard([this] {
        m_controls.hideProgress();
        m_controls.setButtons(false, true);
    });
    try {
        db::Connection& connection = m_data.Database().connection();
        Players players = readPlayers(connection, participants);
        if (players.bySurname.size() < participants) {
            ui::MessageBox::critical(
                kTitle, QStringLiteral("Les inscriptions ont changé depuis l'ouverture de cette "
                                       "fenêtre !!!\n\nFermez-la et ouvrez-la de nouveau pour "
                                       "faire le tirage."));
            return Outcome::Failed;
        }
        const bool drawn = db::drawMade(connection);
        if (drawn &&
            ui::MessageBox::question(
                kTitle, QStringLiteral("La constitution des équipes est déjà réalisée !!\n\n"
                                       "Souhaitez vous annuler les équipes et recommencer ?")) !=
                ui::MessageBox::Answer::Yes)
            return Outcome::Declined;
        // The scores typed so far go with the old tables: a dated copy keeps them.
        if (drawn &&
            connection.prepare(QStringLiteral("SELECT 1 FROM Resultats LIMIT 1"))->step()) {
            const ui::BackupFirst backup =
                ui::backUpFirst(connection, QFileInfo(m_databasePath).absolutePath() + u'/',
                                QStringLiteral("avant nouveau tirage"), kTitle);
            if (!backup.goOn)
                return Outcome::Declined;
            copy = backup.copy;
        }

        const int total = rounds.count * participants;
        m_controls.showProgress(total);
        const QList<Placement> placed = drawPlacements(std::move(players.bySurname), rounds.count,
                                                       m_random, avoidRepeats, fives);

        // The whole draw or nothing: a half-drawn tournament, or new tables beside the scores
        // of the old ones, would be worse than the previous draw kept as it was. Those who sit
        // out lose any seat or table of an earlier draw.
        db::Transaction all(m_data.Database());
        QSet<qint64> seated;
        seated.reserve(placed.size());
        for (const Placement& p : placed)
            seated.insert(p.rowid);
        QList<Placement> out;
        for (const qint64 rowid : std::as_const(players.rowids))
            if (!seated.contains(rowid))
                out.append(Placement{rowid, 0, 0, {}});
        writePlacements(connection, out, 1);
        // The bar moves once per table code stored, repainted about a hundred times in all.
        const int step = (total + 99) / 100;
        int written = 0;
        int shown = 0;
        writePlacements(connection, placed, 1, [&](const Placement&) {
            written += rounds.count;
            if (written - shown >= step) {
                shown = written;
                m_controls.setProgress(shown);
            }
        });
        if (shown != total)
            m_controls.setProgress(total);
        m_data.Database().Execute(QStringLiteral("DELETE * from Resultats"));
        // The keys of the phones went with the old tables: table entry makes new ones.
        db::deleteAllTableKeys(connection);
        db::deleteAllDeals(connection); // and so did the deals entered at them
        // A new evening: everyone plays again. The choices go with the draw: a redraw offers
        // them again.
        db::clearEveningChanges(connection);
        storeChoices(connection, {avoidRepeats, fives});
        all.commit();
        m_summary = {repeatedPairs(placed), players.sittingOut};
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(
            kTitle, QStringLiteral("Le tirage n'a pas pu être enregistré : %1\n\nLe tirage "
                                   "précédent et les résultats déjà saisis restent tels "
                                   "qu'ils étaient.")
                        .arg(common::cause(error)));
        return Outcome::Failed;
    }
    ui::tellBackup(kTitle, copy);
    return Outcome::Drawn;
}

} // namespace draw
