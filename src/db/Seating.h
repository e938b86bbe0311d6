#pragma once

#include "Tournament.h"

#include <QHash>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace db {

class Connection;

// Who sits where, as the players' pages and the room's screen read it: a few indexed
// statements on Inscriptions and Resultats, never a write. Each throws DbError.

// A player at a table of one round.
struct Seated {
    qint64 number = 0;
    QString nom;
    QString prenom;
    int seat = 0; // held in that round: the one kept for a round played before a redraw moved him
    int code = 0; // the table code in that round
    QString name() const { return nom + u' ' + prenom; }
};

// A registered player, his seat now and his table code in each of rounds 1 to 7 (0: none).
struct PlayerTables {
    qint64 number = 0;
    QString nom;
    QString prenom;
    int seat = 0;
    std::array<int, kMaxRounds> codes{};
};

// The number of rounds as stored, within 0 to 7.
int storedRounds(Connection& connection);

// The player of that number; none when nobody holds it (a number held twice, which only an old
// file has, gives its first holder).
std::optional<PlayerTables> playerTables(Connection& connection, qint64 number);

// The players of one table of a round, in seat order.
QList<Seated> tablePlayers(Connection& connection, int round, int code);

// Every player with a table in a round, in table order, then seat order.
QList<Seated> roundSeating(Connection& connection, int round);

// A player's points in each round that holds his result.
QHash<int, double> playerPoints(Connection& connection, qint64 number);

// The rounds among 1 to `rounds` where somebody holds a table.
QList<int> drawnRounds(Connection& connection, int rounds);

// The last round holding a result; 0 before the first.
int lastScoredRound(Connection& connection);

} // namespace db
