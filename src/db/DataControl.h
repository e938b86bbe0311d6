#pragma once

#include "RecordSet.h"

#include <QString>
#include <memory>

namespace db {

class Connection;
class DataControl;

// The open database of a DataControl: whole-table statements and closing.
class Database {
public:
    // Runs one statement ("DELETE * from Resultats", an UPDATE...), stored at once. Values go
    // in as parameters ?1, ?2..., never pasted into the text.
    void Execute(const QString& statement, const QVariantList& parameters = {});
    // Lets go of the file; the next Refresh opens it again.
    void Close();
    // The connection under it, for a Transaction. Throws DbError when not open.
    Connection& connection();

private:
    friend class DataControl;
    explicit Database(DataControl* owner) : m_owner(owner) {}
    DataControl* m_owner;
};

// A window's database access object: point it at the file (DatabaseName), give it a table
// name or a SELECT text (RecordSource), Refresh, then work on Recordset(). It works through
// the connection open on that file (the main one, so the password is never needed again and
// no key is derived), and opens one by name alone only when none is.
class DataControl {
public:
    DataControl() = default;
    DataControl(const DataControl&) = delete;
    DataControl& operator=(const DataControl&) = delete;

    QString DatabaseName;
    QString RecordSource;
    // Values for the parameters ?1, ?2... of the record source.
    QVariantList Parameters;

    // Opens the file if needed and runs the record source; the first row becomes current.
    void Refresh();
    // Points the object at a file and a record source, without parameters, and refreshes it.
    RecordSet& Refresh(const QString& databaseName, const QString& recordSource);
    RecordSet& Recordset() { return m_recordset; }
    db::Database& Database() { return m_database; }

private:
    friend class db::Database;
    void attach();

    std::shared_ptr<Connection> m_connection;
    QString m_connectionPath; // the file m_connection works on, normalised
    RecordSet m_recordset;
    db::Database m_database{this};
};

} // namespace db
