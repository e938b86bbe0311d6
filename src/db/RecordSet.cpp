#include "RecordSet.h"

#include "Connection.h"
#include "DbError.h"
#include "SqlDialect.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <limits>

namespace db {
namespace {

QString quoted(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

// The engine's own parameters take names no record source uses, so that the source's ?1,
// ?2... keep their values.
constexpr char kRowIdParameter[] = ":velmora_rowid";

// Closes criteria put between brackets, on a line of its own as they may end with a comment.
const QString kClose = QStringLiteral("\n)");

// A row still in place: no other row has taken its row id.
constexpr quint64 kInPlace = std::numeric_limits<quint64>::max();

// A number as the organiser may type it: blanks around, a sign, a decimal comma or point.
std::optional<double> parseNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?)(\\d*)(?:[.,](\\d*))?\\s*$"));
    const auto m = number.match(text);
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0))
        return std::nullopt;
    bool ok = false;
    const QString normal = m.captured(1) +
                           (m.capturedLength(2) ? m.captured(2) : QStringLiteral("0")) + u'.' +
                           (m.capturedLength(3) ? m.captured(3) : QStringLiteral("0"));
    const double value = normal.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QVariant convertFor(const ColumnInfo& column, const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return QVariant();
    const int type = value.typeId();
    const bool isNumber =
        type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt ||
        type == QMetaType::ULongLong || type == QMetaType::Double || type == QMetaType::Float ||
        type == QMetaType::Long || type == QMetaType::Short || type == QMetaType::Bool;
    if (column.numeric) {
        double number = 0;
        if (isNumber) {
            number = value.toDouble();
        } else {
            const auto parsed = parseNumber(value.toString());
            if (!parsed)
                throw DbError(QStringLiteral("Type de données incompatible : « %1 » n'est pas un "
                                             "nombre (champ %2)")
                                  .arg(value.toString(), column.name));
            number = *parsed;
        }
        if (column.integer) {
            if (!std::isfinite(number) || std::fabs(number) > 9.0e18)
                throw DbError(
                    QStringLiteral("Valeur hors limites pour le champ %1").arg(column.name));
            if (isNumber && type != QMetaType::Double && type != QMetaType::Float)
                return QVariant(value.toLongLong());
            return QVariant(static_cast<qlonglong>(std::llround(number)));
        }
        return QVariant(number);
    }
    QString text;
    if (type == QMetaType::Double || type == QMetaType::Float)
        text = QString::number(value.toDouble(), 'g', 15);
    else
        text = value.toString();
    if (column.width > 0 && text.size() > column.width)
        throw DbError(QStringLiteral("Le texte « %1 » dépasse la largeur du champ %2 (%3 "
                                     "caractères au plus)")
                          .arg(text, column.name)
                          .arg(column.width));
    return QVariant(text);
}

} // namespace

// ---- Field ----------------------------------------------------------------------------------

QVariant Field::Value() const {
    return m_set->value(m_column, m_name);
}

void Field::setValue(const QVariant& value) {
    m_set->write(m_column, m_name, value);
}

// ---- Opening --------------------------------------------------------------------------------

RecordSet::RecordSet() = default;

RecordSet::~RecordSet() {
    close();
}

void RecordSet::open(std::shared_ptr<Connection> connection, const QString& source,
                     const QVariantList& parameters) {
    close();
    if (source.trimmed().isEmpty())
        throw DbError(QStringLiteral("Aucune source d'enregistrements n'est définie"));
    m_connection = std::move(connection);
    try {
        const QString native = toNative(source);
        const auto select = simpleSelect(native);
        if (!select || !openKeyed(*select, parameters))
            openSnapshot(isTableName(source) ? QStringLiteral("SELECT * FROM ") + source : native,
                         parameters);
    } catch (...) {
        close();
        throw;
    }
    m_connection->watch(this);
    m_position = 0;
}

