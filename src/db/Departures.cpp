#include "Departures.h"

#include "Connection.h"

namespace db {
namespace {

bool hasDepartures(Connection& connection) {
    return connection.hasTable(QStringLiteral("Departs"));
}

} // namespace

QHash<int, int> departures(Connection& connection) {
    QHash<int, int> gone;
    if (!hasDepartures(connection))
        return gone;
    auto read = connection.prepare(QStringLiteral("SELECT CodeIndividuel, Manche FROM Departs"));
    while (read->step())
        gone.insert(static_cast<int>(read->columnInt64(0)), static_cast<int>(read->columnInt64(1)));
    return gone;
}

void setDeparture(Connection& connection, int number, int from) {
    connection.executeNative(QStringLiteral("DELETE FROM Departs WHERE CodeIndividuel = ?1"),
                             {number});
    if (from != 0)
        connection.executeNative(
            QStringLiteral("INSERT INTO Departs (CodeIndividuel, Manche) VALUES (?1, ?2)"),
            {number, from});
}

void keepSeat(Connection& connection, int number, int round, int seat) {
    connection.executeNative(QStringLiteral("INSERT OR IGNORE INTO PlacesManches (CodeIndividuel, "
                                            "Manche, Position) VALUES (?1, ?2, ?3)"),
                             {number, round, seat});
}

QHash<int, int> keptSeats(Connection& connection, int round) {
    QHash<int, int> seats;
    if (!connection.hasTable(QStringLiteral("PlacesManches")))
        return seats;
    auto read = connection.prepare(
        QStringLiteral("SELECT CodeIndividuel, Position FROM PlacesManches WHERE Manche = ?1"));
    read->bind(1, round);
    while (read->step())
        seats.insert(static_cast<int>(read->columnInt64(0)),
                     static_cast<int>(read->columnInt64(1)));
    return seats;
}

void clearEveningChanges(Connection& connection) {
    if (hasDepartures(connection))
        connection.executeNative(QStringLiteral("DELETE FROM Departs"));
    if (connection.hasTable(QStringLiteral("PlacesManches")))
        connection.executeNative(QStringLiteral("DELETE FROM PlacesManches"));
}

} // namespace db
