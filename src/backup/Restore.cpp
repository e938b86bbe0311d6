#include "Restore.h"

#include "common/Cause.h"
#include "db/Backup.h"
#include "db/DbError.h"
#include "ui/BackupFirst.h"

namespace backup {
namespace {

// Thrown from the last step before the tournament is replaced, when the organiser declines.
struct Declined {};

} // namespace

Restored restoreCopy(db::Connection& tournament, const QString& programDirectory,
                     const QString& copyPath) {
    Restored restored;
    try {
        db::restoreBackup(tournament, copyPath, [&] {
            const ui::BackupFirst first =
                ui::backUpFirst(tournament, programDirectory, QStringLiteral("avant restauration"),
                                QStringLiteral("Restaurer une sauvegarde"));
            if (!first.goOn)
                throw Declined{};
            restored.before = first.copy;
        });
        restored.done = true;
    } catch (const Declined&) {
        restored.before.clear();
    } catch (const db::DbError& error) {
        restored.refusal = common::cause(error);
    }
    return restored;
}

} // namespace backup
