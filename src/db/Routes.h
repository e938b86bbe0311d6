#pragma once

#include <QList>
#include <QString>

namespace db {

class Connection;

// One player's evening as his route card shows it.
struct Route {
    qint64 number = 0;
    QString nom;
    QString prenom;
    QList<int> tables; // his table code in each of rounds 1 to n; 0 where he has none
    QList<int> seats;  // the seat he holds in each of them (kept by a redraw); 0 where none
};

// Every registered player in French name order (surname, first name, then number), with his
// table and seat in each of rounds 1 to `rounds` (at most 7), in a few statements: one for the
// players and one for the seats each round kept. A code that does not begin with its round's
// digit, which only an edited file holds, is no table. Throws DbError.
QList<Route> routes(Connection& connection, int rounds);

} // namespace db
