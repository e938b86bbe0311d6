#include "Standings.h"

#include "Connection.h"
#include "Tournament.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace db {
namespace {

// The result rows of each round that holds any.
QHash<int, int> resultsByRound(Connection& connection) {
    QHash<int, int> counts;
    auto statement = connection.prepare(
        QStringLiteral("SELECT Manche, count(*) FROM Resultats GROUP BY Manche"));
    while (statement->step())
        counts.insert(int(statement->columnInt64(0)), int(statement->columnInt64(1)));
    return counts;
}

// Totals are compared as they print, to the ten-thousandth.
QList<int> placesOf(const QList<Standing>& rows) {
    QList<int> result;
    result.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const bool tied =
            i > 0 && std::llround(rows[i].total * 1e4) == std::llround(rows[i - 1].total * 1e4);
        result.append(tied ? result.last() : int(i) + 1);
    }
    return result;
}

} // namespace

QString standingsTitle(const QList<int>& rounds) {
    for (int k = 0; k < rounds.size(); ++k)
        if (rounds[k] != k + 1)
            return QString();
    switch (rounds.size()) {
    case 1:
        return QStringLiteral("Résultats de la manche 1");
    case 2:
        return QStringLiteral("Résultats des manches 1 et 2");
    case 3:
        return QStringLiteral("Résultats des manches 1, 2 et 3");
    case 4:
        return QStringLiteral("Résultats des manches 1, 2, 3 et 4");
    case 5:
        return QStringLiteral("Résultats des manches 1, 2, 3, 4 et 5");
    case 6:
        return QStringLiteral("Résultats des manches 1, 2, 3, 4, 5 et 6");
    case 7:
        return QStringLiteral("Résultats des manches 1, 2, 3, 4, 5, 6 et 7");
    default:
        return QString();
    }
}

QList<int> seatedByRound(Connection& connection, int rounds) {
    rounds = qBound(0, rounds, kMaxRounds);
    QList<int> seated(rounds, 0);
    if (rounds == 0)
        return seated;
    QStringList counts;
    for (int k = 1; k <= rounds; ++k)
        counts.append(QStringLiteral("count(CASE WHEN Position > 0 AND %1 <> 0 THEN 1 END)")
                          .arg(roundField(k)));
    auto statement = connection.prepare(
        QStringLiteral("SELECT %1 FROM Inscriptions").arg(counts.join(QStringLiteral(", "))));
    if (statement->step())
        for (int k = 0; k < rounds; ++k)
            seated[k] = int(statement->columnInt64(k));
    return seated;
}

std::variant<Standings, QString> standings(Connection& connection, int rounds, RoundsRanked which) {
    const QHash<int, int> stored = resultsByRound(connection);
    if (stored.isEmpty())
        return QStringLiteral("Il n'y a aucun résultat de saisi !!!");

    Standings standings;
    rounds = qBound(0, rounds, kMaxRounds);
    // A round is complete with one result for each player seated in it: a table of five seats
    // one more, a late arrival or a player gone one fewer, and a registrant without a seat none.
    // A table typed ahead must never reach the ranking alone.
    const QList<int> seated = seatedByRound(connection, rounds);
    for (int r = 1; r <= rounds; ++r) {
        const int count = stored.value(r);
        if (count == seated[r - 1] && count != 0) {
            standings.rounds.append(r);
            continue;
        }
        if (which == RoundsRanked::AllStored) {
            if (count != 0)
                return QStringLiteral("Il manque des résultats de la manche %1").arg(r);
        } else if (seated[r - 1] != 0) {
            standings.provisional = true;
        }
    }
    if (which == RoundsRanked::AllStored) {
        // Results of a round above the stored number, which only an edited file holds, still
        // count, as they always have.
        standings.rounds = stored.keys();
        std::sort(standings.rounds.begin(), standings.rounds.end());
    }
    standings.title = standingsTitle(standings.rounds);
    if (standings.rounds.isEmpty())
        return standings;

    // Every name read once, rather than a search of the players for every row; a number held
    // twice (an old file) keeps its first holder.
    QHash<qint64, std::pair<QString, QString>> names;
    {
        auto players = connection.prepare(
            QStringLiteral("SELECT CodeIndividuel, Nom, Prenom FROM Inscriptions"));
        while (players->step()) {
            const qint64 number = players->columnInt64(0);
            if (!names.contains(number))
                names.insert(number,
                             {players->column(1).toString(), players->column(2).toString()});
        }
    }

    QStringList ranked;
    for (const int r : std::as_const(standings.rounds))
        ranked.append(QString::number(r));
    // Every stored row counts in the printed ranking, as it always has; the live pages leave out
    // the rounds still open.
    const QString inRounds = which == RoundsRanked::AllStored
                                 ? QStringLiteral(" ")
                                 : QStringLiteral(" WHERE Manche IN (%1) ").arg(ranked.join(u','));

    QHash<qint64, QHash<int, double>> points;
    {
        auto each = connection.prepare(
            QStringLiteral("SELECT CodeIndividuel, Manche, round(Sum(Points), 4) FROM Resultats") +
            inRounds + QStringLiteral("GROUP BY CodeIndividuel, Manche"));
        while (each->step())
            points[each->columnInt64(0)].insert(int(each->columnInt64(1)),
                                                each->column(2).toDouble());
    }

    // Totals rounded to the four decimals a score has: equal totals stay equal in the order
    // (0,1 + 0,2 against 0,3) and print without binary noise.
    auto ranking = connection.prepare(
        QStringLiteral("SELECT CodeIndividuel, round(Sum(Points), 4) AS Score FROM Resultats") +
        inRounds +
        QStringLiteral("GROUP BY CodeIndividuel ORDER BY round(Sum(Points), 4) DESC, "
                       "CodeIndividuel"));
    while (ranking->step()) {
        const qint64 number = ranking->columnInt64(0);
        const auto name = names.constFind(number);
        const bool registered = name != names.cend();
        standings.rows.append({number, registered, registered ? name->first : QString(),
                               registered ? name->second : QString(), ranking->column(1).toDouble(),
                               points.value(number)});
    }
    // The lines expected are those of the players who have played, a player gone included.
    standings.expected = int(standings.rows.size());
    standings.places = placesOf(standings.rows);
    return standings;
}

} // namespace db
