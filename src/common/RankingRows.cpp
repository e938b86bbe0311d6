#include "RankingRows.h"

#include "Decimal.h"

namespace common {

QStringList rankingHeadings(const QList<int>& rounds) {
    QStringList columns = {QStringLiteral("Place"), QStringLiteral("Numéro"), QStringLiteral("Nom"),
                           QStringLiteral("Prénom")};
    for (const int round : rounds)
        columns.append(QStringLiteral("Manche %1").arg(round));
    columns.append(QStringLiteral("Total"));
    return columns;
}

QStringList rankingCells(const db::Standing& row, int place, const QList<int>& rounds) {
    QStringList line = {QString::number(place), QString::number(row.number), row.nom, row.prenom};
    for (const int round : rounds) {
        const auto found = row.byRound.constFind(round);
        line.append(found == row.byRound.cend() ? QString() : numberText(*found, 4));
    }
    line.append(numberText(row.total, 4));
    return line;
}

QList<QStringList> rankingLines(const db::Standings& standings) {
    QList<QStringList> lines;
    lines.reserve(standings.rows.size());
    for (qsizetype i = 0; i < standings.rows.size(); ++i)
        lines.append(rankingCells(standings.rows[i], standings.places.value(i), standings.rounds));
    return lines;
}

QStringList seasonHeadings() {
    return {QStringLiteral("Place"),   QStringLiteral("Nom"),   QStringLiteral("Prénom"),
            QStringLiteral("Soirées"), QStringLiteral("Total"), QStringLiteral("Meilleure soirée"),
            QStringLiteral("Moyenne")};
}

QList<QStringList> seasonLines(const db::SeasonStandings& season) {
    QList<QStringList> lines;
    lines.reserve(season.rows.size());
    for (qsizetype i = 0; i < season.rows.size(); ++i) {
        const db::SeasonStanding& row = season.rows[i];
        lines.append({QString::number(season.places.value(i)), row.nom, row.prenom,
                      QString::number(row.evenings), numberText(row.total, 4),
                      numberText(row.best, 4), numberText(row.average(), 2)});
    }
    return lines;
}

} // namespace common
