#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

// A disk that fails when a test says so: a file layer under the engine, shimmed over the
// default one. While an object lives it is the engine's default, so every file opened from then
// on (db::OpenDatabase's included) goes through it; at its end the previous default is back.
// One at a time, and every connection opened through it is closed before it ends.
//
// It counts the writes, syncs and truncations of the database files and their rollback
// journals; temporary files pass through untouched.
class FaultyVfs {
public:
    enum class Failure {
        IoError,  // the engine's I/O error for the operation: write, fsync or truncate
        DiskFull, // SQLITE_FULL
    };

    FaultyVfs();
    ~FaultyVfs();
    FaultyVfs(const FaultyVfs&) = delete;
    FaultyVfs& operator=(const FaultyVfs&) = delete;

    // Write points (writes, syncs and truncations) and syncs since the last plan.
    int writePoints() const;
    int syncs() const;

    // The n-th write point from now (from 1) fails; when persistent every later one fails too,
    // as a full disk stays full.
    void failAt(int n, Failure failure, bool persistent = false);
    // The power goes at the n-th sync from now (from 1), instead of that sync: what was written
    // to each file since its last sync is lost, or with a seed a random part of it, disk page by
    // disk page, and every operation fails from then on. The files are left as the machine
    // would find them on its disk when it starts again.
    void cutPowerAt(int n, std::optional<quint64> keepSeed = std::nullopt);
    void cutPowerNow(std::optional<quint64> keepSeed = std::nullopt);
    // Every write of a database file whose path ends so (after its first page) reaches the
    // disk with a byte changed, and is said done: a disk garbling silently, which only reading
    // back finds. Until disarm().
    void garbleWritesTo(const QString& pathEnding);
    // The planned failure or power cut has happened.
    bool struck() const;
    // Nothing planned any more; the counts start again from zero.
    void disarm();
    // The machine starts again, every file closed: power back on, nothing planned, and the
    // files as they are now count as being on the disk (a test may replace them first).
    void restart();

    struct Private;

private:
    std::unique_ptr<Private> d;
};