bool RecordSet::openKeyed(const SimpleSelect& select, const QVariantList& parameters) {
    const QString table = quoted(select.table);
    std::vector<qint64> keys;
    std::unique_ptr<Statement> fetch;
    try {
        // The row ids come in exactly the source's order. Where that order depends on the
        // table alone, the ids are read by themselves; otherwise with the source's own select
        // list, which costs more. A source without an order gives the file's order.
        // On a line of its own, as the source may end with a "--" comment.
        const QString order = select.ordered ? QString() : QStringLiteral("\n ORDER BY rowid");
        auto ids = m_connection->prepare(
            select.orderFromTable
                ? QStringLiteral("SELECT rowid FROM ") + table + select.tail + order
                : QStringLiteral("SELECT ") + select.columns + QStringLiteral(", rowid FROM ") +
                      table + select.tail + order);
        ids->bindAll(parameters);
        const int key = ids->columnCount() - 1;
        while (ids->step())
            keys.push_back(ids->columnInt64(key));
        fetch = m_connection->prepare(QStringLiteral("SELECT ") + select.columns +
                                      QStringLiteral(" FROM ") + table +
                                      QStringLiteral(" WHERE rowid = ") + kRowIdParameter);
    } catch (const DbError&) {
        // Some texts only run as written; reading them whole gives the same rows.
        return false;
    }
    fetch->bindAll(parameters);
    m_fetchKey = fetch->parameterIndex(kRowIdParameter);
    // Each field writes to the table field it shows as it is, under whatever name; a field
    // the source computes has none.
    QStringList names;
    m_origins.clear();
    for (int i = 0; i < fetch->columnCount(); ++i) {
        names.append(fetch->columnName(i));
        m_origins.append(fetch->originTable(i).compare(select.table, Qt::CaseInsensitive) == 0
                             ? fetch->originName(i)
                             : QString());
    }
    m_table = select.table;
    m_selectList = select.columns;
    m_parameters = parameters;
    m_maxKey = keys.empty() ? std::numeric_limits<qint64>::min()
                            : *std::max_element(keys.begin(), keys.end());
    m_takenSince.assign(keys.size(), kInPlace);
    m_keys = std::move(keys);
    m_fetch = std::move(fetch);
    setColumns(names);
    return true;
}

void RecordSet::openSnapshot(const QString& nativeSource, const QVariantList& parameters) {
    auto stmt = m_connection->prepare(nativeSource);
    stmt->bindAll(parameters);
    QStringList names;
    for (int i = 0; i < stmt->columnCount(); ++i) {
        names.append(stmt->columnName(i));
        m_declaredTypes.append(stmt->declaredType(i).toUpper());
    }
    while (stmt->step()) {
        std::vector<QVariant> row;
        row.reserve(names.size());
        for (int i = 0; i < names.size(); ++i)
            row.push_back(stmt->column(i));
        m_rows.push_back(std::move(row));
    }
    setColumns(names);
}

void RecordSet::setColumns(const QStringList& names) {
    m_columns = names;
    m_columnIndex.clear();
    m_namesAsAsked.clear();
    // The first of two equal names wins, as "Select *" gives each field once anyway.
    for (int i = names.size() - 1; i >= 0; --i)
        m_columnIndex.insert(names[i].toUpper(), i);
}

void RecordSet::close() {
    leaveRow();
    // Statements go back to the connection before the connection may go.
    m_fetch.reset();
    m_updates.clear();
    m_inserts.clear();
    if (m_connection)
        m_connection->unwatch(this);
    m_connection.reset();
    m_table.clear();
    m_selectList.clear();
    m_parameters.clear();
    m_origins.clear();
    m_target.clear();
    m_keys.clear();
    m_takenSince.clear();
    m_rows.clear();
    m_columns.clear();
    m_columnIndex.clear();
    m_namesAsAsked.clear();
    m_declaredTypes.clear();
    m_position = 0;
    m_current.clear();
    m_currentPosition = -1;
    m_noMatch = false;
    m_currentGone = false;
}

void RecordSet::tablesChanged(bool rolledBack, std::optional<quint64> takenBackTo) {
    m_currentPosition = -1;
    if (!rolledBack) {
        // A table made, dropped or rebuilt: what was prepared for the table as it was, an edit
        // not yet stored included, is made again at the next write.
        leaveRow();
        m_target.clear();
        m_updates.clear();
        m_inserts.clear();
        return;
    }
    if (!keyed())
        return;
    // A row id taken by a row that the rollback took out names the row of this set again.
    if (takenBackTo)
        for (quint64& since : m_takenSince)
            if (since != kInPlace && since >= *takenBackTo)
                since = kInPlace;
    std::vector<qint64> present;
    try {
        auto stmt = m_connection->prepare(QStringLiteral("SELECT rowid FROM ") + quoted(m_table));
        while (stmt->step())
            present.push_back(stmt->columnInt64(0));
    } catch (const DbError&) {
        // Unreadable now (the file busy, the table gone): every row stays in its place and
        // reports itself when read.
        return;
    }
    std::sort(present.begin(), present.end());
    std::vector<qint64> keys;
    std::vector<quint64> takenSince;
    keys.reserve(m_keys.size());
    takenSince.reserve(m_keys.size());
    qsizetype position = m_position < 0 ? -1 : 0;
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (!std::binary_search(present.begin(), present.end(), m_keys[i])) {
            if (qsizetype(i) == m_position) {
                // The next row moves up into the place of the current one, which has gone:
                // MoveNext must reach that row, not skip it.
                m_currentGone = true;
                leaveRow();
            }
            continue;
        }
        keys.push_back(m_keys[i]);
        takenSince.push_back(m_takenSince[i]);
        if (m_position > qsizetype(i))
            ++position;
    }
    m_keys = std::move(keys);
    m_takenSince = std::move(takenSince);
    m_position = position;
}

