#include "Routes.h"

#include "Connection.h"
#include "Departures.h"
#include "Tournament.h"

#include <QStringList>

namespace db {

QList<Route> routes(Connection& connection, int rounds) {
    rounds = qBound(0, rounds, kMaxRounds);
    QStringList fields;
    for (int k = 1; k <= rounds; ++k)
        fields.append(QStringLiteral(", ") + roundField(k));
    auto players = connection.prepare(
        QStringLiteral("SELECT CodeIndividuel, Nom, Prenom, Position%1 FROM Inscriptions ORDER BY "
                       "Nom COLLATE FRENCH, Prenom COLLATE FRENCH, CodeIndividuel")
            .arg(fields.join(QString())));
    QList<Route> found;
    while (players->step()) {
        Route route{players->columnInt64(0),
                    players->column(1).toString(),
                    players->column(2).toString(),
                    {},
                    {}};
        const int seat = int(players->columnInt64(3));
        for (int k = 1; k <= rounds; ++k) {
            const qint64 code = players->columnInt64(3 + k);
            const bool seated = code / 1000 == k && code % 1000 != 0;
            route.tables.append(seated ? int(code) : 0);
            route.seats.append(seated ? seat : 0);
        }
        found.append(std::move(route));
    }
    // A redraw moved some players to another seat: the rounds played before it keep the old one.
    for (int k = 1; k <= rounds; ++k) {
        const QHash<int, int> kept = keptSeats(connection, k);
        if (kept.isEmpty())
            continue;
        for (Route& route : found) {
            const auto held = kept.constFind(int(route.number));
            if (held != kept.cend() && route.tables[k - 1] != 0)
                route.seats[k - 1] = *held;
        }
    }
    return found;
}

} // namespace db
