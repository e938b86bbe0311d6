#include "Transaction.h"

#include "Connection.h"
#include "DataControl.h"

#include <QString>

namespace db {

// Guards live on the stack, so they end in the reverse order of their start: one savepoint
// name serves every level, each ROLLBACK TO / RELEASE reaching the innermost one.
Transaction::Transaction(Connection& connection) : m_connection(connection.shared_from_this()) {
    m_connection->executeNative(QStringLiteral("SAVEPOINT velmora"));
}

Transaction::Transaction(Database& database) : Transaction(database.connection()) {}

Transaction::~Transaction() {
    if (m_done)
        return;
    try {
        m_connection->executeNative(QStringLiteral("ROLLBACK TO velmora"));
        m_connection->executeNative(QStringLiteral("RELEASE velmora"));
    } catch (...) {
        // The engine may already have ended the transaction after a failed write; make sure
        // none is left open, or every later write would wait in it.
        try {
            if (m_connection->inTransaction())
                m_connection->executeNative(QStringLiteral("ROLLBACK"));
        } catch (...) {
        }
    }
}

void Transaction::commit() {
    m_connection->executeNative(QStringLiteral("RELEASE velmora"));
    m_done = true;
}

} // namespace db
