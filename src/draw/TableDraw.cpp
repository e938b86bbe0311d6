#include "TableDraw.h"

#include "NoRepeat.h"
#include "RandomSource.h"
#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
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

// 1 plus the whole part of n × u: a number from 1 to n, each as likely as the others.
int pick(RandomSource& random, int n) {
    return std::min(n, 1 + static_cast<int>(n * random.next()));
}

// The players of one seat still free in a round, in number order, from which the r-th is
// taken out. A Fenwick tree of who is left finds it in log(tables) steps, where taking it out
// of a list would move every player behind it.
class FreeHolders {
public:
    explicit FreeHolders(const QList<int>& holders)
        : m_holders(holders), m_left(static_cast<int>(holders.size())), m_tree(m_left + 1, 0) {
        for (int i = 1; i <= m_left; ++i) {
            ++m_tree[i];
            if (const int parent = i + (i & -i); parent <= m_left)
                m_tree[parent] += m_tree[i];
        }
    }
    int size() const { return m_left; }
    // r from 1 to size().
    int take(int r) {
        const int n = static_cast<int>(m_holders.size());
        int before = 0; // holders before the one taken, free or not
        for (int step = static_cast<int>(std::bit_floor(unsigned(n))); step; step >>= 1)
            if (before + step <= n && m_tree[before + step] < r) {
                before += step;
                r -= m_tree[before];
            }
        for (int i = before + 1; i <= n; i += i & -i)
            --m_tree[i];
        --m_left;
        return m_holders[before];
    }

private:
    const QList<int>& m_holders;
    int m_left;
    std::vector<int> m_tree;
};

bool byNumber(const Placement& a, const Placement& b) {
    return a.number != b.number ? a.number < b.number : a.rowid < b.rowid;
}

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

QList<Placement> drawPlacements(QList<Placement> bySurname, int rounds, RandomSource& random,
                                bool avoidRepeats) {
    rounds = std::clamp(rounds, 0, db::kMaxRounds); // a table code field for each round
    const int tables = static_cast<int>(bySurname.size()) / 4;

    // Seats: each group of four in surname order gets the four seats in a random order,
    // drawn by rejection.
    for (int group = 0; group < tables; ++group) {
        random.reseed();
        std::array<int, 4> seats{};
        for (int i = 0; i < 4; ++i) {
            int seat = 0;
            do
                seat = pick(random, 4);
            while (std::find(seats.begin(), seats.begin() + i, seat) != seats.begin() + i);
            seats[i] = seat;
            bySurname[4 * group + i].seat = seat;
        }
    }

    // Tables: for every round, seat and table, one of the seat's players still free in that
    // round, the candidates in number order.
    QList<Placement> placed = std::move(bySurname);
    placed.resize(4 * tables);
    std::sort(placed.begin(), placed.end(), byNumber);
    std::array<QList<int>, 4> holders;
    for (int i = 0; i < placed.size(); ++i)
        holders[placed[i].seat - 1].append(i);
    if (avoidRepeats) {
        // The i-th holder of a seat, in number order, is the rotation's player i.
        random.reseed();
        const QList<RoundTables> schedule = noRepeatTables(tables, rounds, random);
        for (int round = 1; round <= schedule.size(); ++round)
            for (int seat = 0; seat < 4; ++seat)
                for (int i = 0; i < holders[seat].size(); ++i)
                    placed[holders[seat][i]].codes[round - 1] =
                        db::tableCode(round, schedule[round - 1][seat][i] + 1);
        return placed;
    }
    for (int round = 1; round <= rounds; ++round) {
        for (const QList<int>& seatHolders : holders) {
            FreeHolders free(seatHolders);
            for (int table = 1; table <= tables; ++table) {
                random.reseed();
                const int r = pick(random, free.size());
                placed[free.take(r)].codes[round - 1] = db::tableCode(round, table);
            }
        }
    }
    return placed;
}

