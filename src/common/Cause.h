#pragma once

#include <QString>

namespace db {
class DbError;
}

namespace common {

// Where the details of failures are written: Velmora.log in the program directory, set once
// at start-up. Without it nothing is written.
void setLogDirectory(const QString& programDirectory);

// Why the tournament file failed, in the organiser's words, and what to do, as a sentence to
// follow a colon ("le disque est plein. Libérez..."): never the engine's English or a
// statement. The details (the engine's code, message and statement) are appended
// to Velmora.log with the time; the log is kept under 1 MB.
QString cause(const db::DbError& error);

// Appends the details of a failure told in other words (a print file's) to Velmora.log.
void logDetail(const QString& line);

} // namespace common
