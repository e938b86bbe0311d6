#pragma once

#include <QString>

namespace db {
class Connection;
}

namespace ui {

// A dated copy of the tournament before an action that wipes stored data.
struct BackupFirst {
    bool goOn = false; // the action may go ahead
    QString copy;      // the copy written; empty when the organiser chose to go on without
};

// Writes the copy into the program's "Sauvegardes" folder. When it cannot be written, the
// organiser is asked, No by default, whether to go on without one.
BackupFirst backUpFirst(db::Connection& tournament, const QString& programDirectory,
                        const QString& reason, const QString& title);

// After the action: which copy holds the tournament as it was, and how to get it back.
void tellBackup(const QString& title, const QString& copy);

} // namespace ui
