#pragma once

#include <QList>
#include <array>

namespace draw {

class RandomSource;

// The tables of one round: for each seat (0 to 3, Nord to Ouest), the table (0 to T - 1) of
// each of the seat's T players, the players in the order the caller holds them.
using RoundTables = std::array<QList<int>, 4>;

// The tables of `rounds` rounds for T = `tables` tables of four, one player of each seat at
// every table, arranged so that no two players share a table twice whenever that can be done.
// When it cannot (two rounds or more with fewer than four tables, more rounds than tables, six
// rounds of six tables), as few pairs as the search finds meet again. Which players go
// together, the table numbers and the arrangement itself all come from `random`, by next()
// alone. Empty when there is no table or no round.
QList<RoundTables> noRepeatTables(int tables, int rounds, RandomSource& random);

// The pairs of players who share a table in more than one round, each pair counted once
// however often it meets.
int countRepeats(const QList<RoundTables>& schedule);

} // namespace draw
