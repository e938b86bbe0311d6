#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// The one error type of the database layer: every failure of the engine reaches the caller
// as a DbError carrying the engine's own message and code and what kind of failure it was, so
// that a window can word it for the organiser without knowing the engine (common::cause). The
// layer never shows anything itself.
class DbError : public std::runtime_error {
public:
    enum class Kind {
        Missing,      // the file is not there, or cannot be opened at all
        NotADatabase, // not a database, or not with this password
        ReadOnly,     // the file or its folder refuses writing
        Busy,         // another program holds the file
        Duplicate,    // a value the file keeps unique is there already (a player number)
        Damaged,      // the file's pages do not hold together
        Full,         // the disk is full
        Io,           // the disk refused a read or a write
        Other,
    };

    // code: the engine's own (extended) result code; 0 for a failure this program found itself,
    // whose message is then already in the organiser's words.
    explicit DbError(const QString& message, Kind kind = Kind::Other, int code = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_kind(kind),
          m_code(code) {}

    QString message() const { return m_message; }
    Kind kind() const { return m_kind; }
    int code() const { return m_code; }

private:
    QString m_message;
    Kind m_kind;
    int m_code;
};

} // namespace db
