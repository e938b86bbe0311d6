#include "Connection.h"

#include "DbError.h"
#include "FrenchOrder.h"
#include "RecordSet.h"
#include "SqlDialect.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sqlite3.h>
#include <string>

namespace db {
namespace {

constexpr qsizetype kCacheSize = 64;

int frenchCollation(void*, int an, const void* a, int bn, const void* b) {
    return compareFrenchUtf8(static_cast<const char*>(a), an, static_cast<const char*>(b), bn);
}

// Mid(value, start[, length]): the piece of the value's text from position start (from 1).
// On a number field the piece of its digits is a number again, so that
// "Mid(CodeEquipe01, 1, 1) = 3" compares the round digit with a plain number; on a text field
// the piece stays text ("0012" keeps its zeros).
// Mid of a whole number, the table codes of every row of a report: its digits are ASCII, so the
// piece is cut from the bytes without a text of Qt's. False when the arguments want the
// general path (its messages).
bool midOfInteger(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const qint64 start = sqlite3_value_int64(argv[1]);
    const qint64 length = argc > 2 ? sqlite3_value_int64(argv[2]) : 64;
    if (start < 1 || length < 0)
        return false;
    char digits[32];
    const int size = std::snprintf(digits, sizeof digits, "%lld",
                                   static_cast<long long>(sqlite3_value_int64(argv[0])));
    const qint64 from = std::min<qint64>(start - 1, size);
    const qint64 count = std::min<qint64>(length, size - from);
    const char* piece = digits + from;
    const bool number = count > 0 && count <= 18 + (piece[0] == '-') &&
                        !(count == 1 && piece[0] == '-') &&
                        std::all_of(piece + (piece[0] == '-'), piece + count,
                                    [](char c) { return c >= '0' && c <= '9'; });
    if (number)
        sqlite3_result_int64(context, std::strtoll(std::string(piece, count).c_str(), nullptr, 10));
    else
        sqlite3_result_text(context, piece, int(count), SQLITE_TRANSIENT);
    return true;
}

void midFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER && midOfInteger(context, argc, argv))
        return;
    const QString whole = QString::fromUtf8(
        reinterpret_cast<const char*>(sqlite3_value_text(argv[0])), sqlite3_value_bytes(argv[0]));
    const qint64 start = sqlite3_value_int64(argv[1]);
    if (start < 1) {
        sqlite3_result_error(context, "Mid : la position de départ doit valoir au moins 1", -1);
        return;
    }
    qint64 length = whole.size();
    if (argc > 2) {
        length = sqlite3_value_int64(argv[2]);
        if (length < 0) {
            sqlite3_result_error(context, "Mid : la longueur ne peut être négative", -1);
            return;
        }
    }
    const QString piece = whole.mid(start - 1, length);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        static const QRegularExpression wholeNumber(QStringLiteral("^-?[0-9]{1,18}$"));
        if (wholeNumber.match(piece).hasMatch()) {
            sqlite3_result_int64(context, piece.toLongLong());
            return;
        }
    }
    const QByteArray utf8 = piece.toUtf8();
    sqlite3_result_text(context, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

DbError::Kind kindOf(int rc) {
    // A unique index refuses a value given twice; the other rules (a trigger, say) are
    // failures like any other.
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        return DbError::Kind::Duplicate;
    switch (rc & 0xff) {
    case SQLITE_CANTOPEN:
        return DbError::Kind::Missing;
    case SQLITE_NOTADB:
        return DbError::Kind::NotADatabase;
    case SQLITE_READONLY:
        return DbError::Kind::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError::Kind::Busy;
    case SQLITE_CORRUPT:
        return DbError::Kind::Damaged;
    case SQLITE_FULL:
        return DbError::Kind::Full;
    case SQLITE_IOERR:
        return DbError::Kind::Io;
    default:
        return DbError::Kind::Other;
    }
}

QString errorText(sqlite3* db, int rc) {
    if (db)
        return QString::fromUtf8(sqlite3_errmsg(db));
    return QString::fromUtf8(sqlite3_errstr(rc));
}

// What a statement does to the transaction and to the tables, read from its text: the
// engine tells no more than whether it writes.
Statement::Effect effectOf(const QString& nativeSql) {
    // Comments and blanks first, then the statement's first word and, for savepoints, the
    // savepoint's name.
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:\s+|--[^\n]*(?:\n|$)|/\*.*?(?:\*/|$))*([A-Za-z]+))"
                       R"((?:\s+(?:TRANSACTION\s+)?(TO\s+)?(?:SAVEPOINT\s+)?)"
                       R"(("[^"]*"|[A-Za-z_][A-Za-z0-9_]*))?)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    using Kind = Statement::Kind;
    Statement::Effect effect;
    const auto m = pattern.match(nativeSql);
    if (!m.hasMatch())
        return effect;
    const QString first = m.captured(1).toUpper();
    const QString name = m.captured(3).remove(u'"').toUpper();
    if (first == u"ROLLBACK")
        effect.kind = m.capturedLength(2) ? Kind::RollbackTo : Kind::Rollback;
    else if (first == u"SAVEPOINT")
        effect.kind = Kind::Savepoint;
    else if (first == u"RELEASE")
        effect.kind = Kind::Release;
    else if (first == u"BEGIN")
        effect.kind = Kind::Begin;
    else if (first == u"COMMIT" || first == u"END")
        effect.kind = Kind::Commit;
    else if (first == u"CREATE" || first == u"DROP" || first == u"ALTER")
        effect.kind = Kind::Schema;
    if (effect.kind == Kind::RollbackTo || effect.kind == Kind::Savepoint ||
        effect.kind == Kind::Release)
        effect.savepoint = name;
    return effect;
}

