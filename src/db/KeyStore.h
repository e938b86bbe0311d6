#pragma once

#include <QHash>
#include <QString>
#include <functional>

namespace db {

class Connection;

// The keys of score entry at the tables, one per drawn table (table ClesTables): every
// statement on that table is here, whoever makes, reads or deletes the keys. Each throws
// DbError.

// Gives a key made by `newKey` to every table of every round drawn that has none, in one
// transaction: the number of keys added.
int addMissingTableKeys(Connection& connection, const std::function<QString()>& newKey);

// The key stored for a table code; empty when the table has none.
QString tableKey(Connection& connection, int tableCode);

// The keys of the table codes from `first` to `last`, by code.
QHash<int, QString> tableKeys(Connection& connection, int first, int last);

// Replaces the key of a table that has one, in one transaction: false, and nothing written,
// when the table has none.
bool replaceTableKey(Connection& connection, int tableCode, const QString& key);

// Deletes every key, within the caller's transaction (the keys go with the tables they
// open). A file without the table of keys, which only a test makes, is left as it is.
void deleteAllTableKeys(Connection& connection);

// Deletes the keys of the table codes from `first` on, within the caller's transaction (the
// coming rounds drawn again); a file without the table of keys is left as it is.
void deleteTableKeysFrom(Connection& connection, int first);

} // namespace db
