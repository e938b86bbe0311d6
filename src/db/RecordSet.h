#pragma once

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace db {

class Connection;
class RecordSet;
class Statement;
struct SimpleSelect;

// One field of the current row, read or written by name.
class Field {
public:
    QVariant Value() const;
    // Only between Edit or AddNew and Update. A text written to a number field is converted
    // ("12" becomes 12); a number written to a text field becomes its decimal text.
    void setValue(const QVariant& value);

private:
    friend class RecordSet;
    Field(RecordSet* set, QString name, int column)
        : m_set(set), m_name(std::move(name)), m_column(column) {}
    RecordSet* m_set;
    QString m_name;
    int m_column; // -1 when the set has no field of that name
};

// The rows a record source gives, with a current row.
//
// A source on one table ("Inscriptions", "Select * from Inscriptions where ... order by ...")
// keeps the row ids of its rows, in the source's order, and reads a row's fields when the row
// is current: what it shows is what the file holds now, whoever changed it since the
// Refresh. A row deleted since keeps its place until the next Refresh, but is neither shown
// nor written: reading or updating it reports it deleted, even once another row has taken
// its row id. Rows that a rollback takes out of the file leave every set at once. Edit/AddNew
// + Update write to the table, through one prepared statement per set of fields written, each
// field to the table field it shows; a field the source computes is read only. FindFirst
// reads the fields as the source shows them.
//
// Other sources (grouping, sums) are read whole at the Refresh and cannot be changed.
class RecordSet {
public:
    RecordSet();
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

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
    friend class Connection;
    enum class Mode { None, Edit, AddNew };

    void open(std::shared_ptr<Connection> connection, const QString& source,
              const QVariantList& parameters);
    void close();
    bool openKeyed(const SimpleSelect& select, const QVariantList& parameters);
    void openSnapshot(const QString& nativeSource, const QVariantList& parameters);
    void setColumns(const QStringList& names);
    bool keyed() const { return !m_table.isEmpty(); }
    void requireOpen() const;
    void requireCurrent() const;
    void requireRowThere() const;
    void leaveRow();
    void startBuffer(Mode mode);
    QVariant value(int column, const QString& name);
    void write(int column, const QString& name, const QVariant& value);
    const std::vector<QVariant>& currentRow();
    Statement& writeStatement(bool insert, quint64 fields);
    qsizetype size() const;
    // Called by the connection: tables were changed or rows taken back by a rollback (to the
    // change count given, when known); a new row took a row id.
    void tablesChanged(bool rolledBack, std::optional<quint64> takenBackTo);
    void rowIdTaken(const char* table, qint64 rowid, quint64 changeCount);

    std::shared_ptr<Connection> m_connection;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex;  // upper-case name -> column
    QHash<QString, int> m_namesAsAsked; // a name as a caller spells it -> column

    // A keyed source: its table, the table field each column shows (empty when computed; the
    // field's number in the table, -1 when computed, once a write needs it), the row ids in
    // order, and the statement that reads one row.
    QString m_table;
    QString m_selectList;      // as written: "*", "Prenom AS Nom, CodeIndividuel"...
    QVariantList m_parameters; // the source's own
    QStringList m_origins;
    std::vector<int> m_target;
    std::vector<qint64> m_keys;
    // For each row, the connection's change count when another row took its id, as the row
    // had been deleted; kept so that a rollback can give the place back.
    std::vector<quint64> m_takenSince;
    qint64 m_maxKey = 0;
    std::unique_ptr<Statement> m_fetch;
    int m_fetchKey = 0; // parameter number of the row id in m_fetch
    std::map<quint64, std::unique_ptr<Statement>> m_updates;
    std::map<quint64, std::unique_ptr<Statement>> m_inserts;

    // A snapshot source: its rows, and the column types as the table declares them.
    std::vector<std::vector<QVariant>> m_rows;
    QStringList m_declaredTypes;

    qsizetype m_position = 0; // -1 before the first row, size() after the last
    std::vector<QVariant> m_current;
    qsizetype m_currentPosition = -1; // row that m_current holds, -1 when none
    quint64 m_currentChanges = 0;     // the connection's change count when it was read
    bool m_noMatch = false;
    bool m_currentGone = false; // a rollback took the current row; the next one stands in its place

    // Edit/AddNew: the values written so far, by table field.
    Mode m_mode = Mode::None;
    std::vector<QVariant> m_buffer;
    quint64 m_dirty = 0;
};

} // namespace db
