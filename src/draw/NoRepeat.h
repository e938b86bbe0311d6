#pragma once

#include <QHash>
#include <QList>
#include <array>
#include <vector>

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

// The players at one table, by seat (Nord to Ouest, then the fifth), -1 where a seat is empty.
using SeatedTable = std::array<int, 5>;
using TablesOfRound = std::vector<SeatedTable>;

// How often each pair of players (by number) has shared a table, and how many pairs have met
// more than once.
class Meetings {
public:
    void add(int a, int b);
    void remove(int a, int b);
    int count(int a, int b) const { return m_count.value(key(a, b)); }
    void addTable(const SeatedTable& table);
    int repeats() const { return m_repeats; }

private:
    static quint64 key(int a, int b) {
        return a < b ? (quint64(quint32(a)) << 32) | quint32(b)
                     : (quint64(quint32(b)) << 32) | quint32(a);
    }
    QHash<quint64, int> m_count;
    int m_repeats = 0;
};

// Swaps players of the same seat between two tables of a round, as long as a swap leaves fewer
// pairs meeting again: `meetings` holds every round, the ones kept as they are and the ones
// given here, and follows the swaps. For a draw that keeps earlier rounds, or seats five at a
// table, which the rotation above knows nothing of. Bounded: a few hundred thousand swaps tried
// at most.
void lessenRepeats(std::vector<TablesOfRound>& rounds, Meetings& meetings, RandomSource& random);

} // namespace draw