void insertHook(void* connection, int operation, const char*, const char* table,
                sqlite3_int64 rowid) {
    // An UPDATE that moves a row to another row id is not seen: no table of the program lets
    // its row ids be set.
    if (operation == SQLITE_INSERT)
        static_cast<Connection*>(connection)->rowInserted(table, rowid);
}

void rollbackHook(void* connection) {
    static_cast<Connection*>(connection)->transactionRolledBack();
}

ColumnInfo columnInfo(const QString& name, const QString& declared) {
    // The engine's own affinity rules, plus the width written in the type: VARCHAR(25).
    ColumnInfo info;
    info.name = name;
    const QString type = declared.toUpper();
    if (type.contains(u"INT")) {
        info.numeric = info.integer = true;
    } else if (type.contains(u"CHAR") || type.contains(u"CLOB") || type.contains(u"TEXT")) {
        static const QRegularExpression width(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
        const auto m = width.match(type);
        if (m.hasMatch())
            info.width = m.captured(1).toInt();
    } else if (!type.contains(u"BLOB") && !type.isEmpty()) {
        info.numeric = true; // REAL, DOUBLE, FLOAT, NUMERIC, DECIMAL...
    }
    return info;
}

QString utf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

// ---- Statement ------------------------------------------------------------------------------

Statement::Statement(sqlite3_stmt* stmt, std::shared_ptr<Connection> owner, QString sql,
                     Effect effect)
    : m_stmt(stmt), m_owner(std::move(owner)), m_sql(std::move(sql)), m_effect(std::move(effect)) {}

Statement::~Statement() {
    m_owner->release(m_stmt, m_sql, m_effect);
}

void Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        rc = sqlite3_bind_null(m_stmt, index);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    default: {
        if (value.isNull()) {
            rc = sqlite3_bind_null(m_stmt, index);
            break;
        }
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, text.constData(), text.size(), SQLITE_TRANSIENT);
        break;
    }
    }
    if (rc != SQLITE_OK)
        m_owner->fail(rc, m_sql);
}

void Statement::bindAll(const QVariantList& parameters) {
    const int count = std::min(int(parameters.size()), sqlite3_bind_parameter_count(m_stmt));
    for (int i = 0; i < count; ++i)
        bind(i + 1, parameters[i]);
}

int Statement::parameterIndex(const char* name) const {
    return sqlite3_bind_parameter_index(m_stmt, name);
}

int Statement::parameterCount() const {
    return sqlite3_bind_parameter_count(m_stmt);
}

