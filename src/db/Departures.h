#pragma once

#include <QHash>

namespace db {

class Connection;

// What the evening changed after the draw: the players gone for the rest of it (table Departs)
// and the seats of the rounds played before a redraw moved a player to another seat (table
// PlacesManches). Every statement on those tables is here. A file without them, which only a
// test makes, has nobody gone and no seat moved. Each throws DbError.

// The first round each player gone no longer plays, by player number.
QHash<int, int> departures(Connection& connection);

// Marks the player gone from round `from` on, or back when `from` is 0, within the caller's
// transaction.
void setDeparture(Connection& connection, int number, int from);

// The player held `seat` in `round`, a round kept by a redraw that gave him another seat; a
// seat kept before for that round stays. Within the caller's transaction.
void keepSeat(Connection& connection, int number, int round, int seat);

// The seats held in `round` by the players who hold another one since, by player number.
QHash<int, int> keptSeats(Connection& connection, int round);

// Everyone plays again in the seat he holds (a new draw, the reset), within the caller's
// transaction.
void clearEveningChanges(Connection& connection);

} // namespace db
