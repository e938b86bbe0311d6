#pragma once

#include <QString>
#include <QStringList>

namespace db {

// The tournament file: its name beside the program, and the password it opens with.
inline constexpr char16_t kDatabaseFileName[] = u"Velmora.dat";
inline constexpr char16_t kPassword[] = u"kqz475";
inline constexpr char16_t kConnect[] = u";pwd=kqz475";

// Program directory (ending with the separator) + "Velmora.dat".
QString databasePath(const QString& programDirectory);

// Writes a new, empty tournament file: the three tables, no player, no result, and the one
// row of settings. The file must not exist yet; a failed creation leaves no file behind.
void createDatabase(const QString& path, const QString& password, int rounds = 3, int deals = 12);

class Connection;
// The tables a tournament file must hold that this one lacks (empty when it is sound).
QStringList missingTables(Connection& connection);

} // namespace db