bool Statement::step() {
    if (!m_started) {
        ++m_owner->m_statements;
        m_started = true;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    // The engine's own words first: the record sets' work below runs statements of its own.
    std::optional<DbError> failure;
    if (rc != SQLITE_DONE)
        failure = m_owner->error(rc, m_sql);
    m_owner->finished(*this, !failure);
    if (failure)
        throw *failure;
    return false;
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    m_started = false;
}

int Statement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const {
    return utf8(sqlite3_column_name(m_stmt, column));
}

QVariant Statement::column(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)),
                              sqlite3_column_bytes(m_stmt, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(m_stmt, column)),
                                   sqlite3_column_bytes(m_stmt, column)));
    default:
        return QVariant();
    }
}

qint64 Statement::columnInt64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString Statement::declaredType(int column) const {
    return utf8(sqlite3_column_decltype(m_stmt, column));
}

QString Statement::originTable(int column) const {
    return utf8(sqlite3_column_table_name(m_stmt, column));
}

QString Statement::originName(int column) const {
    return utf8(sqlite3_column_origin_name(m_stmt, column));
}

// ---- Connection -----------------------------------------------------------------------------

Connection::Connection(Private, const QString& path) : m_path(path) {}

std::shared_ptr<Connection> Connection::open(const QString& path, const QString& password,
                                             bool readOnly, bool exclusive) {
    auto connection = std::make_shared<Connection>(Private{}, path);
    // One thread works on the database: no locking between threads.
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const QByteArray file = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(file.constData(), &connection->m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = errorText(connection->m_db, rc);
        throw DbError(message, kindOf(rc), rc);
    }
    if (!password.isEmpty())
        connection->key(password);
    connection->configure(exclusive, readOnly);
    return connection;
}

void Connection::key(const QString& password) {
    const QByteArray bytes = password.toUtf8();
    const int rc = sqlite3_key(m_db, bytes.constData(), bytes.size());
    if (rc != SQLITE_OK)
        fail(rc);
}

