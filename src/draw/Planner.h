#pragma once

#include "db/Tournament.h"

#include <QList>
#include <QSet>
#include <array>

namespace draw {

class RandomSource;

// The largest draw the table code can hold: 999 tables of four per round.
inline constexpr int kMaxParticipants = 3996;
inline constexpr int kMaxTables = kMaxParticipants / 4;

// One participant as the draw places him.
struct Placement {
    qint64 rowid = 0;
    int number = 0;                          // CodeIndividuel
    int seat = 0;                            // 1 to 4, 5 at a table of five; 0 for none
    std::array<int, db::kMaxRounds> codes{}; // table code of each round, 0 where he has none
};

// The seats and tables of P participants for R rounds, drawn from the random source exactly
// as the organiser's draw does it: bySurname lists the participants in surname order (the
// seat phase seats them four at a time in that order), and each one's number orders the
// candidates of the table phase. The result comes in number order. Avoiding repeats, the
// seats are drawn the same way, then each seat's players rotate through the tables so that
// no two meet twice whenever that can be done (see noRepeatTables).
//
// With fives, P may exceed a multiple of four by up to one player per table (at most three):
// those players, picked at random first, hold the fifth seat, at the last tables of every round.
QList<Placement> drawPlacements(QList<Placement> bySurname, int rounds, RandomSource& random,
                                bool avoidRepeats = false, bool fives = false);

// The rounds `from` to `rounds` drawn again, those before kept as they are.
struct Redrawn {
    QList<Placement> players; // everyone given, in number order, seats and later codes rewritten
    QList<int> sittingOut;    // numbers of the players present left without a table
    int seatChanges = 0;      // players seated before who now hold another seat
};
// `players`: every registered player with his seat and table codes as stored (a late arrival
// has seat 0); `gone`: the row ids of those who no longer play. The players present are seated
// as the draw would seat that many (the highest numbers sit out when some must), keeping every
// seat the counts allow; avoiding repeats, the meetings of the kept rounds count too.
Redrawn redrawPlacements(QList<Placement> players, const QSet<qint64>& gone, int from, int rounds,
                         RandomSource& random, bool avoidRepeats, bool fives);

// Number order, the row deciding between equal numbers.
inline bool byNumber(const Placement& a, const Placement& b) {
    return a.number != b.number ? a.number < b.number : a.rowid < b.rowid;
}

// The pairs of players who share a table in more than one round, each pair once.
int repeatedPairs(const QList<Placement>& placed);

} // namespace draw
