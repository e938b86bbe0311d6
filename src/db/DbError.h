#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// The one error type of the database layer: every failure of the engine reaches the caller
// as a DbError carrying the engine's own message. The layer never shows anything itself.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message, int code = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_code(code) {}

    QString message() const { return m_message; }
    // The engine's result code when the error came from it (SQLITE_NOTADB...), 0 otherwise.
    int code() const { return m_code; }

private:
    QString m_message;
    int m_code;
};

} // namespace db