void Connection::configure(bool exclusive, bool readOnly) {
    // A wrong key, or a file that is no database, only shows at the first read.
    executeNative(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (exclusive)
        executeNative(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    // One file at rest, and every commit on the disk before the call returns, the journal's
    // removal included: left to the folder's next sync, a power cut could bring the journal
    // back and the next opening would undo the last action.
    executeNative(QStringLiteral("PRAGMA journal_mode = DELETE"));
    executeNative(QStringLiteral("PRAGMA synchronous = EXTRA"));
    sqlite3_busy_timeout(m_db, 2000);
    // The French name order and Mid() belong to this connection, never to the file: the
    // standard client must read the file without them.
    int rc = sqlite3_create_collation(m_db, "FRENCH", SQLITE_UTF8, nullptr, frenchCollation);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(m_db, "Mid", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                     midFunction, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(m_db, "Mid", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                     midFunction, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    sqlite3_update_hook(m_db, insertHook, this);
    sqlite3_rollback_hook(m_db, rollbackHook, this);
    // The engine quietly opens a write-protected file for reading only; the organiser must
    // learn it now, not at the first score he stores.
    if (!readOnly && sqlite3_db_readonly(m_db, "main") == 1)
        throw DbError(QStringLiteral("Le fichier est protégé en écriture"),
                      DbError::Kind::ReadOnly);
}

Connection::~Connection() {
    // Borrowed statements hold the connection alive, so every statement left is idle.
    finalizeAll();
    sqlite3_close(m_db);
}

void Connection::finalizeAll() {
    for (const Idle& idle : m_idle)
        sqlite3_finalize(idle.stmt);
    m_idle.clear();
    m_idleBySql.clear();
}

std::shared_ptr<Connection> Connection::create(const QString& path, const QString& password) {
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("Le fichier %1 existe déjà").arg(path));
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    const int rc =
        sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const QString message = rc == SQLITE_OK ? QString() : errorText(db, rc);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw DbError(message, kindOf(rc), rc);
    // The engine made an empty file; keying it now makes every page written encrypted.
    return open(path, password, false, false);
}

DbError Connection::error(int rc, const QString& context) const {
    QString message = errorText(m_db, rc);
    if (!context.isEmpty())
        message += QStringLiteral(" (%1)").arg(context);
    const int code = m_db ? sqlite3_extended_errcode(m_db) : rc;
    return DbError(message, kindOf(code), code ? code : rc);
}

[[noreturn]] void Connection::fail(int rc, const QString& context) const {
    throw error(rc, context);
}

void Connection::copyInto(Connection& target) {
    if (target.inTransaction())
        throw DbError(QStringLiteral("La base à remplacer est en cours de modification"));
    sqlite3_backup* backup = sqlite3_backup_init(target.m_db, "main", m_db, "main");
    if (!backup)
        target.fail(sqlite3_errcode(target.m_db));
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    // The target's tables may be others now: nothing prepared or described for the old ones.
    target.finalizeAll();
    target.m_columns.clear();
    ++target.m_changes;
    if (stepped != SQLITE_DONE)
        target.fail(stepped == SQLITE_OK ? finished : stepped, QStringLiteral("copie de la base"));
    if (finished != SQLITE_OK)
        target.fail(finished, QStringLiteral("copie de la base"));
}

qint64 Connection::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db);
}

int Connection::changes() const {
    return sqlite3_changes(m_db);
}

bool Connection::inTransaction() const {
    return sqlite3_get_autocommit(m_db) == 0;
}

void Connection::execute(const QString& sql, const QVariantList& parameters) {
    executeNative(toNative(sql), parameters);
}

void Connection::executeNative(const QString& sql, const QVariantList& parameters) {
    auto stmt = prepare(sql);
    stmt->bindAll(parameters);
    while (stmt->step()) {
    }
}

std::unique_ptr<Statement> Connection::prepare(const QString& nativeSql) {
    const auto found = m_idleBySql.find(nativeSql);
    if (found != m_idleBySql.end()) {
        const Idle idle = **found;
        m_idle.erase(*found);
        m_idleBySql.erase(found);
        return std::unique_ptr<Statement>(
            new Statement(idle.stmt, shared_from_this(), idle.sql, idle.effect));
    }
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = nativeSql.toUtf8();
    const char* rest = nullptr;
    int rc = sqlite3_prepare_v2(m_db, text.constData(), text.size() + 1, &stmt, &rest);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail(rc, nativeSql);
    }
    if (!stmt) // only blanks or a comment
        throw DbError(QStringLiteral("Instruction SQL vide"));
    // One statement per text: a second one would be silently dropped by the engine.
    if (rest && *rest) {
        sqlite3_stmt* second = nullptr;
        rc = sqlite3_prepare_v2(m_db, rest, -1, &second, nullptr);
        sqlite3_finalize(second);
        if (rc != SQLITE_OK || second) {
            sqlite3_finalize(stmt);
            throw DbError(
                QStringLiteral("Une seule instruction SQL à la fois (%1)").arg(nativeSql));
        }
    }
    return std::unique_ptr<Statement>(
        new Statement(stmt, shared_from_this(), nativeSql, effectOf(nativeSql)));
}

void Connection::release(sqlite3_stmt* stmt, const QString& sql, const Statement::Effect& effect) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (m_idleBySql.contains(sql)) {
        sqlite3_finalize(stmt); // the same text borrowed twice at once: one copy is enough
        return;
    }
    m_idle.push_front({sql, stmt, effect});
    m_idleBySql.insert(sql, m_idle.begin());
    if (m_idle.size() > size_t(kCacheSize)) {
        m_idleBySql.remove(m_idle.back().sql);
        sqlite3_finalize(m_idle.back().stmt);
        m_idle.pop_back();
    }
}

bool Connection::hasTable(const QString& name) {
    auto table =
        prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1"));
    table->bind(1, name);
    return table->step();
}

const std::vector<ColumnInfo>& Connection::columns(const QString& table) {
    const QString key = table.toUpper();
    auto found = m_columns.constFind(key);
    if (found != m_columns.cend())
        return *found;
    std::vector<ColumnInfo> list;
    {
        QString quoted = table;
        quoted.replace(u'"', QStringLiteral("\"\""));
        auto stmt = prepare(QStringLiteral("PRAGMA table_info(\"%1\")").arg(quoted));
        while (stmt->step())
            list.push_back(columnInfo(stmt->column(1).toString(), stmt->column(2).toString()));
    }
    if (list.empty())
        throw DbError(QStringLiteral("La table %1 n'existe pas").arg(table));
    return *m_columns.insert(key, std::move(list));
}

