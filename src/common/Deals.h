#pragma once

#include "db/Deals.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace common {

// The score of a deal by the French federation's rules, for the tables that enter their deals
// one by one: the players say what happened, this does the arithmetic. Pure: no file, no widget.

// The contracts and the extras as the page and the windows name them, by their stored number.
QString contractName(int contract); // "Prise", "Garde", "Garde sans", "Garde contre"
inline constexpr int kContracts = 4;

// The card points the taker needs with that many bouts: 56, 51, 41, 36.
int target(int bouts);

// At a table of five the dealer sits the deal out: seat 1 deals the first deal, then 2, 3, 4, 5
// and seat 1 again. 0 at a table of four, where everyone plays every deal.
int dealer(int number, int players);

// What is wrong with a deal at a table of `players` (4 or 5), in French; no value when it can
// be scored.
std::optional<QString> checkDeal(const db::Deal& deal, int players);

// Each seat's points for the deal, one per player: the taker wins or loses three times what
// each defender loses or wins, the dealer sitting out at five scores 0, and the points sum to 0.
// A deal all passed scores 0 for everyone. The deal must have passed checkDeal.
QList<int> scoreDeal(const db::Deal& deal, int players);

// Every deal's points and the running totals of a table, in the order played.
struct DealGrid {
    QList<QList<int>> points; // one line per deal, one figure per seat
    QList<int> totals;        // one per seat
};
DealGrid scoreDeals(const QList<db::Deal>& deals, int players);

// "Garde, 2 bouts, 43,5 points, poignée simple, petit au bout (défense)": a deal in a line,
// for the grid and the printed sheet; "Donne passée" when all passed.
QString describeDeal(const db::Deal& deal, const QStringList& players);

} // namespace common
