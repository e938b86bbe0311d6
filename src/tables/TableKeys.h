#pragma once

#include "results/Scores.h"

#include <QString>
#include <variant>

namespace db {
class Connection;
}

namespace tables {

// A table's key: what a phone must give with the table code to see its players and enter its
// scores. Printed on the table's score sheet, so that only those seated there hold it.
inline constexpr int kKeyLength = 6;
// Capital letters and digits, none that reads as another (no 0 or O, 1, I or L).
inline constexpr char kKeyAlphabet[] = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";

// A new key from the system's cryptographic random source.
QString newKey();

// Gives a new key to every drawn table of every round that has none (all of them after a
// draw, which deletes the keys), in one transaction. The keys made. Throws DbError.
int makeMissingKeys(db::Connection& connection);

// The key stored for a table code; empty when the table has none. Throws DbError.
QString storedKey(db::Connection& connection, int tableCode);

// A new key for the table of the code typed, so that its lost sheet opens it no more: the
// key, or why the table has none to change (the results window's refusal of the code, or a
// table not drawn). One transaction. Throws DbError.
std::variant<QString, results::Refusal> giveNewKey(db::Connection& connection,
                                                   const QString& typedCode);

// A key as typed on a phone: blanks dropped, small letters read as capitals.
QString typedKey(const QString& typed);

} // namespace tables
