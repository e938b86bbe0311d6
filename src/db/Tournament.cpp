#include "Tournament.h"

#include "Connection.h"

namespace db {

bool drawMade(Connection& connection) {
    auto first = connection.prepare(QStringLiteral(
        "SELECT CodeEquipe01 FROM Inscriptions ORDER BY CodeIndividuel, rowid LIMIT 1"));
    return first->step() && first->columnInt64(0) != 0;
}

} // namespace db
