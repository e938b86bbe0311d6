#pragma once

#include <QHash>

namespace db {

class Connection;

// The players gone for the rest of the evening (table Departs): every statement on that table
// is here. A file without the table, which only a test makes, has nobody gone. Each throws
// DbError.

// The first round each player gone no longer plays, by player number.
QHash<int, int> departures(Connection& connection);

// Marks the player gone from round `from` on, or back when `from` is 0, within the caller's
// transaction.
void setDeparture(Connection& connection, int number, int from);

// Everyone plays again (a new draw, the reset), within the caller's transaction.
void clearDepartures(Connection& connection);

} // namespace db
