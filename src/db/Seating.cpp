#include "Seating.h"

#include "Connection.h"
#include "Departures.h"

#include <QStringList>

namespace db {
namespace {

QList<Seated> seatedOf(Connection& connection, int round, Statement& statement) {
    const QHash<int, int> kept = keptSeats(connection, round);
    QList<Seated> players;
    while (statement.step()) {
        Seated s{statement.columnInt64(0), statement.column(1).toString(),
                 statement.column(2).toString(), int(statement.columnInt64(3)),
                 int(statement.columnInt64(4))};
        s.seat = kept.value(int(s.number), s.seat);
        players.append(s);
    }
    std::stable_sort(players.begin(), players.end(), [](const Seated& a, const Seated& b) {
        return a.code != b.code ? a.code < b.code : a.seat < b.seat;
    });
    return players;
}

} // namespace

int lastScoredRound(Connection& connection) {
    auto read =
        connection.prepare(QStringLiteral("SELECT coalesce(max(Manche), 0) FROM Resultats"));
    return read->step() ? int(read->columnInt64(0)) : 0;
}

int storedRounds(Connection& connection) {
    auto read = connection.prepare(QStringLiteral("SELECT Manches FROM Parametres LIMIT 1"));
    return read->step() ? qBound(0, int(read->columnInt64(0)), kMaxRounds) : 0;
}

std::optional<PlayerTables> playerTables(Connection& connection, qint64 number) {
    QStringList fields;
    for (int k = 1; k <= kMaxRounds; ++k)
        fields.append(roundField(k));
    auto read = connection.prepare(
        QStringLiteral("SELECT Nom, Prenom, Position, %1 FROM Inscriptions WHERE CodeIndividuel = "
                       "?1 ORDER BY rowid LIMIT 1")
            .arg(fields.join(QStringLiteral(", "))));
    read->bind(1, number);
    if (!read->step())
        return std::nullopt;
    PlayerTables player{number,
                        read->column(0).toString(),
                        read->column(1).toString(),
                        int(read->columnInt64(2)),
                        {}};
    for (int k = 0; k < kMaxRounds; ++k)
        player.codes[k] = int(read->columnInt64(3 + k));
    return player;
}

QList<Seated> tablePlayers(Connection& connection, int round, int code) {
    if (round < 1 || round > kMaxRounds || code == 0)
        return {};
    auto read = connection.prepare(
        QStringLiteral("SELECT CodeIndividuel, Nom, Prenom, Position, %1 FROM Inscriptions WHERE "
                       "%1 = ?1")
            .arg(roundField(round)));
    read->bind(1, code);
    return seatedOf(connection, round, *read);
}

QList<Seated> roundSeating(Connection& connection, int round) {
    if (round < 1 || round > kMaxRounds)
        return {};
    auto read = connection.prepare(
        QStringLiteral("SELECT CodeIndividuel, Nom, Prenom, Position, %1 FROM Inscriptions WHERE "
                       "%1 <> 0")
            .arg(roundField(round)));
    return seatedOf(connection, round, *read);
}

QHash<int, double> playerPoints(Connection& connection, qint64 number) {
    QHash<int, double> points;
    auto read = connection.prepare(
        QStringLiteral("SELECT Manche, round(Sum(Points), 4) FROM Resultats WHERE CodeIndividuel "
                       "= ?1 GROUP BY Manche"));
    read->bind(1, number);
    while (read->step())
        points.insert(int(read->columnInt64(0)), read->column(1).toDouble());
    return points;
}

QList<int> drawnRounds(Connection& connection, int rounds) {
    rounds = qBound(0, rounds, kMaxRounds);
    QList<int> drawn;
    if (rounds == 0)
        return drawn;
    QStringList any;
    for (int k = 1; k <= rounds; ++k)
        any.append(QStringLiteral("max(%1 <> 0)").arg(roundField(k)));
    auto read = connection.prepare(
        QStringLiteral("SELECT %1 FROM Inscriptions").arg(any.join(QStringLiteral(", "))));
    if (read->step())
        for (int k = 0; k < rounds; ++k)
            if (read->columnInt64(k) != 0)
                drawn.append(k + 1);
    return drawn;
}

} // namespace db
