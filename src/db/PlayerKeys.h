#pragma once

#include <QHash>
#include <QString>
#include <functional>

namespace db {

class Connection;

// The keys of the players' own pages, one per registered player (table ClesJoueurs): every
// statement on that table is here. A player keeps his key for the evening, whatever the
// redraws; the reset deletes them with the players. Each throws DbError.

// Gives a key made by `newKey` to every registered player who has none, in one transaction:
// the number of keys added.
int addMissingPlayerKeys(Connection& connection, const std::function<QString()>& newKey);

// The key stored for a player number; empty when he has none.
QString playerKey(Connection& connection, qint64 number);

// Every key, by player number.
QHash<qint64, QString> playerKeys(Connection& connection);

// Deletes every key, within the caller's transaction. A file without the table, which only a
// test makes, is left as it is.
void deleteAllPlayerKeys(Connection& connection);
// The key of one player, removed with his registration: his number may be given again.
void deletePlayerKey(Connection& connection, qint64 number);

} // namespace db
