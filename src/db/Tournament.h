#pragma once

#include <QString>

namespace db {

class Connection;

// The rounds a tournament can have: Inscriptions holds a table code field for rounds 1 to 7.
inline constexpr int kMaxRounds = 7;

// Players at a table: four, or five where the evening seats everyone (each deal, one of the five
// sits out in turn).
inline constexpr int kSeats = 4;
inline constexpr int kMaxSeats = 5;

// A player's seat, the same in every round: 1 to 4 in Position, its name in Position2; the
// extra player of a table of five holds seat 5.
inline QString seatName(int seat) {
    switch (seat) {
    case 1:
        return QStringLiteral("Nord");
    case 2:
        return QStringLiteral("Est");
    case 3:
        return QStringLiteral("Sud");
    case 4:
        return QStringLiteral("Ouest");
    case 5:
        return QStringLiteral("Cinquième");
    default:
        return QString();
    }
}

// The table code of table t in round k: the round digit, then the table on three digits.
inline int tableCode(int round, int table) {
    return 1000 * round + table;
}

// The field that holds a player's table code in round k: CodeEquipe01 ... CodeEquipe07.
inline QString roundField(int round) {
    return QStringLiteral("CodeEquipe%1").arg(round, 2, 10, QLatin1Char('0'));
}

// Players seated by the draw: the largest multiple of four not above the registrations.
inline int participants(int registrations) {
    return 4 * (registrations / 4);
}

// With tables of five: one table of five for each player beyond the tables of four, as long as
// there are tables enough (with 6, 7 or 11 players some must still sit out).
inline int tablesOfFive(int registrations) {
    const int tables = registrations / 4;
    return registrations % 4 < tables ? registrations % 4 : tables;
}
inline int participants(int registrations, bool fives) {
    return participants(registrations) + (fives ? tablesOfFive(registrations) : 0);
}

// Whether the tables are drawn: somebody holds a table in round 1, whatever order the file keeps
// its rows in, whoever registered since and whoever left. Throws DbError.
bool drawMade(Connection& connection);

} // namespace db
