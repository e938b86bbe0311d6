#pragma once

#include "SqlDialect.h"

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <optional>
#include <vector>

namespace db {

class Connection;
class RecordSet;

// One field of the current row, read or written by name.
class Field {
public:
    QVariant Value() const;
    // Only between Edit or AddNew and Update. A text written to a number field is converted
    // ("12" becomes 12); a number written to a text field becomes its decimal text.
    void setValue(const QVariant& value);

private:
    friend class RecordSet;
    Field(RecordSet* set, QString name) : m_set(set), m_name(std::move(name)) {}
    RecordSet* m_set;
    QString m_name;
};

// The rows a record source gives, with a current row.
//
// A single-table source keeps only the ids of its rows, in the source's order; a row's fields
// are read from the file when the row is current and read, and Edit/AddNew + Update write
// straight to the file. A refresh therefore costs what its row ids cost, never a copy of the
// table. Other sources (grouping, sums) are read whole and cannot be changed.
class RecordSet {
public:
    bool Eof() const; // EOF is a C macro
    bool Bof() const;
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();
    int RecordCount() const;

    Field Fields(const QString& name);

    void AddNew();
    void Edit();
    void Update();
    void CancelUpdate();

    // Makes the first row matching the criteria current ("Manche = 3 and CodeIndividuel = 17");
    // when there is none, NoMatch() is true and the current row does not change.
    // The criteria may name parameters ?1, ?2... given in order.
    void FindFirst(const QString& criteria, const QVariantList& parameters = {});
    bool NoMatch() const { return m_noMatch; }

    bool isOpen() const { return m_connection != nullptr; }

private:
    friend class DataControl;
    friend class Database;
    friend class Field;
    enum class Mode { None, Edit, AddNew };

    void open(std::shared_ptr<Connection> connection, const QString& source,
              const QVariantList& parameters);
    void close();
    bool openKeyed(const SimpleSelect& select, const QVariantList& parameters);
    void openSnapshot(const QString& nativeSource, const QVariantList& parameters);
    void setColumns(const QStringList& names);
    void requireOpen() const;
    void requireCurrent() const;
    void leaveRow();
    QVariant value(const QString& name);
    void write(const QString& name, const QVariant& value);
    const std::vector<QVariant>& currentRow();
    qsizetype size() const;

    std::shared_ptr<Connection> m_connection;
    std::optional<SimpleSelect> m_select; // set for a keyed (single-table) source
    QString m_fetchSql;
    std::vector<qint64> m_keys;
    std::vector<std::vector<QVariant>> m_rows; // a snapshot source's rows
    QStringList m_columns;
    QHash<QString, int> m_columnIndex; // upper-case name -> column
    QStringList m_declaredTypes;       // a snapshot's column types, as the table declares them

    qsizetype m_position = 0; // -1 before the first row, size() after the last
    std::vector<QVariant> m_current;
    qsizetype m_currentPosition = -1; // row that m_current holds, -1 when none
    bool m_noMatch = false;

    Mode m_mode = Mode::None;
    QStringList m_bufferColumns; // AddNew: the table's columns; Edit: the set's columns
    QHash<QString, int> m_bufferIndex;
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_dirty;
};

} // namespace db
