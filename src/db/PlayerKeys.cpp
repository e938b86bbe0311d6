#include "PlayerKeys.h"

#include "Connection.h"
#include "Transaction.h"

#include <QList>

namespace db {

int addMissingPlayerKeys(Connection& connection, const std::function<QString()>& newKey) {
    QList<qint64> numbers;
    {
        auto missing = connection.prepare(QStringLiteral(
            "SELECT DISTINCT CodeIndividuel FROM Inscriptions WHERE CodeIndividuel IS NOT NULL "
            "AND CodeIndividuel NOT IN (SELECT CodeIndividuel FROM ClesJoueurs WHERE "
            "CodeIndividuel IS NOT NULL) ORDER BY CodeIndividuel"));
        while (missing->step())
            numbers.append(missing->columnInt64(0));
    }
    if (numbers.isEmpty())
        return 0;
    Transaction keys(connection);
    {
        auto add = connection.prepare(
            QStringLiteral("INSERT INTO ClesJoueurs (CodeIndividuel, Cle) VALUES (?1, ?2)"));
        for (const qint64 number : numbers) {
            add->bind(1, number);
            add->bind(2, newKey());
            add->step();
            add->reset();
        }
    }
    keys.commit();
    return int(numbers.size());
}

QString playerKey(Connection& connection, qint64 number) {
    auto key =
        connection.prepare(QStringLiteral("SELECT Cle FROM ClesJoueurs WHERE CodeIndividuel = ?1"));
    key->bind(1, number);
    return key->step() ? key->column(0).toString() : QString();
}

QHash<qint64, QString> playerKeys(Connection& connection) {
    QHash<qint64, QString> found;
    auto keys = connection.prepare(QStringLiteral("SELECT CodeIndividuel, Cle FROM ClesJoueurs"));
    while (keys->step())
        found.insert(keys->columnInt64(0), keys->column(1).toString());
    return found;
}

void deleteAllPlayerKeys(Connection& connection) {
    if (connection.hasTable(QStringLiteral("ClesJoueurs")))
        connection.executeNative(QStringLiteral("DELETE FROM ClesJoueurs"));
}

void deletePlayerKey(Connection& connection, qint64 number) {
    if (connection.hasTable(QStringLiteral("ClesJoueurs")))
        connection.executeNative(
            QStringLiteral("DELETE FROM ClesJoueurs WHERE CodeIndividuel = ?1"), {number});
}

} // namespace db
