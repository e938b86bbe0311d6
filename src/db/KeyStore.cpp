#include "KeyStore.h"

#include "Connection.h"
#include "Tournament.h"
#include "Transaction.h"

#include <QList>
#include <QStringList>

namespace db {

int addMissingTableKeys(Connection& connection, const std::function<QString()>& newKey) {
    // Every table code of every round's field, once.
    QStringList fields;
    for (int round = 1; round <= kMaxRounds; ++round)
        fields.append(QStringLiteral("SELECT %1 AS Code FROM Inscriptions").arg(roundField(round)));
    QList<qint64> codes;
    {
        auto missing = connection.prepare(
            QStringLiteral("SELECT Code FROM (%1) WHERE Code BETWEEN 1001 AND 7999 AND Code NOT "
                           "IN (SELECT CodeEquipe FROM ClesTables WHERE CodeEquipe IS NOT NULL) "
                           "ORDER BY Code")
                .arg(fields.join(QStringLiteral(" UNION "))));
        while (missing->step())
            codes.append(missing->columnInt64(0));
    }
    if (codes.isEmpty())
        return 0;
    Transaction keys(connection);
    {
        auto add = connection.prepare(
            QStringLiteral("INSERT INTO ClesTables (CodeEquipe, Cle) VALUES (?1, ?2)"));
        for (const qint64 code : codes) {
            add->bind(1, code);
            add->bind(2, newKey());
            add->step();
            add->reset();
        }
    }
    keys.commit();
    return int(codes.size());
}

QString tableKey(Connection& connection, int tableCode) {
    auto key =
        connection.prepare(QStringLiteral("SELECT Cle FROM ClesTables WHERE CodeEquipe = ?1"));
    key->bind(1, tableCode);
    return key->step() ? key->column(0).toString() : QString();
}

QHash<int, QString> tableKeys(Connection& connection, int first, int last) {
    QHash<int, QString> found;
    auto keys = connection.prepare(QStringLiteral(
        "SELECT CodeEquipe, Cle FROM ClesTables WHERE CodeEquipe BETWEEN ?1 AND ?2"));
    keys->bind(1, first);
    keys->bind(2, last);
    while (keys->step())
        found.insert(int(keys->columnInt64(0)), keys->column(1).toString());
    return found;
}

bool replaceTableKey(Connection& connection, int tableCode, const QString& key) {
    Transaction replaced(connection);
    connection.executeNative(QStringLiteral("UPDATE ClesTables SET Cle = ?2 WHERE CodeEquipe = ?1"),
                             {tableCode, key});
    if (connection.changes() != 1)
        return false;
    replaced.commit();
    return true;
}

namespace {
bool hasKeys(Connection& connection) {
    return connection.hasTable(QStringLiteral("ClesTables"));
}
} // namespace

void deleteAllTableKeys(Connection& connection) {
    if (hasKeys(connection))
        connection.executeNative(QStringLiteral("DELETE FROM ClesTables"));
}

void deleteTableKeysFrom(Connection& connection, int first) {
    if (hasKeys(connection))
        connection.executeNative(QStringLiteral("DELETE FROM ClesTables WHERE CodeEquipe >= ?1"),
                                 {first});
}

} // namespace db