int repeatedPairs(const QList<Placement>& placed) {
    // Each pair of a table, by its two numbers, for every round; counted once when it meets
    // again, however often.
    QHash<quint64, int> meetings;
    int repeats = 0;
    for (int k = 0; k < db::kMaxRounds; ++k) {
        QHash<int, QList<int>> tables;
        for (const Placement& p : placed)
            if (p.codes[k])
                tables[p.codes[k]].append(p.number);
        for (const QList<int>& players : std::as_const(tables))
            for (int a = 0; a < players.size(); ++a)
                for (int b = a + 1; b < players.size(); ++b) {
                    const auto [low, high] = std::minmax(players[a], players[b]);
                    if (++meetings[(quint64(quint32(low)) << 32) | quint32(high)] == 2)
                        ++repeats;
                }
    }
    return repeats;
}

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

TableDraw::Outcome TableDraw::run(int participants, bool avoidRepeats) {
    m_summary = {};
    if (participants == 0) {
        ui::MessageBox::critical(
            kErreur, QStringLiteral("Le nombre de participants est égal à zéro !!!") + kImpossible);
        return Outcome::Refused;
    }
    if (participants < 0 || participants % 4 != 0) {
        // The window never asks for it; a caller that did would see players dropped unseen.
        ui::MessageBox::critical(
            kErreur, QStringLiteral("Le nombre de participants (%1) doit être un multiple de 4, "
                                    "chaque table réunissant quatre joueurs !!!")
                             .arg(participants) +
                         kImpossible);
        return Outcome::Refused;
    }
    if (participants > kMaxParticipants) {
        // A table number has three digits: table 1000 would give a five-digit table code.
        ui::MessageBox::critical(
            kErreur, QStringLiteral("Le nombre de participants (%1) dépasse %2, le plus grand "
                                    "nombre que permettent les %3 tables d'une manche !!!")
                             .arg(participants)
                             .arg(kMaxParticipants)
                             .arg(kMaxParticipants / 4) +
                         kImpossible);
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
        const QList<Placement> placed =
            drawPlacements(std::move(players.bySurname), rounds.count, m_random, avoidRepeats);

        // The whole draw or nothing: a half-drawn tournament, or new tables beside the scores
        // of the old ones, would be worse than the previous draw kept as it was.
        db::Transaction all(m_data.Database());
        // Those who sit out lose any seat or table of an earlier draw; every seated player's
        // row is written in full below, so it needs no clearing first.
        QSet<qint64> seated;
        seated.reserve(placed.size());
        for (const Placement& p : placed)
            seated.insert(p.rowid);
        auto clear = connection.prepare(QStringLiteral(
            "UPDATE Inscriptions SET Position = 0, CodeEquipe01 = 0, CodeEquipe02 = 0, "
            "CodeEquipe03 = 0, CodeEquipe04 = 0, CodeEquipe05 = 0, CodeEquipe06 = 0, "
            "CodeEquipe07 = 0 WHERE rowid = ?1"));
        for (const qint64 rowid : players.rowids) {
            if (seated.contains(rowid))
                continue;
            clear->bind(1, rowid);
            clear->step();
            clear->reset();
        }
        auto write = connection.prepare(QStringLiteral(
            "UPDATE Inscriptions SET Position = ?1, Position2 = ?2, CodeEquipe01 = ?3, "
            "CodeEquipe02 = ?4, CodeEquipe03 = ?5, CodeEquipe04 = ?6, CodeEquipe05 = ?7, "
            "CodeEquipe06 = ?8, CodeEquipe07 = ?9 WHERE rowid = ?10"));
        // The bar moves once per table code stored, repainted about a hundred times in all.
        const int step = (total + 99) / 100;
        int written = 0;
        int shown = 0;
        for (const Placement& p : placed) {
            write->bind(1, p.seat);
            write->bind(2, db::seatName(p.seat));
            for (int k = 0; k < db::kMaxRounds; ++k)
                write->bind(3 + k, p.codes[k]);
            write->bind(10, p.rowid);
            write->step();
            write->reset();
            written += rounds.count;
            if (written - shown >= step) {
                shown = written;
                m_controls.setProgress(shown);
            }
        }
        if (shown != total)
            m_controls.setProgress(total);
        m_data.Database().Execute(QStringLiteral("DELETE * from Resultats"));
        // The keys of the phones went with the old tables: table entry makes new ones.
        db::deleteAllTableKeys(connection);
        // The choice goes with the draw: a redraw offers it again.
        if (hasChoice(connection))
            connection.executeNative(QStringLiteral("UPDATE Parametres SET EviterRencontres = ?1"),
                                     {avoidRepeats ? 1 : 0});
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
