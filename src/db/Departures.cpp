#include "Departures.h"

#include "Connection.h"

namespace db {
namespace {

bool hasDepartures(Connection& connection) {
    auto table = connection.prepare(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Departs'"));
    return table->step();
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

void clearDepartures(Connection& connection) {
    if (hasDepartures(connection))
        connection.executeNative(QStringLiteral("DELETE FROM Departs"));
}

} // namespace db
