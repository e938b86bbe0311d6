#include "DataControl.h"

#include "Connection.h"
#include "DbError.h"

namespace db {

void Database::Execute(const QString& statement) {
    m_owner->attach();
    m_owner->m_connection->execute(statement);
}

void Database::Close() {
    m_owner->m_recordset.close();
    m_owner->m_connection.reset();
}

Connection& Database::connection() {
    m_owner->attach();
    return *m_owner->m_connection;
}

void DataControl::attach() {
    if (DatabaseName.isEmpty())
        throw DbError(QStringLiteral("Aucune base de données n'est désignée"));
    if (m_connection && m_connection->path() == DatabaseName)
        return;
    m_recordset.close();
    m_connection = mainConnection(DatabaseName);
    if (!m_connection)
        m_connection = std::make_shared<Connection>(DatabaseName, QString(), false, false);
}

void DataControl::Refresh() {
    attach();
    m_recordset.open(m_connection, RecordSource);
}

} // namespace db
