#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

namespace db {
class Connection;
}

// A fresh tournament file in a folder of its own, written by the same code as the shipped
// one, with its main connection open as the program's start-up leaves it.
class TestDatabase {
public:
    TestDatabase();
    // A file as the first build wrote it, with the program's own order declared on the names,
    // holding these players (number, surname) and a settings row; not upgraded yet.
    explicit TestDatabase(const QList<std::pair<int, QString>>& firstBuildPlayers);
    ~TestDatabase();

    QString directory() const; // ends with "/", like the program directory
    QString path() const;      // directory() + "Velmora.dat"
    db::Connection& connection() { return *m_main; }
    void closeMain() { m_main.reset(); }

    // Registers a player straight in the file, as the registration window would.
    void addPlayer(int code, const QString& nom, const QString& prenom, int position = 0,
                   const QString& position2 = QString());
    // Seats registered players at one table of a round, as the draw would: the players in seat
    // order (Nord, Est, Sud, Ouest), the table code in the field of its round.
    void seatTable(int tableCode, const QList<int>& playersInSeatOrder);
    // A drawn tournament: players 1..count registered, their surnames in the reverse order of
    // their numbers (player n is "NOM" + (1000 - n)), each group of four consecutive numbers
    // at one table in every round, seats in number order, the last ones of an incomplete four
    // sitting out; rounds and deals set.
    void drawTournament(int count, int rounds, int deals = 0);
    // The first column of the first row of a statement in the engine's own dialect.
    QVariant scalar(const QString& sql);

private:
    QTemporaryDir m_dir;
    std::shared_ptr<db::Connection> m_main;
};

namespace db {
class DataControl;
}
// Points an access object at the test file and refreshes it on a record source.
void refreshed(db::DataControl& data, const TestDatabase& base, const QString& source,
               const QVariantList& parameters = {});

// What the standard sqlcipher client prints for a script run on the file, given the password
// and nothing of the program.
QString standardClient(const QString& path, const QString& script);
// Every row of every table of the file, row ids included, as text.
QString contents(db::Connection& connection);
