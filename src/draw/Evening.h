#pragma once

#include "Planner.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace db {
class Connection;
}

namespace draw {

class RandomSource;

// Why the draw, or a redraw, does not go ahead: the box the window shows.
struct Refusal {
    QString title;
    QString text;
};

// The participants count the draw window hands over, checked before anything is read.
std::optional<Refusal> checkParticipants(int participants, bool fives);

// The choices kept with the draw; both off for a file that holds none.
struct Choices {
    bool avoidRepeats = false;
    bool fives = false;
};
Choices storedChoices(db::Connection& connection);
// Within the caller's transaction. Throws DbError.
void storeChoices(db::Connection& connection, Choices choices);

// Writes the seats and the table codes of rounds `from` to 7 of each player given, in the
// caller's transaction: a player without a seat gets Position 0 and keeps the name of his last
// one, as a player who sits out always has. `written` runs after each row. Throws DbError.
void writePlacements(db::Connection& connection, const QList<Placement>& players, int from,
                     const std::function<void(const Placement&)>& written = {});

// The evening as the arrivals and departures window shows it. Throws DbError.
struct Evening {
    struct Player {
        Placement placement;
        QString name;     // Nom, a space, Prenom
        int goneFrom = 0; // the first round he no longer plays; 0 while he plays
    };
    int rounds = 0;       // as stored; 0 when none is usable
    int scoredRounds = 0; // the highest round holding a score, 0 for none
    Choices choices;
    QList<Player> players; // every registered player, in number order
    bool drawn = false;
    // The first round a redraw may draw: the one after the last round holding a score.
    int firstOpen() const { return scoredRounds + 1; }
    // The first round from firstOpen() on where nobody has a table (a round added since the
    // draw), the one to redraw from, as the round before it may be under way; 0 for none.
    int firstUndrawn() const;
};
Evening readEvening(db::Connection& connection);

// Marks a player gone from round `from` on, or back (from = 0), in one transaction: no value
// when done, otherwise why not. Throws DbError.
std::optional<QString> setGone(db::Connection& connection, int number, int from);

// The coming rounds drawn again, planned: nothing is written yet.
struct Redraw {
    std::optional<Refusal> refusal;
    int from = 0;
    int rounds = 0;
    QList<Placement> players;
    QStringList sittingOut; // "n° 29 DUPONT Jean"
    int seatChanges = 0;
    int repeats = 0;             // over the whole evening
    bool replacesTables = false; // tables already drawn for those rounds are replaced
    // The seats the rounds kept must go on showing for the players who change seat.
    struct KeptSeat {
        int number = 0;
        int round = 0;
        int seat = 0;
    };
    QList<KeptSeat> keptSeats;
};
// Rounds `from` to the stored number of rounds, for the players present from `from` on, with
// the choices kept with the draw. Refused when a round from `from` on holds a score, when a
// player is marked gone from a later round (he plays `from`, so those rounds cannot be drawn
// at once), or when fewer than four players are left. Throws DbError.
Redraw planRedraw(db::Connection& connection, int from, RandomSource& random);
// Writes a planned redraw in one transaction, the rounds before it untouched; refused, with
// nothing written, when a score reached those rounds since it was planned. Throws DbError.
std::optional<Refusal> writeRedraw(db::Connection& connection, const Redraw& redraw);

} // namespace draw
