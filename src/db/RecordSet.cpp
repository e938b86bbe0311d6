#include "RecordSet.h"

#include "Connection.h"
#include "DbError.h"

#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace db {
namespace {

QString quoted(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

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

const ColumnInfo& tableColumn(Connection& connection, const QString& table, const QString& name) {
    for (const ColumnInfo& c : connection.columns(table))
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    throw DbError(QStringLiteral("Le champ %1 ne peut pas être modifié dans %2").arg(name, table));
}

} // namespace

// ---- Field ----------------------------------------------------------------------------------

QVariant Field::Value() const {
    return m_set->value(m_name);
}

void Field::setValue(const QVariant& value) {
    m_set->write(m_name, value);
}

// ---- Opening --------------------------------------------------------------------------------

void RecordSet::open(std::shared_ptr<Connection> connection, const QString& source,
                     const QVariantList& parameters) {
    close();
    if (source.trimmed().isEmpty())
        throw DbError(QStringLiteral("Aucune source d'enregistrements n'est définie"));
    m_connection = std::move(connection);
    try {
        const auto select = simpleSelect(source);
        if (!select || !openKeyed(*select, parameters))
            openSnapshot(isTableName(source) ? QStringLiteral("SELECT * FROM ") + source
                                             : toNative(source),
                         parameters);
    } catch (...) {
        close();
        throw;
    }
    m_position = 0;
}

bool RecordSet::openKeyed(const SimpleSelect& select, const QVariantList& parameters) {
    const QString table = quoted(select.table);
    std::vector<qint64> keys;
    QStringList names;
    try {
        // The row ids come in exactly the source's order. Where that order depends on the
        // table alone, the ids are read by themselves; otherwise with the source's own select
        // list, which costs more. A source without an order gives the file's order.
        const QString order = select.ordered ? QString() : QStringLiteral(" ORDER BY rowid");
        auto ids = m_connection->prepare(
            select.orderFromTable
                ? QStringLiteral("SELECT rowid FROM ") + table + select.tail + order
                : QStringLiteral("SELECT ") + select.columns + QStringLiteral(", rowid FROM ") +
                      table + select.tail + order);
        for (int i = 0; i < parameters.size(); ++i)
            ids->bind(i + 1, parameters[i]);
        const int key = ids->columnCount() - 1;
        while (ids->step())
            keys.push_back(ids->columnInt64(key));
        m_fetchSql = QStringLiteral("SELECT ") + select.columns + QStringLiteral(" FROM ") + table +
                     QStringLiteral(" WHERE rowid = ?1");
        auto fetch = m_connection->prepare(m_fetchSql); // fails now rather than at a read
        for (int i = 0; i < fetch->columnCount(); ++i)
            names.append(fetch->columnName(i));
    } catch (const DbError&) {
        // Some texts only run as written (a select list that names a parameter, say);
        // reading them whole gives the same rows.
        return false;
    }
    m_select = select;
    m_keys = std::move(keys);
    setColumns(names);
    return true;
}

void RecordSet::openSnapshot(const QString& nativeSource, const QVariantList& parameters) {
    auto stmt = m_connection->prepare(nativeSource);
    for (int i = 0; i < parameters.size(); ++i)
        stmt->bind(i + 1, parameters[i]);
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
    // The first of two equal names wins, as "Select *" gives each field once anyway.
    for (int i = names.size() - 1; i >= 0; --i)
        m_columnIndex.insert(names[i].toUpper(), i);
}

void RecordSet::close() {
    m_connection.reset();
    m_select.reset();
    m_fetchSql.clear();
    m_keys.clear();
    m_rows.clear();
    m_columns.clear();
    m_columnIndex.clear();
    m_declaredTypes.clear();
    m_position = 0;
    m_current.clear();
    m_currentPosition = -1;
    m_noMatch = false;
    leaveRow();
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
    return m_select ? qsizetype(m_keys.size()) : qsizetype(m_rows.size());
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
    m_bufferColumns.clear();
    m_bufferIndex.clear();
    m_buffer.clear();
    m_dirty.clear();
}

void RecordSet::MoveFirst() {
    requireOpen();
    if (size() == 0)
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
    leaveRow();
    m_position = 0;
}

void RecordSet::MoveLast() {
    requireOpen();
    if (size() == 0)
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
    leaveRow();
    m_position = size() - 1;
}

void RecordSet::MoveNext() {
    requireOpen();
    if (Eof())
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
    leaveRow();
    ++m_position;
}

void RecordSet::MovePrevious() {
    requireOpen();
    if (Bof())
        throw DbError(QStringLiteral("Aucun enregistrement en cours"));
    leaveRow();
    --m_position;
}

// ---- Reading --------------------------------------------------------------------------------

const std::vector<QVariant>& RecordSet::currentRow() {
    requireCurrent();
    if (!m_select)
        return m_rows[size_t(m_position)];
    if (m_currentPosition != m_position) {
        auto fetch = m_connection->prepare(m_fetchSql);
        fetch->bind(1, m_keys[size_t(m_position)]);
        if (!fetch->step())
            throw DbError(QStringLiteral("L'enregistrement en cours a été supprimé"));
        m_current.clear();
        for (int i = 0; i < m_columns.size(); ++i)
            m_current.push_back(fetch->column(i));
        m_currentPosition = m_position;
    }
    return m_current;
}

Field RecordSet::Fields(const QString& name) {
    return Field(this, name);
}

QVariant RecordSet::value(const QString& name) {
    requireOpen();
    const QString key = name.toUpper();
    if (m_mode != Mode::None) {
        const auto found = m_bufferIndex.constFind(key);
        if (found != m_bufferIndex.cend() && (m_mode == Mode::AddNew || m_dirty[size_t(*found)]))
            return m_buffer[size_t(*found)];
        if (m_mode == Mode::AddNew)
            throw DbError(QStringLiteral("Champ inconnu : %1").arg(name));
    }
    const auto found = m_columnIndex.constFind(key);
    if (found == m_columnIndex.cend())
        throw DbError(QStringLiteral("Champ inconnu : %1").arg(name));
    return currentRow()[size_t(*found)];
}

// ---- Writing --------------------------------------------------------------------------------

void RecordSet::AddNew() {
    requireOpen();
    if (!m_select)
        throw DbError(QStringLiteral("Ce jeu d'enregistrements ne peut pas être modifié"));
    leaveRow();
    for (const ColumnInfo& c : m_connection->columns(m_select->table))
        m_bufferColumns.append(c.name);
    m_mode = Mode::AddNew;
    m_buffer.assign(size_t(m_bufferColumns.size()), QVariant());
    m_dirty.assign(size_t(m_bufferColumns.size()), false);
    for (int i = 0; i < m_bufferColumns.size(); ++i)
        m_bufferIndex.insert(m_bufferColumns[i].toUpper(), i);
}

void RecordSet::Edit() {
    requireOpen();
    if (!m_select)
        throw DbError(QStringLiteral("Ce jeu d'enregistrements ne peut pas être modifié"));
    requireCurrent();
    leaveRow();
    m_mode = Mode::Edit;
    m_bufferColumns = m_columns;
    m_buffer.assign(size_t(m_columns.size()), QVariant());
    m_dirty.assign(size_t(m_columns.size()), false);
    for (int i = m_columns.size() - 1; i >= 0; --i)
        m_bufferIndex.insert(m_columns[i].toUpper(), i);
}

void RecordSet::write(const QString& name, const QVariant& value) {
    requireOpen();
    if (m_mode == Mode::None)
        throw DbError(
            QStringLiteral("Edit ou AddNew doit précéder l'écriture du champ %1").arg(name));
    const auto found = m_bufferIndex.constFind(name.toUpper());
    if (found == m_bufferIndex.cend())
        throw DbError(QStringLiteral("Champ inconnu : %1").arg(name));
    const int column = *found;
    const ColumnInfo& info = tableColumn(*m_connection, m_select->table, m_bufferColumns[column]);
    m_buffer[size_t(column)] = convertFor(info, value);
    m_dirty[size_t(column)] = true;
}

void RecordSet::Update() {
    requireOpen();
    if (m_mode == Mode::None)
        throw DbError(QStringLiteral("Update sans Edit ni AddNew"));
    const QString table = quoted(m_select->table);
    QStringList names;
    std::vector<QVariant> values;
    for (size_t i = 0; i < m_buffer.size(); ++i) {
        if (m_dirty[i]) {
            names.append(
                quoted(tableColumn(*m_connection, m_select->table, m_bufferColumns[int(i)]).name));
            values.push_back(m_buffer[i]);
        }
    }
    if (m_mode == Mode::AddNew) {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES");
        } else {
            QStringList marks;
            for (qsizetype i = 1; i <= names.size(); ++i)
                marks.append(u'?' + QString::number(i));
            sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                  names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                  marks.join(QStringLiteral(", ")) + u')';
        }
        auto stmt = m_connection->prepare(sql);
        for (size_t i = 0; i < values.size(); ++i)
            stmt->bind(int(i) + 1, values[i]);
        stmt->step();
        // The new row joins the set at its end; the current row stays where it was.
        const bool atEnd = m_position >= size();
        m_keys.push_back(m_connection->lastInsertRowId());
        if (atEnd)
            m_position = size();
    } else if (!names.isEmpty()) {
        QStringList sets;
        for (qsizetype i = 0; i < names.size(); ++i)
            sets.append(names[i] + QStringLiteral(" = ?") + QString::number(i + 1));
        auto stmt = m_connection->prepare(
            QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") +
            sets.join(QStringLiteral(", ")) + QStringLiteral(" WHERE rowid = ?") +
            QString::number(names.size() + 1));
        for (size_t i = 0; i < values.size(); ++i)
            stmt->bind(int(i) + 1, values[i]);
        stmt->bind(int(names.size()) + 1, m_keys[size_t(m_position)]);
        stmt->step();
        if (m_connection->changes() == 0)
            throw DbError(QStringLiteral("L'enregistrement en cours a été supprimé"));
        m_currentPosition = -1;
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
    if (m_select) {
        QSet<qint64> matches;
        auto stmt =
            m_connection->prepare(QStringLiteral("SELECT rowid FROM ") + quoted(m_select->table) +
                                  QStringLiteral(" WHERE (") + condition + u')');
        for (int i = 0; i < parameters.size(); ++i)
            stmt->bind(i + 1, parameters[i]);
        while (stmt->step())
            matches.insert(stmt->columnInt64(0));
        for (size_t i = 0; i < m_keys.size() && !matches.isEmpty(); ++i) {
            if (matches.contains(m_keys[i])) {
                found = qsizetype(i);
                break;
            }
        }
    } else {
        // A snapshot's rows are handed back to the engine one by one under their own names and
        // types, so that the criteria compare as they would on the table. The row's values
        // take the numbers from kRowParameter on, leaving ?1, ?2... to the criteria.
        constexpr int kRowParameter = 500;
        QStringList fields;
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            const QString& type = m_declaredTypes[i];
            const QString value = u'?' + QString::number(kRowParameter + i);
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
        const QString sql = QStringLiteral("SELECT 1 FROM (SELECT ") +
                            fields.join(QStringLiteral(", ")) + QStringLiteral(") WHERE (") +
                            condition + u')';
        for (size_t r = 0; r < m_rows.size() && found < 0; ++r) {
            auto stmt = m_connection->prepare(sql);
            for (int i = 0; i < parameters.size(); ++i)
                stmt->bind(i + 1, parameters[i]);
            for (size_t i = 0; i < m_rows[r].size(); ++i)
                stmt->bind(kRowParameter + int(i), m_rows[r][i]);
            if (stmt->step())
                found = qsizetype(r);
        }
    }
    m_noMatch = found < 0;
    if (found >= 0)
        m_position = found;
}

} // namespace db
