#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace db {
class Connection;
}

// Tournament files written once and put back, byte for byte, before every run of an action.
namespace tournaments {

// A file with players 1..count registered and `rounds` rounds set; drawn, it is drawn for
// every round (those beyond the last four sitting out) and every round is scored but the last.
QByteArray build(int players, int rounds, bool drawn);

// The same file once an earlier evening of the same players was kept in the club's season.
QByteArray withEveningKept(const QByteArray& file);

// The bytes as the tournament file of the program directory, and no journal beside it.
void putBack(const QByteArray& file, const QString& programDirectory);

// The main connection, opened as the program opens it at start-up.
std::shared_ptr<db::Connection> openAsTheProgram(const QString& programDirectory);

// The file as the program finds it when it opens it again.
struct Found {
    QString integrity; // what PRAGMA integrity_check says ("ok"), or why the file does not open
    QString rows;      // every row of every table (see contents())
};
Found reopen(const QString& path);

} // namespace tournaments
