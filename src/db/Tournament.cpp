#include "Tournament.h"

#include "Connection.h"

namespace db {

bool drawMade(Connection& connection) {
    // Anyone at a table in round 1: the player with the lowest number may have left before it.
    auto seated = connection.prepare(
        QStringLiteral("SELECT 1 FROM Inscriptions WHERE CodeEquipe01 <> 0 LIMIT 1"));
    return seated->step();
}

} // namespace db
