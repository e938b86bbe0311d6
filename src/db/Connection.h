#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <list>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// One column of a stored table as the engine declared it.
struct ColumnInfo {
    QString name;
    bool numeric = false; // INTEGER/REAL/NUMERIC affinity: texts written to it are converted
    bool integer = false; // whole numbers only
    int width = 0;        // longest text accepted, 0 when the type sets no width
};

// A prepared statement borrowed from the connection's cache. The statement is reset and its
// bindings cleared when the borrow ends, so no statement is ever left pending between calls:
// every write is committed as soon as it is made.
class Statement {
public:
    Statement(sqlite3_stmt* stmt, class Connection* owner) : m_stmt(stmt), m_owner(owner) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    void bind(int index, const QVariant& value);
    // One step; true while a row is available, false once done. Throws DbError on failure.
    bool step();
    int columnCount() const;
    QString columnName(int column) const;
    QVariant column(int column) const;
    qint64 columnInt64(int column) const;
    // The type the column was declared with in its table ("INTEGER"), empty for an expression.
    QString declaredType(int column) const;
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt;
    Connection* m_owner;
};

// An open connection to one database file. The main connection is opened once, with the
// password, and shared by every database access object working on that file: the key is
// derived once per run, never per query.
class Connection {
public:
    // Opens an existing file; never creates one. An empty password opens without a key.
    Connection(const QString& path, const QString& password, bool readOnly, bool exclusive);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString path() const { return m_path; }

    // Creates a new encrypted database file (the file must not exist) and returns it open.
    static std::unique_ptr<Connection> create(const QString& path, const QString& password);

    // Runs one statement written in the program's SQL dialect, to its end, the parameters
    // bound to ?1, ?2...
    void execute(const QString& sql, const QVariantList& parameters = {});
    // Runs one statement already in the engine's own dialect, to its end.
    void executeNative(const QString& sql, const QVariantList& parameters = {});
    // A cached prepared statement for engine-dialect SQL. A text holding more than one
    // statement is refused.
    std::unique_ptr<Statement> prepare(const QString& nativeSql);

    // The stored columns of a table, looked up once and then kept.
    const std::vector<ColumnInfo>& columns(const QString& table);

    qint64 lastInsertRowId() const;
    int changes() const;
    bool inTransaction() const;

    sqlite3* handle() const { return m_db; }
    [[noreturn]] void fail(int rc, const QString& context = {}) const;

private:
    void configure();
    void release(sqlite3_stmt* stmt);
    friend class Statement;

    QString m_path;
    sqlite3* m_db = nullptr;
    // Statement cache, most recently used first; bounded so that texts built per table code
    // do not pile up.
    struct Cached {
        QString sql;
        sqlite3_stmt* stmt;
        bool inUse;
    };
    std::list<Cached> m_cache;
    QHash<QString, std::vector<ColumnInfo>> m_columns;
};

// Opens the main connection to a database file and registers it, so that every database
// access object naming that file works through it. The connect string is of the form
// ";pwd=secret". Throws DbError when the file is missing, is not a database or does not open
// with the password.
std::shared_ptr<Connection> OpenDatabase(const QString& path, bool exclusive, bool readOnly,
                                         const QString& connect);

// The same file always gets the same name: absolute, without "." or "..", single separators.
QString normalizedPath(const QString& path);

// The registered main connection of a file, or null when none is open.
std::shared_ptr<Connection> mainConnection(const QString& path);

} // namespace db