void RecordSet::rowIdTaken(const char* table, qint64 rowid, quint64 changeCount) {
    // Only a row id at or below the highest one held may be one of ours, freed by a delete.
    if (!keyed() || rowid > m_maxKey ||
        m_table.compare(QString::fromUtf8(table), Qt::CaseInsensitive) != 0)
        return;
    const auto found = std::find(m_keys.begin(), m_keys.end(), rowid);
    if (found == m_keys.end())
        return;
    // The row this set held was deleted and another took its id: that other row is no row of
    // this set, so the place stays a deleted row (unless a rollback takes the new row back).
    quint64& since = m_takenSince[size_t(found - m_keys.begin())];
    if (since == kInPlace)
        since = changeCount;
    m_currentPosition = -1;
}

void RecordSet::requireOpen() const {
    if (!m_connection)
        throw DbError(QStringLiteral("Le jeu d'enregistrements est fermé"));
}

void RecordSet::requireCurrent() const {
    requireOpen();
    if (Eof() || Bof())
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
}

qsizetype RecordSet::size() const {
    return keyed() ? qsizetype(m_keys.size()) : qsizetype(m_rows.size());
}

// ---- Moving ---------------------------------------------------------------------------------

bool RecordSet::Eof() const {
    return size() == 0 || m_position >= size();
}

bool RecordSet::Bof() const {
    return size() == 0 || m_position < 0;
}

int RecordSet::RecordCount() const {
    requireOpen();
    return int(size());
}

void RecordSet::leaveRow() {
    m_mode = Mode::None;
    m_buffer.clear();
    m_dirty = 0;
}

void RecordSet::MoveFirst() {
    requireOpen();
    if (size() == 0)
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
    leaveRow();
    m_currentGone = false;
    m_position = 0;
}

void RecordSet::MoveLast() {
    requireOpen();
    if (size() == 0)
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
    leaveRow();
    m_currentGone = false;
    m_position = size() - 1;
}

void RecordSet::MoveNext() {
    requireOpen();
    if (Eof() && !m_currentGone)
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
    leaveRow();
    // After the current row went, the next one already stands in its place.
    if (!m_currentGone)
        ++m_position;
    m_currentGone = false;
}

void RecordSet::MovePrevious() {
    requireOpen();
    if (Bof())
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
    leaveRow();
    m_currentGone = false;
    --m_position;
}

// ---- Reading --------------------------------------------------------------------------------

void RecordSet::requireRowThere() const {
    requireOpen();
    if (!m_currentGone)
        requireCurrent();
    if (m_currentGone || (keyed() && m_takenSince[size_t(m_position)] != kInPlace))
        throw DbError(QStringLiteral("L'enregistrement en cours a été supprimé"));
}

const std::vector<QVariant>& RecordSet::currentRow() {
    requireRowThere();
    if (!keyed())
        return m_rows[size_t(m_position)];
    // Read again whenever anything was written since: the row shown is the row stored.
    if (m_currentPosition != m_position || m_currentChanges != m_connection->changeCount()) {
        m_fetch->reset();
        m_fetch->bind(m_fetchKey, m_keys[size_t(m_position)]);
        const bool found = m_fetch->step();
        if (found) {
            m_current.resize(size_t(m_columns.size()));
            for (int i = 0; i < m_columns.size(); ++i)
                m_current[size_t(i)] = m_fetch->column(i);
        }
        m_fetch->reset();
        if (!found)
            throw DbError(QStringLiteral("L'enregistrement en cours a été supprimé"));
        m_currentPosition = m_position;
        m_currentChanges = m_connection->changeCount();
    }
    return m_current;
}

Field RecordSet::Fields(const QString& name) {
    // A report asks for the same few names on every row: upper-case each one once.
    auto known = m_namesAsAsked.constFind(name);
    if (known == m_namesAsAsked.cend())
        known = m_namesAsAsked.insert(name, m_columnIndex.value(name.toUpper(), -1));
    return Field(this, name, *known);
}

