#include "NoRepeat.h"

#include "RandomSource.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

// The players of a seat and the tables of a round are both numbered by the elements of a group
// of order T. In round r, player x of seat s sits at table x + D[r][s]. Two players x of seat s
// and y of seat s' then meet in round r exactly when y - x = D[r][s] - D[r][s'], so nobody meets
// anybody twice as long as, for every two seats, the differences of their offsets are all
// different from one round to the next. Each difference that comes back makes the T pairs
// (x, x + d) of those two seats meet again, nothing else. Finding the 4 × R offsets is a small
// search, quick for every size of the draw; the rest is relabelling at random.

namespace draw {
namespace {

constexpr int kSeats = 4;

// Offsets tried in all, at most: about a sixth of a second. Six rounds of six tables, the
// hardest size, took at most 1.32 million (80 ms) in 6 000 draws; any other size under 150 000.
constexpr std::int64_t kSearchSteps = 3'000'000;

// 0 to n - 1, each as likely as the others.
int below(RandomSource& random, int n) {
    return std::min(n - 1, static_cast<int>(n * random.next()));
}

std::vector<int> shuffled(int n, RandomSource& random) {
    std::vector<int> values(n);
    for (int i = 0; i < n; ++i)
        values[i] = i;
    for (int i = n - 1; i > 0; --i)
        std::swap(values[i], values[below(random, i + 1)]);
    return values;
}

// The product of Z/p over the prime factors p of T, each as often as it divides T, an element
// written in mixed radix. Z/T would not do: four tables hold no three rounds without a repeat
// in Z/4, where (Z/2)² holds four, and eight tables need a long search in Z/8.
class Group {
public:
    explicit Group(int order) {
        for (int p = 2, left = order; left > 1; ++p)
            for (; left % p == 0; left /= p)
                m_primes.push_back(p);
    }
    int add(int a, int b) const { return combined(a, b, 1); }
    int subtract(int a, int b) const { return combined(a, b, -1); }

private:
    int combined(int a, int b, int sign) const {
        int result = 0;
        int weight = 1;
        for (const int p : m_primes) {
            result += ((a % p + sign * (b % p) + p) % p) * weight;
            weight *= p;
            a /= p;
            b /= p;
        }
        return result;
    }
    std::vector<int> m_primes;
};

// D[r][s], one row per round.
using Offsets = std::vector<std::array<int, kSeats>>;

int pairOf(int a, int b) {
    static constexpr int kPair[kSeats][kSeats] = {
        {-1, 0, 1, 2}, {0, -1, 3, 4}, {1, 3, -1, 5}, {2, 4, 5, -1}};
    return kPair[a][b];
}

// Depth first, every choice in a random order. Seat 0 is at offset 0 in every round and every
// seat in round 0 (the tables of a round and the players of a seat are relabelled at random
// afterwards). When repeats are allowed, the rounds come in the order of seat 1's offset, since
// any order of the rounds would do: otherwise finding the fewest repeats for six rounds of six
// tables would take a hundred times longer. Without repeats that order would only slow the
// search down, a poor first choice leaving too few values for the rounds after it.
class OffsetSearch {
public:
    OffsetSearch(const Group& group, int tables, RandomSource& random)
        : m_group(group), m_tables(tables), m_random(random) {}

    bool stepsLeft() const { return m_steps > 0; }

    // Offsets for `rounds` rounds in which at most `repeats` differences come back, none more
    // than `most` times in all, or none when there are no such offsets or the steps run out.
    Offsets find(int rounds, int repeats, int most = 1) {
        m_offsets.assign(rounds, {});
        m_allowed = repeats;
        m_most = most;
        m_repeats = 0;
        for (std::vector<int>& seen : m_seen)
            seen.assign(m_tables, 0);
        for (std::vector<int>& seen : m_seen)
            seen[0] = 1; // round 0
        m_choices.resize(static_cast<std::size_t>(rounds) * (kSeats - 1));
        for (std::vector<int>& values : m_choices)
            if (values.empty()) {
                values.resize(m_tables);
                std::iota(values.begin(), values.end(), 0);
            }
        if (!place(1, 1))
            return {};
        return m_offsets;
    }

private:
    bool place(int round, int seat) {
        if (round == static_cast<int>(m_offsets.size()))
            return true;
        if (seat == kSeats)
            return place(round + 1, 1);
        std::vector<int>& values = m_choices[(round - 1) * (kSeats - 1) + seat - 1];
        const int lowest = seat == 1 && m_allowed > 0 ? m_offsets[round - 1][1] : 0;
        for (int n = 0; n < m_tables; ++n) {
            if (--m_steps < 0)
                return false;
            std::swap(values[n], values[n + below(m_random, m_tables - n)]);
            const int offset = values[n];
            if (offset < lowest)
                continue;
            std::array<int, kSeats>& row = m_offsets[round];
            row[seat] = offset;
            int added = 0;
            int most = 0;
            for (int a = 0; a < seat; ++a) {
                const int times = ++seen(row, a, seat);
                added += times == 2;
                most = std::max(most, times);
            }
            m_repeats += added;
            if (m_repeats <= m_allowed && most <= m_most && place(round, seat + 1))
                return true;
            m_repeats -= added;
            for (int a = 0; a < seat; ++a)
                --seen(row, a, seat);
        }
        return false;
    }

