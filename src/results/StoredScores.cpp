#include "StoredScores.h"

#include "common/Cause.h"
#include "common/Decimal.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Tournament.h"
#include "db/Transaction.h"

#include <QScopeGuard>

namespace results {
namespace {

const QString kTitle = QStringLiteral("Correction des résultats");
const QString kMoment = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString scoreText(const QVariant& points) {
    return points.isNull() ? QString() : common::numberText(points.toDouble(), kScoreDecimals);
}

// "10 ; -5 ; -5 ; 0": the logged scores of a table, in seat order; the fifth one, logged apart,
// only at a table of five.
QString scoresText(db::Statement& row, int first, int fifth, bool five) {
    QStringList scores;
    for (int n = 0; n < kSeats; ++n)
        scores.append(scoreText(row.column(first + n)));
    if (five)
        scores.append(scoreText(row.column(fifth)));
    return scores.join(QStringLiteral(" ; "));
}

// The table's last correction or deletion, in a sentence.
QString lastChange(db::Connection& connection, int code) {
    auto last = connection.prepare(QStringLiteral(
        "SELECT Moment, Operation, Ancien1, Ancien2, Ancien3, Ancien4, Nouveau1, Nouveau2, "
        "Nouveau3, Nouveau4, Ancien5, Nouveau5 FROM CorrectionsResultats WHERE CodeEquipe = ?1 "
        "ORDER BY rowid DESC LIMIT 1"));
    last->bind(1, code);
    if (!last->step())
        return QString();
    const QDateTime when = QDateTime::fromString(last->column(0).toString(), kMoment);
    const QString moment = when.toString(QStringLiteral("dd/MM/yyyy 'à' HH:mm"));
    // A table of four leaves the fifth scores empty.
    const bool five = !last->column(10).isNull() || !last->column(11).isNull();
    if (last->column(1).toString() == u"Suppression")
        return QStringLiteral("Scores supprimés le %1 ; ils étaient : %2.")
            .arg(moment, scoresText(*last, 2, 10, five));
    return QStringLiteral("Dernière correction le %1 : %2 devenus %3.")
        .arg(moment, scoresText(*last, 2, 10, five), scoresText(*last, 6, 11, five));
}

// The table as stored, looked up through the results window's own checks. The round is the
// code's first digit, once the code has passed them.
struct Found {
    StoredTable table;
    int round = 0;
    QVariantList points; // one per player, null where he has no stored score
};

Found find(db::DataControl& DataResultats, const QString& databasePath, const QString& code) {
    Found found;
    const Table table = lookUpTable(DataResultats, databasePath, code);
    if (table.refusal) {
        found.table.refusal = table.refusal;
        return found;
    }
    found.table.players = table.players;
    if (table.players.size() < kSeats) {
        found.table.refusal = Refusal{
            kTitle, QStringLiteral("La table %1 compte %2 joueur(s) au lieu de 4 !!!\n\nSes "
                                   "scores ne peuvent pas être corrigés.")
                        .arg(code)
                        .arg(table.players.size())};
        return found;
    }
    found.round = code[0].unicode() - u'0';
    const qsizetype count = table.players.size();
    found.points = QVariantList(count);
    found.table.scores = QStringList(count);
    const auto closed = qScopeGuard([&DataResultats] { DataResultats.Database().Close(); });
    db::Connection& connection = DataResultats.Database().connection();
    auto scores = connection.prepare(
        QStringLiteral("SELECT Points FROM Resultats WHERE Manche = ?1 AND CodeIndividuel = ?2"));
    bool stored = false;
    for (qsizetype n = 0; n < count; ++n) {
        scores->reset();
        scores->bind(1, found.round);
        scores->bind(2, table.players[n].number);
        if (scores->step()) {
            found.points[n] = scores->column(0);
            found.table.scores[n] = scoreText(found.points[n]);
            stored = true;
        }
    }
    found.table.lastChange = lastChange(connection, code.toInt());
    if (!stored)
        found.table.refusal = Refusal{
            kTitle, QStringLiteral("La table %1 n'a pas encore été saisie !!!\n\nSes scores se "
                                   "saisissent par le menu Fichier, Saisie des résultats.")
                        .arg(code)};
    return found;
}

// The table found, or why not: not entered, or unreadable.
std::optional<Refusal> findStored(db::DataControl& DataResultats, const QString& databasePath,
                                  const QString& code, Found& found) {
    try {
        found = find(DataResultats, databasePath, code);
    } catch (const db::DbError& error) {
        return Refusal{kTitle, QStringLiteral("Les scores de la table %1 n'ont pas pu être lus : "
                                              "%2")
                                   .arg(code, common::cause(error))};
    }
    return found.table.refusal;
}

// Writes the table anew (no scores for a deletion) and logs what it held and holds now, in one
// transaction.
std::optional<Refusal> replace(db::DataControl& DataResultats, const Found& found,
                               const QString& code, const QString& operation,
                               const std::optional<QList<qint64>>& points, const QDateTime& when) {
    const auto closed = qScopeGuard([&DataResultats] { DataResultats.Database().Close(); });
    try {
        db::Database& database = DataResultats.Database();
        db::Transaction change(database);
        const qsizetype count = found.table.players.size();
        QVariantList now;
        for (qsizetype n = 0; n < count; ++n) {
            const int player = found.table.players[n].number;
            database.Execute(QStringLiteral("DELETE * from Resultats where Manche = ?1 and "
                                            "CodeIndividuel = ?2"),
                             {found.round, player});
            if (points) {
                const double value = double((*points)[n]) / kScoreUnit;
                database.Execute(QStringLiteral("INSERT INTO Resultats (Manche, CodeIndividuel, "
                                                "Points) VALUES (?1, ?2, ?3)"),
                                 {found.round, player, value});
                now.append(value);
            } else {
                now.append(QVariant());
            }
        }
        // The four seats in their columns, the fifth apart, empty at a table of four.
        QVariantList log{when.toString(kMoment), operation, code.toInt(), found.round};
        for (int n = 0; n < kSeats; ++n)
            log.append(found.points.value(n));
        for (int n = 0; n < kSeats; ++n)
            log.append(now.value(n));
        log.append(found.points.value(kSeats));
        log.append(now.value(kSeats));
        database.Execute(QStringLiteral("INSERT INTO CorrectionsResultats (Moment, Operation, "
                                        "CodeEquipe, Manche, Ancien1, Ancien2, Ancien3, Ancien4, "
                                        "Nouveau1, Nouveau2, Nouveau3, Nouveau4, Ancien5, "
                                        "Nouveau5) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, "
                                        "?10, ?11, ?12, ?13, ?14)"),
                         log);
        change.commit();
    } catch (const db::DbError& error) {
        return Refusal{kTitle, QStringLiteral("Les scores de la table %1 n'ont pas pu être "
                                              "modifiés : %2\n\nLes scores enregistrés restent "
                                              "tels qu'ils étaient.")
                                   .arg(code, common::cause(error))};
    }
    return std::nullopt;
}

} // namespace

StoredTable lookUpStoredTable(db::DataControl& DataResultats, const QString& databasePath,
                              const QString& code) {
    Found found;
    if (std::optional<Refusal> refused = findStored(DataResultats, databasePath, code, found))
        found.table.refusal = refused;
    return found.table;
}

std::optional<Refusal> correctScores(db::DataControl& DataResultats, const QString& databasePath,
                                     const QString& code, std::span<const ScoreRow> rows,
                                     const QDateTime& when) {
    const CheckedScores checked = checkScores(rows);
    if (checked.refusal)
        return checked.refusal;
    Found found;
    if (std::optional<Refusal> refused = findStored(DataResultats, databasePath, code, found))
        return refused;
    // One score for each player of the table as the file seats it, none more, none fewer.
    if (qsizetype(rows.size()) != found.table.players.size())
        return Refusal{kTitle, QStringLiteral("Les joueurs donnés ne sont pas ceux de la table "
                                              "%1 !!!\n\nSes scores ne peuvent pas être "
                                              "corrigés.")
                                   .arg(code)};
    bool changed = false;
    for (qsizetype n = 0; n < found.table.players.size(); ++n)
        changed = changed || found.points[n].isNull() ||
                  std::llround(found.points[n].toDouble() * kScoreUnit) != checked.points[n];
    if (!changed)
        return std::nullopt;
    return replace(DataResultats, found, code, QStringLiteral("Correction"), checked.points, when);
}

std::optional<Refusal> deleteScores(db::DataControl& DataResultats, const QString& databasePath,
                                    const QString& code, const QDateTime& when) {
    Found found;
    if (std::optional<Refusal> refused = findStored(DataResultats, databasePath, code, found))
        return refused;
    return replace(DataResultats, found, code, QStringLiteral("Suppression"), std::nullopt, when);
}

QList<RoundTables> roundTables(db::DataControl& DataResultats, const QString& databasePath,
                               int round) {
    QList<RoundTables> rounds;
    DataResultats.DatabaseName = databasePath;
    const auto closed = qScopeGuard([&DataResultats] { DataResultats.Database().Close(); });
    db::Connection& connection = DataResultats.Database().connection();
    for (int k = round ? round : 1; k <= (round ? round : db::kMaxRounds); ++k) {
        const QString field = db::roundField(k);
        // A table, of four or of five, counts as entered once each of its players has his score
        // of the round; a player seated nowhere in it (code 0) belongs to no table.
        auto tables = connection.prepare(
            QStringLiteral("SELECT p.%1, min(r.CodeIndividuel IS NOT NULL) FROM Inscriptions p "
                           "LEFT JOIN Resultats r ON r.CodeIndividuel = p.CodeIndividuel AND "
                           "r.Manche = ?1 WHERE p.%1 <> 0 GROUP BY p.%1 ORDER BY p.%1")
                .arg(field));
        tables->bind(1, k);
        RoundTables tablesOfRound{k, {}, {}};
        while (tables->step())
            (tables->columnInt64(1) ? tablesOfRound.entered : tablesOfRound.missing)
                .append(int(tables->columnInt64(0)));
        if (!tablesOfRound.entered.isEmpty() || !tablesOfRound.missing.isEmpty())
            rounds.append(tablesOfRound);
    }
    return rounds;
}

QString describe(const QList<RoundTables>& rounds) {
    QStringList lines;
    for (const RoundTables& r : rounds) {
        const qsizetype all = r.entered.size() + r.missing.size();
        const QString round = QStringLiteral("Manche %1 : ").arg(r.round);
        if (r.missing.isEmpty()) {
            lines.append(round + (all == 1
                                      ? QStringLiteral("la table est saisie.")
                                      : QStringLiteral("les %1 tables sont saisies.").arg(all)));
            continue;
        }
        if (r.entered.isEmpty()) {
            lines.append(round + QStringLiteral("aucune table saisie sur %1.").arg(all));
            continue;
        }
        QStringList codes;
        for (const int code : r.missing)
            codes.append(QString::number(code));
        lines.append(
            round +
            (r.entered.size() == 1
                 ? QStringLiteral("1 table saisie sur %1.").arg(all)
                 : QStringLiteral("%1 tables saisies sur %2.").arg(r.entered.size()).arg(all)) +
            (codes.size() == 1 ? QStringLiteral(" Manque : ") : QStringLiteral(" Manquent : ")) +
            codes.join(QStringLiteral(", ")) + u'.');
    }
    if (lines.isEmpty())
        return QStringLiteral("Aucune table n'est tirée.");
    return lines.join(u'\n');
}

} // namespace results