QVariant RecordSet::value(int column, const QString& name) {
    requireOpen();
    if (column < 0)
        throw DbError(QStringLiteral("Champ inconnu : %1").arg(name));
    if (m_mode != Mode::None) {
        const int target = m_target[size_t(column)];
        if (m_mode == Mode::AddNew)
            return target < 0 ? QVariant() : m_buffer[size_t(target)];
        if (target >= 0 && (m_dirty & (quint64(1) << target)))
            return m_buffer[size_t(target)];
    }
    return currentRow()[size_t(column)];
}

// ---- Writing --------------------------------------------------------------------------------

void RecordSet::startBuffer(Mode mode) {
    leaveRow();
    const std::vector<ColumnInfo>& stored = m_connection->columns(m_table);
    if (m_target.empty()) {
        for (const QString& origin : m_origins) {
            int target = -1;
            for (size_t c = 0; c < stored.size() && target < 0 && !origin.isEmpty(); ++c)
                if (stored[c].name.compare(origin, Qt::CaseInsensitive) == 0)
                    target = int(c);
            m_target.push_back(target);
        }
    }
    const size_t fields = stored.size();
    if (fields > 64)
        throw DbError(
            QStringLiteral("La table %1 a trop de champs pour être modifiée").arg(m_table));
    m_buffer.assign(fields, QVariant());
    m_mode = mode;
}

void RecordSet::AddNew() {
    requireOpen();
    if (!keyed())
        throw DbError(QStringLiteral("Ce jeu d'enregistrements ne peut pas être modifié"));
    startBuffer(Mode::AddNew);
}

void RecordSet::Edit() {
    requireOpen();
    if (!keyed())
        throw DbError(QStringLiteral("Ce jeu d'enregistrements ne peut pas être modifié"));
    requireRowThere();
    startBuffer(Mode::Edit);
}

void RecordSet::write(int column, const QString& name, const QVariant& value) {
    requireOpen();
    if (m_mode == Mode::None)
        throw DbError(
            QStringLiteral("Edit ou AddNew doit précéder l'écriture du champ %1").arg(name));
    if (column < 0)
        throw DbError(QStringLiteral("Champ inconnu : %1").arg(name));
    const int target = m_target[size_t(column)];
    if (target < 0)
        throw DbError(
            QStringLiteral("Le champ %1 est calculé par la source : il ne peut pas être modifié")
                .arg(name));
    const ColumnInfo& info = m_connection->columns(m_table)[size_t(target)];
    m_buffer[size_t(target)] = convertFor(info, value);
    m_dirty |= quint64(1) << target;
}

Statement& RecordSet::writeStatement(bool insert, quint64 fields) {
    auto& cache = insert ? m_inserts : m_updates;
    auto found = cache.find(fields);
    if (found != cache.end())
        return *found->second;
    const std::vector<ColumnInfo>& stored = m_connection->columns(m_table);
    QStringList names;
    QStringList marks;
    for (size_t c = 0; c < stored.size(); ++c) {
        if (fields & (quint64(1) << c)) {
            names.append(quoted(stored[c].name));
            marks.append(u'?' + QString::number(marks.size() + 1));
        }
    }
    QString sql;
    if (insert && names.isEmpty()) {
        sql = QStringLiteral("INSERT INTO ") + quoted(m_table) + QStringLiteral(" DEFAULT VALUES");
    } else if (insert) {
        sql = QStringLiteral("INSERT INTO ") + quoted(m_table) + QStringLiteral(" (") +
              names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
              marks.join(QStringLiteral(", ")) + u')';
    } else {
        QStringList sets;
        for (qsizetype i = 0; i < names.size(); ++i)
            sets.append(names[i] + QStringLiteral(" = ") + marks[i]);
        sql = QStringLiteral("UPDATE ") + quoted(m_table) + QStringLiteral(" SET ") +
              sets.join(QStringLiteral(", ")) + QStringLiteral(" WHERE rowid = ?") +
              QString::number(names.size() + 1);
    }
    return *cache.emplace(fields, m_connection->prepare(sql)).first->second;
}

