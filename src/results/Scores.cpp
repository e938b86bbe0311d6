#include "Scores.h"

#include "common/Cause.h"
#include "common/Decimal.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Departures.h"
#include "db/Tournament.h"
#include "db/Transaction.h"

#include <QScopeGuard>
#include <QSet>
#include <algorithm>

namespace results {
namespace {

const QString kErreurDeSaisie = QStringLiteral("Erreur de saisie");
const QString kTitle = QStringLiteral("Saisie des résultats");

Refusal mistyped(const QString& text, int scoreRow = 0) {
    return Refusal{kErreurDeSaisie, text, scoreRow};
}

bool allDigits(const QString& text) {
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

std::optional<Refusal> checkCode(const QString& code) {
    if (code.isEmpty())
        return mistyped(QStringLiteral("La saisie de l'équipe est obligatoire !!!"));
    if (code.size() != 4)
        return mistyped(QStringLiteral("L'équipe se saisi en 4 caractères !!!"));
    // Checked before anything is read: only a code of four digits goes to the database.
    if (!allDigits(code))
        return mistyped(QStringLiteral("L'équipe ne s'écrit qu'avec des chiffres !!!\n\nLe "
                                       "premier est la manche (1 à 7), les trois suivants le "
                                       "numéro de la table (3012 : table 12 de la manche 3)."));
    const int round = code[0].unicode() - u'0';
    if (round > db::kMaxRounds)
        return mistyped(QStringLiteral("Le premier caractère de l'équipe représente la manche,"
                                       "\n\nil ne peut être supérieur à 7 !!!"));
    if (round == 0)
        return mistyped(QStringLiteral("Le premier caractère de l'équipe représente la manche,"
                                       "\n\nil ne peut être égal à 0 !!!"));
    return std::nullopt;
}

Table lookUpTable(db::DataControl& DataResultats, const QString& databasePath,
                  const QString& code) {
    if (std::optional<Refusal> refused = checkCode(code))
        return Table{std::move(refused), {}};
    const int round = code[0].unicode() - u'0';
    const auto closed = qScopeGuard([&DataResultats] { DataResultats.Database().Close(); });
    Table table;
    try {
        DataResultats.DatabaseName = databasePath;
        DataResultats.RecordSource = QStringLiteral("Select * from Inscriptions where %1 = ?1 "
                                                    "order by Position")
                                         .arg(db::roundField(round));
        DataResultats.Parameters = {code.toInt()};
        DataResultats.Refresh();
        db::RecordSet& seated = DataResultats.Recordset();
        if (seated.Eof() && seated.Bof())
            return Table{mistyped(QStringLiteral("Ce numéro d'équipe n'existe pas !!!")), {}};
        // A complete draw seats four or five at every table; a file changed by hand may hold
        // fewer.
        // In seat order as the round was played: a player moved since keeps its seat there.
        const QHash<int, int> moved = db::keptSeats(DataResultats.Database().connection(), round);
        QList<std::pair<int, Player>> players;
        for (; !seated.Eof() && players.size() < kMaxSeats; seated.MoveNext()) {
            const int number = seated.Fields(QStringLiteral("CODEINDIVIDUEL")).Value().toInt();
            players.append(
                {moved.value(number, seated.Fields(QStringLiteral("POSITION")).Value().toInt()),
                 Player{number, seated.Fields(QStringLiteral("NOM")).Value().toString() + u' ' +
                                    seated.Fields(QStringLiteral("PRENOM")).Value().toString()}});
        }
        if (!moved.isEmpty())
            std::stable_sort(players.begin(), players.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [seat, player] : std::as_const(players))
            table.players.append(player);
    } catch (const db::DbError& error) {
        return Table{Refusal{kTitle, QStringLiteral("Les joueurs de la table %1 n'ont pas pu "
                                                    "être lus : %2")
                                         .arg(code, common::cause(error))},
                     {}};
    }
    return table;
}

CheckedScores checkScores(std::span<const ScoreRow> rows) {
    CheckedScores checked;
    const int count = int(rows.size());
    for (int n = 0; n < count; ++n)
        if (rows[n].score.isEmpty()) {
            checked.refusal = mistyped(
                QStringLiteral("La saisie du score de %1 est obligatoire !!!").arg(rows[n].name),
                n + 1);
            return checked;
        }
    qint64 sum = 0;
    for (int n = 0; n < count; ++n) {
        const std::optional<qint64> value = common::readDecimal(rows[n].score, kScoreDecimals);
        if (!value) {
            checked.refusal = mistyped(QStringLiteral("Le score de %1 n'est pas un nombre !!!\n\n"
                                                      "Tapez un nombre entier ou décimal, par "
                                                      "exemple 25, -12 ou 2,5.")
                                           .arg(rows[n].name),
                                       n + 1);
            return checked;
        }
        checked.points.append(*value);
        sum += *value;
    }
    if (sum != 0) {
        checked.refusal = mistyped(QStringLiteral("La somme des %1 scores devrait être égale à 0,"
                                                  "\n\nor cette somme est égale à %2\n\n"
                                                  "Veuillez reprendre !!!")
                                       .arg(count)
                                       .arg(common::decimalText(sum, kScoreDecimals)),
                                   1);
        checked.refusal->scoresEmptied = true;
    }
    return checked;
}

std::optional<Refusal> storeScores(db::DataControl& DataResultats, const QString& databasePath,
                                   const QString& code, std::span<const ScoreRow> rows) {
    // The round comes from the code: whoever calls, a code the window would refuse stores
    // nothing.
    if (std::optional<Refusal> refused = checkCode(code))
        return refused;
    const auto notTheTable = [&code] {
        return Refusal{kTitle, QStringLiteral("Les joueurs donnés ne sont pas ceux de la table "
                                              "%1 !!!\n\nSes scores ne peuvent pas être "
                                              "enregistrés.")
                                   .arg(code)};
    };
    const int count = int(rows.size());
    if (count < kSeats || count > kMaxSeats)
        return notTheTable();
    const int seated = int(std::count_if(rows.begin(), rows.end(),
                                         [](const ScoreRow& r) { return !r.number.isEmpty(); }));
    if (seated < count)
        return Refusal{kTitle,
                       QStringLiteral("La table %1 compte %2 au lieu de %3 !!!\n\nSes scores ne "
                                      "peuvent pas être enregistrés.")
                           .arg(code, seated == 1 ? QStringLiteral("1 joueur")
                                                  : QStringLiteral("%1 joueurs").arg(seated))
                           .arg(count)};
    const CheckedScores checked = checkScores(rows);
    if (checked.refusal)
        return checked.refusal;

    const int round = code[0].unicode() - u'0';
    const auto closed = qScopeGuard([&DataResultats] { DataResultats.Database().Close(); });
    try {
        db::RecordSet& stored = DataResultats.Refresh(databasePath, QStringLiteral("Resultats"));
        // The window shows the players the code seats; any other caller must give the same,
        // each once, and all of them, or a score would go to a player of another table, or a
        // table of five would count four.
        db::Connection& connection = DataResultats.Database().connection();
        auto seat = connection.prepare(
            QStringLiteral("SELECT %1 FROM Inscriptions WHERE CodeIndividuel = ?1")
                .arg(db::roundField(round)));
        QSet<int> players;
        for (const ScoreRow& row : rows) {
            bool number = false;
            const int player = row.number.toInt(&number);
            seat->reset();
            seat->bind(1, player);
            if (!number || players.contains(player) || !seat->step() ||
                seat->columnInt64(0) != code.toInt())
                return notTheTable();
            players.insert(player);
        }
        seat.reset();
        auto atTable =
            connection.prepare(QStringLiteral("SELECT count(*) FROM Inscriptions WHERE %1 = ?1")
                                   .arg(db::roundField(round)));
        atTable->bind(1, code.toInt());
        if (!atTable->step() || atTable->columnInt64(0) != count)
            return notTheTable();
        atTable.reset();
        // The table's first player answers for the whole table; any other of its players
        // already holding a score of the round refuses it too, or he would count twice.
        for (const ScoreRow& row : rows) {
            stored.FindFirst(QStringLiteral("Manche = ?1 and CodeIndividuel = ?2"),
                             {round, row.number.toInt()});
            if (!stored.NoMatch())
                return mistyped(QStringLiteral("La saisie du score de %1 est déjà dans la base !!!")
                                    .arg(row.name));
        }
        // The table counts whole or not at all: three scores of four would unbalance the
        // ranking, and the fourth could never be typed again.
        db::Transaction table(DataResultats.Database());
        for (int n = 0; n < count; ++n) {
            stored.AddNew();
            stored.Fields(QStringLiteral("MANCHE")).setValue(round);
            stored.Fields(QStringLiteral("CODEINDIVIDUEL")).setValue(rows[n].number.toInt());
            stored.Fields(QStringLiteral("POINTS"))
                .setValue(double(checked.points[n]) / kScoreUnit);
            stored.Update();
        }
        table.commit();
    } catch (const db::DbError& error) {
        return Refusal{kTitle, QStringLiteral("Les scores de la table %1 n'ont pas pu être "
                                              "enregistrés : %2\n\nAucun des %3 scores n'a "
                                              "été enregistré ; la table peut être validée à "
                                              "nouveau.")
                                   .arg(code, common::cause(error),
                                        count == kMaxSeats ? QStringLiteral("cinq")
                                                           : QStringLiteral("quatre"))};
    }
    return std::nullopt;
}

} // namespace results