    // How often the difference between seats a and `seat` in this row has come so far.
    int& seen(const std::array<int, kSeats>& row, int a, int seat) {
        return m_seen[pairOf(a, seat)][m_group.subtract(row[seat], row[a])];
    }

    const Group& m_group;
    int m_tables;
    RandomSource& m_random;
    std::int64_t m_steps = kSearchSteps;
    Offsets m_offsets;
    int m_allowed = 0;
    int m_most = 1;
    int m_repeats = 0;
    std::array<std::vector<int>, 6> m_seen;  // per pair of seats, per difference
    std::vector<std::vector<int>> m_choices; // per round and seat, the values in random order
};

} // namespace

QList<RoundTables> noRepeatTables(int tables, int rounds, RandomSource& random) {
    if (tables < 1 || rounds < 1)
        return {};
    const Group group(tables);
    OffsetSearch search(group, tables, random);
    Offsets offsets;
    if (rounds <= tables) {
        offsets = search.find(rounds, 0);
        // Of as many repeats, first those where no pair meets more than twice: six rounds of
        // six tables would otherwise often have some Nord player meet the same Est player
        // every round.
        for (int repeats = 1; offsets.empty() && search.stepsLeft(); ++repeats) {
            offsets = search.find(rounds, repeats, 2);
            if (offsets.empty())
                offsets = search.find(rounds, repeats, rounds);
        }
    }
    if (offsets.empty()) {
        // More rounds than tables (or the steps ran out, which no size has done): each player
        // meets again someone of every other seat, so at least 6 T pairs meet again. The most
        // rounds found without a repeat, then one of them over and over, make exactly those 6 T.
        for (int base = std::min(rounds, tables); offsets.empty(); --base)
            offsets = search.find(base, 0);
        const std::array<int, kSeats> again =
            offsets[below(random, static_cast<int>(offsets.size()))];
        offsets.resize(rounds, again);
    }
    for (int r = rounds - 1; r > 0; --r)
        std::swap(offsets[r], offsets[below(random, r + 1)]);

    std::array<std::vector<int>, kSeats> players; // the group element of each player
    for (std::vector<int>& seat : players)
        seat = shuffled(tables, random);
    QList<RoundTables> schedule(rounds);
    for (int r = 0; r < rounds; ++r) {
        const std::vector<int> table = shuffled(tables, random);
        for (int s = 0; s < kSeats; ++s) {
            QList<int>& seat = schedule[r][s];
            seat.resize(tables);
            for (int i = 0; i < tables; ++i)
                seat[i] = table[group.add(players[s][i], offsets[r][s])];
        }
    }
    return schedule;
}

int countRepeats(const QList<RoundTables>& schedule) {
    qsizetype players = 1; // of the largest seat
    for (const RoundTables& round : schedule)
        for (const QList<int>& seat : round)
            players = std::max(players, seat.size());
    // Every meeting of a round as one number, the two players in a fixed order.
    std::vector<std::uint64_t> meetings;
    std::vector<std::pair<int, std::uint64_t>> byTable; // (table, player)
    for (const RoundTables& round : schedule) {
        byTable.clear();
        for (int s = 0; s < kSeats; ++s)
            for (qsizetype i = 0; i < round[s].size(); ++i)
                byTable.push_back({round[s][i], std::uint64_t(s * players + i)});
        std::sort(byTable.begin(), byTable.end());
        for (std::size_t first = 0, end = 0; first < byTable.size(); first = end) {
            end = first + 1;
            while (end < byTable.size() && byTable[end].first == byTable[first].first)
                ++end;
            for (std::size_t a = first; a < end; ++a)
                for (std::size_t b = a + 1; b < end; ++b)
                    meetings.push_back(byTable[a].second * kSeats * players + byTable[b].second);
        }
    }
    std::sort(meetings.begin(), meetings.end());
    int repeats = 0;
    for (std::size_t i = 1; i < meetings.size(); ++i)
        if (meetings[i] == meetings[i - 1] && (i == 1 || meetings[i - 2] != meetings[i]))
            ++repeats;
    return repeats;
}

void Meetings::add(int a, int b) {
    if (++m_count[key(a, b)] == 2)
        ++m_repeats;
}

void Meetings::remove(int a, int b) {
    const auto it = m_count.find(key(a, b));
    if (it == m_count.end())
        return;
    if (--*it == 1)
        --m_repeats;
}

void Meetings::addTable(const SeatedTable& table) {
    for (std::size_t i = 0; i < table.size(); ++i)
        for (std::size_t j = i + 1; j < table.size(); ++j)
            if (table[i] >= 0 && table[j] >= 0)
                add(table[i], table[j]);
}

namespace {

// Player `p` leaves `from` for `to`, whose player at the same seat, `q`, goes the other way.
void exchange(Meetings& meetings, SeatedTable& from, SeatedTable& to, int seat) {
    const int p = from[seat];
    const int q = to[seat];
    for (int s = 0; s < static_cast<int>(from.size()); ++s)
        if (s != seat && from[s] >= 0) {
            meetings.remove(p, from[s]);
            meetings.add(q, from[s]);
        }
    for (int s = 0; s < static_cast<int>(to.size()); ++s)
        if (s != seat && to[s] >= 0) {
            meetings.remove(q, to[s]);
            meetings.add(p, to[s]);
        }
    std::swap(from[seat], to[seat]);
}

bool meetsAgain(const Meetings& meetings, const SeatedTable& table, int seat) {
    for (int s = 0; s < static_cast<int>(table.size()); ++s)
        if (s != seat && table[s] >= 0 && meetings.count(table[seat], table[s]) > 1)
            return true;
    return false;
}

// Swaps tried in all, at most: well under a tenth of a second at full size.
constexpr std::int64_t kSwapsTried = 400'000;
// Passes in a row without fewer repeats before the search gives up, and how often a swap that
// changes nothing is kept.
constexpr int kIdlePasses = 30;
constexpr double kSideways = 0.2;

} // namespace

void lessenRepeats(std::vector<TablesOfRound>& rounds, Meetings& meetings, RandomSource& random) {
    std::int64_t tries = kSwapsTried;
    // Tables a and b exchange their players of the seats from `first` to `last`; kept when
    // fewer pairs then meet again.
    // A swap that leaves as many repeats is kept now and then, so that the search can leave a
    // place where no single swap helps.
    const auto improves = [&](SeatedTable& a, SeatedTable& b, int first, int last) {
        --tries;
        const int before = meetings.repeats();
        for (int seat = first; seat <= last; ++seat)
            exchange(meetings, a, b, seat);
        if (meetings.repeats() < before)
            return true;
        if (meetings.repeats() == before && random.next() < kSideways)
            return false;
        for (int seat = first; seat <= last; ++seat)
            exchange(meetings, a, b, seat); // back as it was
        return false;
    };
    for (int idle = 0; idle < kIdlePasses && tries > 0 && meetings.repeats() > 0;) {
        bool better = false;
        for (TablesOfRound& tables : rounds) {
            const int count = static_cast<int>(tables.size());
            for (int a = 0; a < count && tries > 0; ++a)
                for (int seat = 0; seat < static_cast<int>(tables[a].size()); ++seat) {
                    if (tables[a][seat] < 0 || !meetsAgain(meetings, tables[a], seat))
                        continue;
                    const int start = below(random, count);
                    bool moved = false;
                    for (int step = 0; step < count && tries > 0 && !moved; ++step) {
                        const int b = (start + step) % count;
                        moved = b != a && tables[b][seat] >= 0 &&
                                improves(tables[a], tables[b], seat, seat);
                    }
                    // A fifth player meets other fours when the four of his table change
                    // places with those of another table.
                    for (int step = 0; step < count && tries > 0 && !moved && tables[a][4] >= 0;
                         ++step) {
                        const int b = (start + step) % count;
                        moved = b != a && improves(tables[a], tables[b], 0, 3);
                    }
                    better = better || moved;
                }
        }
        idle = better ? 0 : idle + 1;
    }
}

} // namespace draw
