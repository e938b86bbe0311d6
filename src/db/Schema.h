#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace db {

class Connection;

// The tournament file: its name beside the program, and the password it opens with.
inline constexpr char16_t kDatabaseFileName[] = u"Velmora.dat";
inline constexpr char16_t kPassword[] = u"kqz475";
inline constexpr char16_t kConnect[] = u";pwd=kqz475";

// Program directory (ending with the separator) + "Velmora.dat".
QString databasePath(const QString& programDirectory);

// Writes a new, empty tournament file: the three tables, no player, no result, and the one
// row of settings. The file must not exist yet; a failed creation leaves no file behind.
void createDatabase(const QString& path, const QString& password, int rounds = 3, int deals = 12);

// The tables a tournament file must hold that this one lacks (empty when it is sound).
QStringList missingTables(Connection& connection);

// What opening a file found.
struct SchemaCheck {
    bool upgraded = false;          // written by an earlier build, brought up to date
    QList<qint64> duplicateNumbers; // player numbers held by more than one player
};

// Brings a file written by an earlier build to the current layout, in one transaction, its
// rows unchanged, and makes player numbers unique from now on. A file that already gives a
// number to two players keeps all its rows; the numbers are reported instead, until a call
// after the players were wiped makes them unique.
SchemaCheck upgradeDatabase(Connection& connection);

} // namespace db