void Connection::watch(RecordSet* set) {
    m_sets.push_back(set);
}

void Connection::unwatch(RecordSet* set) {
    m_sets.erase(std::remove(m_sets.begin(), m_sets.end(), set), m_sets.end());
}

void Connection::finished(const Statement& statement, bool succeeded) {
    using Kind = Statement::Kind;
    const Statement::Effect& effect = statement.m_effect;
    // Where a rollback takes the file back to: the change count when the transaction or the
    // savepoint began.
    std::optional<quint64> takenBackTo;
    bool rolledBack = m_rolledBack;
    m_rolledBack = false;
    const auto savepoint = [this, &effect] {
        for (qsizetype i = m_savepoints.size() - 1; i >= 0; --i)
            if (m_savepoints[i].first == effect.savepoint)
                return i;
        return qsizetype(-1);
    };
    if (succeeded) {
        switch (effect.kind) {
        case Kind::Begin:
            m_savepoints = {{QString(), m_changes}};
            break;
        case Kind::Savepoint:
            m_savepoints.append({effect.savepoint, m_changes});
            break;
        case Kind::Release:
            if (const qsizetype i = savepoint(); i >= 0)
                m_savepoints.resize(i);
            break;
        case Kind::Commit:
            m_savepoints.clear();
            break;
        case Kind::RollbackTo:
            if (const qsizetype i = savepoint(); i >= 0) {
                takenBackTo = m_savepoints[i].second;
                m_savepoints.resize(i + 1);
            }
            rolledBack = true;
            break;
        case Kind::Rollback:
            rolledBack = true;
            break;
        case Kind::Schema:
        case Kind::Other:
            break;
        }
    }
    if (rolledBack && !takenBackTo && !m_savepoints.isEmpty() && !inTransaction())
        takenBackTo = m_savepoints.first().second;
    if (!inTransaction())
        m_savepoints.clear();
    // A rollback changes rows, though transaction control counts as read-only to the engine.
    if (rolledBack || !sqlite3_stmt_readonly(statement.m_stmt))
        ++m_changes;
    if (rolledBack || effect.kind == Kind::Schema) {
        m_columns.clear(); // a table may have been made, dropped or rebuilt
        const std::vector<RecordSet*> sets = m_sets;
        for (RecordSet* set : sets)
            set->tablesChanged(rolledBack, takenBackTo);
    }
}

void Connection::transactionRolledBack() {
    m_rolledBack = true;
}

void Connection::rowInserted(const char* table, qint64 rowid) {
    for (RecordSet* set : m_sets)
        set->rowIdTaken(table, rowid, m_changes);
}

// ---- Shared connections ---------------------------------------------------------------------

namespace {

QHash<QString, std::weak_ptr<Connection>>& registry() {
    static QHash<QString, std::weak_ptr<Connection>> connections;
    return connections;
}

} // namespace

QString normalizedPath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

std::shared_ptr<Connection> OpenDatabase(const QString& path, bool exclusive, bool readOnly,
                                         const QString& connect) {
    QString password;
    for (const QString& part : connect.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq > 0 && part.left(eq).trimmed().compare(u"pwd", Qt::CaseInsensitive) == 0)
            password = part.mid(eq + 1);
    }
    auto connection = Connection::open(path, password, readOnly, exclusive);
    registry().insert(normalizedPath(path), connection);
    return connection;
}

std::shared_ptr<Connection> openConnection(const QString& path) {
    const QString key = normalizedPath(path);
    auto found = registry().find(key);
    if (found == registry().end())
        return nullptr;
    auto connection = found->lock();
    if (!connection)
        registry().erase(found);
    return connection;
}

std::shared_ptr<Connection> sharedConnection(const QString& path) {
    if (auto connection = openConnection(path))
        return connection;
    auto connection = Connection::open(path, QString(), false, false);
    registry().insert(normalizedPath(path), connection);
    return connection;
}

} // namespace db
