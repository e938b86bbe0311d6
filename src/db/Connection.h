#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <list>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

class Connection;
class DbError;
class RecordSet;

// One column of a stored table as the engine declared it.
struct ColumnInfo {
    QString name;
    bool numeric = false; // INTEGER/REAL/NUMERIC affinity: texts written to it are converted
    bool integer = false; // whole numbers only
    int width = 0;        // longest text accepted, 0 when the type sets no width
};

// A prepared statement borrowed from its connection. The borrow keeps the connection alive,
// and at its end the statement is reset and goes back to the connection's cache.
class Statement {
public:
    // What running the statement does to the transaction and to the tables.
    enum class Kind { Other, Begin, Savepoint, Release, Commit, Rollback, RollbackTo, Schema };
    struct Effect {
        Kind kind = Kind::Other;
        QString savepoint; // its name, in capitals
    };

    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    void bind(int index, const QVariant& value);
    // Binds ?1, ?2... in order, as far as the statement has parameters.
    void bindAll(const QVariantList& parameters);
    // The number of a named parameter (":rowid"), 0 when the statement has none of that name.
    int parameterIndex(const char* name) const;
    // The highest parameter number the statement uses.
    int parameterCount() const;
    // One step; true while a row is available, false once done. Throws DbError on failure.
    bool step();
    // Ready to run again from the start; the bindings stay.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant column(int column) const;
    qint64 columnInt64(int column) const;
    // The type the column was declared with in its table ("INTEGER"), empty for an expression.
    QString declaredType(int column) const;
    // The table and the field a result column reads as it is; both empty for an expression.
    QString originTable(int column) const;
    QString originName(int column) const;

private:
    friend class Connection;
    Statement(sqlite3_stmt* stmt, std::shared_ptr<Connection> owner, QString sql, Effect effect);

    sqlite3_stmt* m_stmt;
    std::shared_ptr<Connection> m_owner;
    QString m_sql;
    Effect m_effect;
    bool m_started = false;
};

// An open connection to one database file. The main connection is opened once, with the
// password, and shared by every database access object working on that file: the key is
// derived once per run, never per query.
class Connection : public std::enable_shared_from_this<Connection> {
    struct Private {};

public:
    // Opens an existing file; never creates one. An empty password opens without a key.
    // Throws DbError when the file is missing, is not a database or does not open with the
    // password.
    static std::shared_ptr<Connection> open(const QString& path, const QString& password,
                                            bool readOnly, bool exclusive);
    // Creates a new encrypted database file (the file must not exist) and returns it open.
    static std::shared_ptr<Connection> create(const QString& path, const QString& password);

    Connection(Private, const QString& path);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString path() const { return m_path; }

    // Runs one statement written in the program's SQL dialect, to its end, the parameters
    // bound to ?1, ?2...
    void execute(const QString& sql, const QVariantList& parameters = {});
    // Runs one statement already in the engine's own dialect, to its end.
    void executeNative(const QString& sql, const QVariantList& parameters = {});
    // A prepared statement for engine-dialect SQL, from the cache when the same text ran
    // before. A text holding more than one statement is refused.
    std::unique_ptr<Statement> prepare(const QString& nativeSql);

    // The stored columns of a table, looked up once and then kept.
    const std::vector<ColumnInfo>& columns(const QString& table);
    // Whether the file holds this table: those added by later layouts may be missing from a
    // file not yet upgraded.
    bool hasTable(const QString& name);

    // Copies this whole database, as it stands, into the database of `target` through the
    // engine's online backup, in one step: the target then holds all of it, or, when the copy
    // fails, exactly what it held before. Both must be keyed alike. Throws DbError.
    void copyInto(Connection& target);

    qint64 lastInsertRowId() const;
    // Rows changed by the last statement.
    int changes() const;
    bool inTransaction() const;

    // Grows with every change made through this connection, a rollback included: a row read
    // while it keeps one value is still what the file holds.
    quint64 changeCount() const { return m_changes; }
    // Statements run so far, for bounding what an operation costs.
    quint64 statementCount() const { return m_statements; }

    [[noreturn]] void fail(int rc, const QString& context = {}) const;

    // Called by the engine as it works: a row was added, a transaction was taken back.
    void rowInserted(const char* table, qint64 rowid);
    void transactionRolledBack();

private:
    friend class Statement;
    friend class RecordSet;

    void key(const QString& password);
    void configure(bool exclusive, bool readOnly);
    DbError error(int rc, const QString& context) const;
    void release(sqlite3_stmt* stmt, const QString& sql, const Statement::Effect& effect);
    void finalizeAll();
    // After each statement: what it changed; after a rollback or a change of the tables,
    // every open record set brought in line with the file.
    void finished(const Statement& statement, bool succeeded);
    void watch(RecordSet* set);
    void unwatch(RecordSet* set);

    QString m_path;
    sqlite3* m_db = nullptr;
    // Statements not in use, most recently used first; a borrowed statement is not here, so
    // the cache can never finalise one that runs. Bounded, as texts built per table code
    // would otherwise pile up.
    struct Idle {
        QString sql;
        sqlite3_stmt* stmt;
        Statement::Effect effect;
    };
    std::list<Idle> m_idle;
    QHash<QString, std::list<Idle>::iterator> m_idleBySql;
    QHash<QString, std::vector<ColumnInfo>> m_columns;
    std::vector<RecordSet*> m_sets;
    quint64 m_changes = 0;
    quint64 m_statements = 0;
    bool m_rolledBack = false; // the engine took a whole transaction back during a step
    // The open transaction's savepoints (name, change count when made); the first one, or a
    // nameless one for BEGIN, is where the transaction began.
    QList<std::pair<QString, quint64>> m_savepoints;
};

// Opens the main connection to a database file and registers it, so that every database
// access object naming that file works through it. The connect string is of the form
// ";pwd=secret". Throws DbError when the file is missing, is not a database or does not open
// with the password.
std::shared_ptr<Connection> OpenDatabase(const QString& path, bool exclusive, bool readOnly,
                                         const QString& connect);

// The connection every access object naming this file shares: the registered main one, or
// else one opened by name alone, without a key, and registered in turn.
std::shared_ptr<Connection> sharedConnection(const QString& path);

// The connection registered for a file, or null when none is open.
std::shared_ptr<Connection> openConnection(const QString& path);

// The same file always gets the same name: absolute, without "." or "..", single separators.
QString normalizedPath(const QString& path);

} // namespace db
