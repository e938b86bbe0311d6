#include "DataControl.h"

#include "Connection.h"
#include "DbError.h"

namespace db {

void Database::Execute(const QString& statement, const QVariantList& parameters) {
    m_owner->attach();
    m_owner->m_connection->execute(statement, parameters);
}

void Database::Close() {
    m_owner->m_recordset.close();
    m_owner->m_connection.reset();
    m_owner->m_connectionPath.clear();
}

Connection& Database::connection() {
    m_owner->attach();
    return *m_owner->m_connection;
}

void DataControl::attach() {
    if (DatabaseName.isEmpty())
        throw DbError(QStringLiteral("Aucune base de données n'est désignée"));
    const QString path = normalizedPath(DatabaseName);
    if (m_connection && m_connectionPath == path)
        return;
    auto connection = sharedConnection(DatabaseName);
    if (connection != m_connection) {
        m_recordset.close();
        m_connection = std::move(connection);
    }
    m_connectionPath = path;
}

void DataControl::Refresh() {
    attach();
    m_recordset.open(m_connection, RecordSource, Parameters);
}

RecordSet& DataControl::Refresh(const QString& databaseName, const QString& recordSource) {
    DatabaseName = databaseName;
    RecordSource = recordSource;
    Parameters.clear();
    Refresh();
    return m_recordset;
}

} // namespace db
