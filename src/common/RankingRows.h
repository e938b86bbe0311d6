#pragma once

#include "db/Season.h"
#include "db/Standings.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace common {

// The ranking as clubs publish it, one text per cell: the exported files and the live pages
// show the same rows.

// "Place", "Numéro", "Nom", "Prénom", "Manche 1" ... for each round ranked, "Total".
QStringList rankingHeadings(const QList<int>& rounds);

// A line: the place, the player, each round's points (empty when he has none), the total.
QStringList rankingCells(const db::Standing& row, int place, const QList<int>& rounds);

// Every line of the standings, in order.
QList<QStringList> rankingLines(const db::Standings& standings);

// The season's ranking: "Place", "Nom", "Prénom", "Soirées", "Total", "Meilleure soirée",
// "Moyenne"; its lines, in order.
QStringList seasonHeadings();
QList<QStringList> seasonLines(const db::SeasonStandings& season);

} // namespace common