void RecordSet::Update() {
    requireOpen();
    if (m_mode == Mode::None)
        throw DbError(QStringLiteral("Update sans Edit ni AddNew"));
    const bool insert = m_mode == Mode::AddNew;
    if (!insert && m_dirty == 0) {
        leaveRow();
        return;
    }
    if (!insert)
        requireRowThere();
    Statement& stmt = writeStatement(insert, m_dirty);
    int parameter = 0;
    for (size_t c = 0; c < m_buffer.size(); ++c)
        if (m_dirty & (quint64(1) << c))
            stmt.bind(++parameter, m_buffer[c]);
    if (!insert)
        stmt.bind(++parameter, m_keys[size_t(m_position)]);
    stmt.reset();
    stmt.step();
    stmt.reset();
    if (insert) {
        // The new row joins the set at its end; the current row stays where it was.
        const bool atEnd = m_position >= size();
        const qint64 key = m_connection->lastInsertRowId();
        m_keys.push_back(key);
        m_takenSince.push_back(kInPlace);
        m_maxKey = std::max(m_maxKey, key);
        if (atEnd)
            m_position = size();
    } else if (m_connection->changes() == 0) {
        throw DbError(QStringLiteral("L'enregistrement en cours a été supprimé"));
    }
    leaveRow();
}

void RecordSet::CancelUpdate() {
    leaveRow();
}

// ---- Searching ------------------------------------------------------------------------------

void RecordSet::FindFirst(const QString& criteria, const QVariantList& parameters) {
    requireOpen();
    leaveRow();
    const QString condition = toNative(criteria);
    qsizetype found = -1;
    if (keyed()) {
        // Where each field shown is the table field of that name, the criteria are read on
        // the table; otherwise on the fields as the source shows them, its parameters first.
        const bool asStored = std::equal(m_columns.cbegin(), m_columns.cend(), m_origins.cbegin(),
                                         [](const QString& shown, const QString& stored) {
                                             return !stored.isEmpty() &&
                                                    shown.compare(stored, Qt::CaseInsensitive) == 0;
                                         });
        std::unique_ptr<Statement> stmt;
        int used = 0;
        if (asStored) {
            stmt = m_connection->prepare(QStringLiteral("SELECT rowid FROM ") + quoted(m_table) +
                                         QStringLiteral(" WHERE (") + condition + kClose);
        } else {
            const QString shown = QStringLiteral("SELECT ") + m_selectList +
                                  QStringLiteral(", rowid AS velmora_rowid FROM ") +
                                  quoted(m_table);
            used = m_connection->prepare(shown)->parameterCount();
            stmt = m_connection->prepare(QStringLiteral("SELECT velmora_rowid FROM (") + shown +
                                         QStringLiteral(") WHERE (") +
                                         shiftParameters(condition, used) + kClose);
            for (int i = 0; i < used && i < m_parameters.size(); ++i)
                stmt->bind(i + 1, m_parameters[i]);
        }
        for (int i = 0; i < parameters.size(); ++i)
            stmt->bind(used + 1 + i, parameters[i]);
        QSet<qint64> matches;
        while (stmt->step())
            matches.insert(stmt->columnInt64(0));
        for (size_t i = 0; i < m_keys.size() && !matches.isEmpty(); ++i) {
            if (matches.contains(m_keys[i]) && m_takenSince[i] == kInPlace) {
                found = qsizetype(i);
                break;
            }
        }
    } else if (!m_rows.empty()) {
        // A snapshot's rows are handed back to the engine one by one under their own names and
        // types, so that the criteria compare as they would on the table. The row's values
        // take ?1 to ?n, the criteria's own parameters the numbers after.
        const int width = int(m_columns.size());
        QStringList fields;
        for (int i = 0; i < width; ++i) {
            const QString& type = m_declaredTypes[i];
            const QString value = u'?' + QString::number(i + 1);
            const QString cast =
                type.contains(u"INT")                              ? QStringLiteral("INTEGER")
                : type.contains(u"CHAR") || type.contains(u"TEXT") ? QStringLiteral("TEXT")
                : type.contains(u"REAL") || type.contains(u"DOUB") || type.contains(u"FLOA")
                    ? QStringLiteral("REAL")
                    : QString();
            fields.append(
                (cast.isEmpty() ? value : QStringLiteral("CAST(%1 AS %2)").arg(value, cast)) +
                QStringLiteral(" AS ") + quoted(m_columns[i]));
        }
        auto stmt = m_connection->prepare(
            QStringLiteral("SELECT 1 FROM (SELECT ") + fields.join(QStringLiteral(", ")) +
            QStringLiteral(") WHERE (") + shiftParameters(condition, width) + kClose);
        for (int i = 0; i < parameters.size(); ++i)
            stmt->bind(width + 1 + i, parameters[i]);
        for (size_t r = 0; r < m_rows.size() && found < 0; ++r) {
            stmt->reset();
            for (int i = 0; i < width; ++i)
                stmt->bind(i + 1, m_rows[r][size_t(i)]);
            if (stmt->step())
                found = qsizetype(r);
        }
    }
    m_noMatch = found < 0;
    if (found >= 0) {
        m_position = found;
        m_currentGone = false;
    }
}

} // namespace db
