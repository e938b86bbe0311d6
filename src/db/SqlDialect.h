#pragma once

#include <QString>
#include <optional>

namespace db {

// The windows keep their SQL texts in the dialect the program was written for; these
// functions turn them into the engine's own. What differs:
//   "DELETE * from T"                 -> "DELETE from T"
//   "UPDATE T SET T.a = 0, T.b = 0"   -> "UPDATE T SET a = 0, b = 0"
//   "... order by Nom, Prenom"        -> "... order by Nom COLLATE FRENCH, Prenom COLLATE FRENCH"
// The French order and Mid(field, start, length) are the connection's own (see Connection):
// the file declares neither, so the standard client reads it without the program.
QString toNative(const QString& sql);

// The text with every parameter numbered explicitly and moved up by offset, so that it can
// share a statement with the engine's own parameters ?1 to ?offset: "?1" gives "?(1+offset)",
// a bare "?" the number the engine would have given it plus offset, and each ":name" one
// number of its own. Values are then bound in the same order as for the text as written.
QString shiftParameters(const QString& sql, int offset);

// A single-table SELECT whose rows can be named by the table's row ids, so that a record set
// can hold just those ids and read or change each row in place.
struct SimpleSelect {
    QString table;        // as written
    QString columns;      // the select list, as written ("*", "CodeEquipe01", ...)
    QString tail;         // everything after the table name (where, order by), as written
    bool ordered = false; // the tail has its own "order by"
    // The select list is "*" or bare field names, and no sort term is a column number: the
    // order of the rows then depends on the table alone, not on the select list.
    bool orderFromTable = true;
};

// The shape of a record source: a bare table name ("Inscriptions") or a SELECT on one table
// without grouping, aggregates or DISTINCT. Anything else has no value.
std::optional<SimpleSelect> simpleSelect(const QString& source);

// True when the text is a bare table name rather than a statement.
bool isTableName(const QString& source);

} // namespace db
