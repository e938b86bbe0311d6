#pragma once

#include <QString>

namespace db {

class Connection;

// The rounds a tournament can have: Inscriptions holds a table code field for rounds 1 to 7.
inline constexpr int kMaxRounds = 7;

// A player's seat, the same in every round: 1 to 4 in Position, its name in Position2.
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

// Whether the tables are drawn: the player with the lowest number holds a table in round 1,
// whatever order the file keeps its rows in and whoever registered since. Throws DbError.
bool drawMade(Connection& connection);

} // namespace db
