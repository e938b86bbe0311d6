#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

namespace db {

class Connection;

// Dated copies of the tournament file, in "Sauvegardes" beside the program, written before
// every action that wipes stored data and read back by the restore window.

inline constexpr int kBackupsKept = 30;

// Program directory (ending with the separator) + "Sauvegardes".
QString backupFolder(const QString& programDirectory);

// Writes a complete, consistent copy of the open tournament into the folder (made if need
// be), through the engine's online backup and with the same password, as "Velmora
// 2026-12-09 21h14m03 <reason>.dat", never over an earlier copy. The copy takes its name only
// once written and checked; the oldest copies beyond the 30 most recent are removed. Returns
// the copy's path. Throws DbError when it cannot be written; nothing is left behind then.
QString writeBackup(Connection& tournament, const QString& folder, const QString& reason,
                    const QDateTime& when);

// A copy found in the folder.
struct BackupCopy {
    QString path;
    QDateTime when;    // from its name, or the file's own date for a copy named otherwise
    QString reason;    // from its name; the file name for a copy named otherwise
    QDateTime written; // the file's own date: of two copies of one second, the later
};
// The copies of the folder (every ".dat" file), newest first.
QList<BackupCopy> listBackups(const QString& folder);

// What a copy holds, read from it with the tournament's password.
struct BackupSummary {
    int players = 0;
    int roundsDrawn = 0; // rounds in which somebody holds a table
    int scores = 0;
};
// Throws DbError when the copy does not open as a tournament (damaged, another password, not
// a tournament file).
BackupSummary summarize(const QString& copyPath);

// Replaces the whole open tournament with the copy, at once. The copy is checked first (it
// opens with the password, is sound, holds a tournament's tables) and brought up to date like
// an older tournament file, on a copy of its own; the copy itself is never changed. Throws
// DbError when the copy is refused or the replacement fails: the tournament is untouched.
// beforeReplacing runs once the copy has passed, before anything of the tournament changes
// (to keep a copy of it); what it throws ends the restore there.
void restoreBackup(Connection& tournament, const QString& copyPath,
                   const std::function<void()>& beforeReplacing = {});

} // namespace db
