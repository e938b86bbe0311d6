#include "Ranking.h"

#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Tournament.h"

#include <QHash>
#include <QScopeGuard>
#include <algorithm>

namespace reports {
namespace {

// The result rows of each round that holds any.
QHash<int, int> resultsByRound(db::Connection& connection) {
    QHash<int, int> counts;
    auto statement = connection.prepare(
        QStringLiteral("SELECT Manche, count(*) FROM Resultats GROUP BY Manche"));
    while (statement->step())
        counts.insert(int(statement->columnInt64(0)), int(statement->columnInt64(1)));
    return counts;
}

} // namespace

Ranking::Ranking(ui::Shell& shell, db::DataControl& DataEditions, db::DataControl& DataInscriptions,
                 PrintSurface& Printer)
    : Report(shell, DataEditions, Printer, QStringLiteral("Edition des résultats")),
      DataInscriptions(DataInscriptions) {}

void Ranking::print() {
    run([this] { body(); });
}

QString Ranking::titleFor(const QList<int>& rounds) {
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

std::optional<Ranking::Standings> Ranking::standings(bool byRound) {
    db::RecordSet& results = DataEditions.Refresh(databasePath(), QStringLiteral("Resultats"));
    if (results.Eof() && results.Bof()) {
        refuse(impossible(QStringLiteral("Il n'y a aucun résultat de saisi !!!")));
        return std::nullopt;
    }

    Standings standings;
    const int rounds = qMin(storedSettings().rounds, db::kMaxRounds);

    // Every round that holds results is complete, an empty round before it or not: a table
    // typed ahead must never reach the ranking alone. A round is complete with one result for
    // each player seated in it: a table of five seats one more, a late arrival or a player gone
    // one fewer, and a registrant without a seat none.
    const QList<int> seated = seatedByRound(rounds);
    const QHash<int, int> stored = resultsByRound(DataEditions.Database().connection());
    for (int r = 1; r <= rounds; ++r) {
        const int count = stored.value(r);
        if (count != 0 && count != seated[r - 1]) {
            refuse(impossible(QStringLiteral("Il manque des résultats de la manche %1").arg(r)));
            return std::nullopt;
        }
    }
    standings.rounds = stored.keys();
    std::sort(standings.rounds.begin(), standings.rounds.end());
    standings.title = titleFor(standings.rounds);

    // Every name read once, rather than a search of the players for every row.
    QHash<qint64, std::pair<QString, QString>> names;
    {
        const auto closed = qScopeGuard([this] { DataInscriptions.Database().Close(); });
        db::RecordSet& players = DataInscriptions.Refresh(
            databasePath(), QStringLiteral("Select CodeIndividuel, Nom, Prenom from Inscriptions"));
        for (; !players.Eof(); players.MoveNext()) {
            const qint64 number =
                players.Fields(QStringLiteral("CodeIndividuel")).Value().toLongLong();
            if (!names.contains(number))
                names.insert(number, {players.Fields(QStringLiteral("Nom")).Value().toString(),
                                      players.Fields(QStringLiteral("Prenom")).Value().toString()});
        }
    }
    QHash<qint64, QHash<int, double>> points;
    if (byRound) {
        db::RecordSet& each = DataEditions.Refresh(
            databasePath(), QStringLiteral("Select CodeIndividuel, Manche, round(Sum(Points), 4) "
                                           "AS Points from Resultats group by CodeIndividuel, "
                                           "Manche"));
        for (; !each.Eof(); each.MoveNext())
            points[each.Fields(QStringLiteral("CodeIndividuel")).Value().toLongLong()].insert(
                each.Fields(QStringLiteral("Manche")).Value().toInt(),
                each.Fields(QStringLiteral("Points")).Value().toDouble());
    }

    // Totals rounded to the four decimals a score has: equal totals stay equal in the order
    // (0,1 + 0,2 against 0,3) and print without binary noise.
    db::RecordSet& ranking = DataEditions.Refresh(
        databasePath(),
        QStringLiteral("Select CodeIndividuel, round(Sum(Points), 4) AS Score from Resultats ") +
            QStringLiteral("group by CodeIndividuel order by round(Sum(Points), 4) desc, "
                           "CodeIndividuel"));
    for (; !ranking.Eof(); ranking.MoveNext()) {
        const qint64 number = ranking.Fields(QStringLiteral("CodeIndividuel")).Value().toLongLong();
        const auto name = names.constFind(number);
        const bool registered = name != names.cend();
        standings.rows.append({number, registered, registered ? name->first : QString(),
                               registered ? name->second : QString(),
                               ranking.Fields(QStringLiteral("Score")).Value().toDouble(),
                               points.value(number)});
    }
    // The lines expected are those of the players who have played, a player gone included.
    standings.expected = int(standings.rows.size());
    return standings;
}

void Ranking::body() {
    const std::optional<Standings> standings = this->standings(false);
    if (!standings)
        return;
    showPanel();
    Printer.DocumentName = QStringLiteral("Classement");
    TwoBlockPages list(Printer, standings->title, pagesFor(standings->expected),
                       {{QStringLiteral("Code"), 9, 10},
                        {QStringLiteral("Nom, prénom"), 25, 20, 47},
                        {QStringLiteral("Score"), 67, 68}},
                       standings->expected);
    list.start();
    bool leader = true;
    for (const Standing& row : standings->rows) {
        list.row({PrintSurface::numberText(double(row.number)), row.name(),
                  PrintSurface::numberText(row.total)},
                 leader);
        leader = false;
    }
    Printer.EndDoc();
}

} // namespace reports
