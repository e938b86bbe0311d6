#include "Ranking.h"

#include "db/DataControl.h"

#include <QHash>
#include <QScopeGuard>

namespace reports {

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

    // A complete round holds one result per player seated by the draw. Counting the seats,
    // not the registrations, keeps a late registrant from making every round incomplete.
    Standings standings;
    standings.expected = seatedPlayers();
    const int rounds = storedSettings().rounds;

    // Every round that holds results is complete, an empty round before it or not: a table
    // typed ahead must never reach the ranking alone.
    for (int r = 1; r <= rounds; ++r) {
        db::RecordSet& round = DataEditions.Refresh(
            databasePath(), QStringLiteral("Select * from Resultats where Manche = %1").arg(r));
        if (round.Eof())
            continue;
        round.MoveLast();
        if (round.RecordCount() != standings.expected) {
            refuse(impossible(QStringLiteral("Il manque des résultats de la manche %1").arg(r)));
            return std::nullopt;
        }
    }
    db::RecordSet& stored = DataEditions.Refresh(
        databasePath(),
        QStringLiteral("Select Manche from Resultats group by Manche order by Manche"));
    for (; !stored.Eof(); stored.MoveNext())
        standings.rounds.append(stored.Fields(QStringLiteral("Manche")).Value().toInt());
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
