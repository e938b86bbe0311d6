#include "Planner.h"

#include "NoRepeat.h"
#include "RandomSource.h"

#include <QHash>
#include <algorithm>
#include <bit>
#include <vector>

namespace draw {
namespace {

// 1 plus the whole part of n × u: a number from 1 to n, each as likely as the others.
int pick(RandomSource& random, int n) {
    return std::min(n, 1 + static_cast<int>(n * random.next()));
}

// The players of one seat still free in a round, in number order, from which the r-th is
// taken out. A Fenwick tree of who is left finds it in log(tables) steps, where taking it out
// of a list would move every player behind it.
class FreeHolders {
public:
    explicit FreeHolders(const QList<int>& holders)
        : m_holders(holders), m_left(static_cast<int>(holders.size())), m_tree(m_left + 1, 0) {
        for (int i = 1; i <= m_left; ++i) {
            ++m_tree[i];
            if (const int parent = i + (i & -i); parent <= m_left)
                m_tree[parent] += m_tree[i];
        }
    }
    int size() const { return m_left; }
    // r from 1 to size().
    int take(int r) {
        const int n = static_cast<int>(m_holders.size());
        int before = 0; // holders before the one taken, free or not
        for (int step = static_cast<int>(std::bit_floor(unsigned(n))); step; step >>= 1)
            if (before + step <= n && m_tree[before + step] < r) {
                before += step;
                r -= m_tree[before];
            }
        for (int i = before + 1; i <= n; i += i & -i)
            --m_tree[i];
        --m_left;
        return m_holders[before];
    }

private:
    const QList<int>& m_holders;
    int m_left;
    std::vector<int> m_tree;
};

// Who met whom in the rounds before `from`.
void keptMeetings(const QList<Placement>& players, int from, Meetings& meetings) {
    for (int k = 0; k + 1 < from && k < db::kMaxRounds; ++k) {
        QHash<int, SeatedTable> tables;
        for (const Placement& p : players)
            if (p.codes[k]) {
                auto table = tables.find(p.codes[k]);
                if (table == tables.end())
                    table = tables.insert(p.codes[k], SeatedTable{-1, -1, -1, -1, -1});
                for (int& place : *table)
                    if (place < 0) {
                        place = p.number;
                        break;
                    }
            }
        for (const SeatedTable& table : std::as_const(tables))
            meetings.addTable(table);
    }
}

// Seats 1 to 4 at every table and seat 5 at the last `fifths` tables, for the players of
// `placed` (indices by seat in number order), rounds from..rounds; the kept rounds' meetings
// are counted by the players' numbers in `kept`.
void drawTables(QList<Placement>& placed, int from, int rounds, int tables, int fifths,
                RandomSource& random, bool avoidRepeats, const QList<Placement>& kept) {
    std::array<QList<int>, db::kMaxSeats> holders;
    for (int i = 0; i < placed.size(); ++i)
        if (placed[i].seat >= 1 && placed[i].seat <= db::kMaxSeats)
            holders[placed[i].seat - 1].append(i);
    const int drawn = rounds - from + 1;
    if (drawn < 1 || tables < 1)
        return;
    const int firstFive = tables - fifths; // index of the first table of five
    if (!avoidRepeats) {
        for (int round = from; round <= rounds; ++round)
            for (int seat = 0; seat < db::kMaxSeats; ++seat) {
                FreeHolders free(holders[seat]);
                for (int table = seat < 4 ? 1 : firstFive + 1; table <= tables && free.size();
                     ++table) {
                    random.reseed();
                    const int r = pick(random, free.size());
                    placed[free.take(r)].codes[round - 1] = db::tableCode(round, table);
                }
            }
        return;
    }
    random.reseed();
    const QList<RoundTables> schedule = noRepeatTables(tables, drawn, random);
    std::vector<TablesOfRound> grid(drawn, TablesOfRound(tables));
    for (int r = 0; r < drawn; ++r) {
        for (SeatedTable& table : grid[r])
            table.fill(-1);
        for (int seat = 0; seat < 4; ++seat)
            for (int i = 0; i < holders[seat].size(); ++i)
                grid[r][schedule[r][seat][i]][seat] = placed[holders[seat][i]].number;
        // The fifth players turn round the tables of five; the search below sorts them out.
        for (int i = 0; i < holders[4].size() && fifths > 0; ++i)
            grid[r][firstFive + (i + r) % fifths][4] = placed[holders[4][i]].number;
    }
    Meetings meetings;
    keptMeetings(kept, from, meetings);
    for (const TablesOfRound& round : grid)
        for (const auto& table : round)
            meetings.addTable(table);
    lessenRepeats(grid, meetings, random);
    QHash<int, int> index; // by number
    for (int i = 0; i < placed.size(); ++i)
        index.insert(placed[i].number, i);
    for (int r = 0; r < drawn; ++r)
        for (int t = 0; t < tables; ++t)
            for (const int number : grid[r][t])
                if (number >= 0)
                    placed[index.value(number)].codes[from + r - 1] =
                        db::tableCode(from + r, t + 1);
}

// Seats: each group of four in surname order gets the four seats in a random order, drawn by
// rejection.
void seatByFours(QList<Placement>& bySurname, int tables, RandomSource& random) {
    for (int group = 0; group < tables; ++group) {
        random.reseed();
        std::array<int, 4> seats{};
        for (int i = 0; i < 4; ++i) {
            int seat = 0;
            do
                seat = pick(random, 4);
            while (std::find(seats.begin(), seats.begin() + i, seat) != seats.begin() + i);
            seats[i] = seat;
            bySurname[4 * group + i].seat = seat;
        }
    }
}

// The full draw when some tables seat five.
QList<Placement> drawWithFives(QList<Placement> bySurname, int rounds, int tables, int fifths,
                               RandomSource& random, bool avoidRepeats) {
    QList<Placement> fifth;
    for (int i = 0; i < fifths; ++i) {
        random.reseed();
        fifth.append(bySurname.takeAt(pick(random, static_cast<int>(bySurname.size())) - 1));
        fifth.last().seat = 5;
    }
    seatByFours(bySurname, tables, random);
    QList<Placement> placed = std::move(bySurname);
    placed.append(fifth);
    std::sort(placed.begin(), placed.end(), byNumber);
    drawTables(placed, 1, rounds, tables, fifths, random, avoidRepeats, {});
    return placed;
}

} // namespace

QList<Placement> drawPlacements(QList<Placement> bySurname, int rounds, RandomSource& random,
                                bool avoidRepeats, bool fives) {
    rounds = std::clamp(rounds, 0, db::kMaxRounds); // a table code field for each round
    const int tables = static_cast<int>(bySurname.size()) / 4;
    const int fifths = fives ? std::min({static_cast<int>(bySurname.size()) % 4, tables, 3}) : 0;
    if (fifths > 0)
        return drawWithFives(std::move(bySurname), rounds, tables, fifths, random, avoidRepeats);

    seatByFours(bySurname, tables, random);

    // Tables: for every round, seat and table, one of the seat's players still free in that
    // round, the candidates in number order.
    QList<Placement> placed = std::move(bySurname);
    placed.resize(4 * tables);
    std::sort(placed.begin(), placed.end(), byNumber);
    std::array<QList<int>, 4> holders;
    for (int i = 0; i < placed.size(); ++i)
        holders[placed[i].seat - 1].append(i);
    if (avoidRepeats) {
        // The i-th holder of a seat, in number order, is the rotation's player i.
        random.reseed();
        const QList<RoundTables> schedule = noRepeatTables(tables, rounds, random);
        for (int round = 1; round <= schedule.size(); ++round)
            for (int seat = 0; seat < 4; ++seat)
                for (int i = 0; i < holders[seat].size(); ++i)
                    placed[holders[seat][i]].codes[round - 1] =
                        db::tableCode(round, schedule[round - 1][seat][i] + 1);
        return placed;
    }
    for (int round = 1; round <= rounds; ++round) {
        for (const QList<int>& seatHolders : holders) {
            FreeHolders free(seatHolders);
            for (int table = 1; table <= tables; ++table) {
                random.reseed();
                const int r = pick(random, free.size());
                placed[free.take(r)].codes[round - 1] = db::tableCode(round, table);
            }
        }
    }
    return placed;
}

Redrawn redrawPlacements(QList<Placement> players, const QSet<qint64>& gone, int from, int rounds,
                         RandomSource& random, bool avoidRepeats, bool fives) {
    rounds = std::clamp(rounds, 0, db::kMaxRounds);
    from = std::max(from, 1);
    std::sort(players.begin(), players.end(), byNumber);
    Redrawn redrawn;
    const QList<Placement> kept = players; // the earlier rounds, for their meetings
    QList<int> present;                    // indices into players
    for (int i = 0; i < players.size(); ++i) {
        for (int k = from - 1; k < db::kMaxRounds; ++k)
            players[i].codes[k] = 0;
        if (!gone.contains(players[i].rowid))
            present.append(i);
    }
    const int count = static_cast<int>(present.size());
    const int tables = std::min(count / 4, kMaxTables);
    const int fifths = fives ? std::min(db::tablesOfFive(count), tables) : 0;
    const int seated = 4 * tables + fifths;
    for (int i = seated; i < count; ++i)
        redrawn.sittingOut.append(players[present[i]].number);
    present.resize(seated);

    // Each seat keeps as many of its holders as the tables take; the others, chosen at random,
    // and the newcomers fill the seats left short.
    std::array<QList<int>, db::kMaxSeats> holders;
    QList<int> unseated;
    for (const int i : std::as_const(present)) {
        const int seat = players[i].seat;
        if (seat >= 1 && seat <= db::kMaxSeats)
            holders[seat - 1].append(i);
        else
            unseated.append(i);
    }
    QList<int> short_; // one entry per place to fill, by seat
    for (int seat = 1; seat <= db::kMaxSeats; ++seat) {
        QList<int>& held = holders[seat - 1];
        const int wanted = seat <= 4 ? tables : fifths;
        while (held.size() > wanted) {
            random.reseed();
            unseated.append(held.takeAt(pick(random, static_cast<int>(held.size())) - 1));
            ++redrawn.seatChanges;
        }
        for (qsizetype n = held.size(); n < wanted; ++n)
            short_.append(seat);
    }
    for (const int seat : std::as_const(short_)) {
        random.reseed();
        Placement& p =
            players[unseated.takeAt(pick(random, static_cast<int>(unseated.size())) - 1)];
        p.seat = seat;
    }

    QList<Placement> placed;
    placed.reserve(seated);
    for (const int i : std::as_const(present))
        placed.append(players[i]);
    drawTables(placed, from, rounds, tables, fifths, random, avoidRepeats, kept);
    for (int n = 0; n < placed.size(); ++n)
        players[present[n]] = placed[n];
    redrawn.players = std::move(players);
    return redrawn;
}

int repeatedPairs(const QList<Placement>& placed) {
    // Each pair of a table, by its two numbers, for every round; counted once when it meets
    // again, however often.
    QHash<quint64, int> meetings;
    int repeats = 0;
    for (int k = 0; k < db::kMaxRounds; ++k) {
        QHash<int, QList<int>> tables;
        for (const Placement& p : placed)
            if (p.codes[k])
                tables[p.codes[k]].append(p.number);
        for (const QList<int>& players : std::as_const(tables))
            for (int a = 0; a < players.size(); ++a)
                for (int b = a + 1; b < players.size(); ++b) {
                    const auto [low, high] = std::minmax(players[a], players[b]);
                    if (++meetings[(quint64(quint32(low)) << 32) | quint32(high)] == 2)
                        ++repeats;
                }
    }
    return repeats;
}

} // namespace draw
