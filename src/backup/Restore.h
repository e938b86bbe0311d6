#pragma once

#include <QString>

namespace db {
class Connection;
}

namespace backup {

// What restoring a copy came to.
struct Restored {
    bool done = false;
    QString before;  // the copy of the tournament as it was; empty when none was written
    QString refusal; // why the copy was refused or the tournament kept; empty when done
};

// A copy put in place of the tournament, as "Restaurer" does it: the copy checked, then the
// tournament as it stands copied first ("avant restauration"; when that copy cannot be
// written, the organiser is asked, No by default), then replaced at once. Declined, refused or
// failed, the tournament is untouched.
Restored restoreCopy(db::Connection& tournament, const QString& programDirectory,
                     const QString& copyPath);

} // namespace backup
