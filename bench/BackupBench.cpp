// What a backup copy of the tournament costs before a reset or a redraw, on the fully played
// tournament: the engine's online copy under a temporary name, checked, renamed, the oldest
// pruned; and before it the floor, a plain copy of the file's bytes.

#include "Bench.h"
#include "db/Backup.h"

#include <QDir>
#include <QFile>

namespace bench {
namespace {

void BackupFloorCopy(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    const QString copy = t.programDirectory() + QStringLiteral("copie.dat");
    for (auto _ : state) {
        if (!QFile::copy(t.path, copy))
            state.SkipWithError("the file was not copied");
        state.PauseTiming();
        QFile::remove(copy);
        state.ResumeTiming();
    }
}

void Backup(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    const QString folder = db::backupFolder(t.programDirectory());
    const QDateTime start = QDateTime::currentDateTime();
    int pass = 0;
    for (auto _ : state) {
        // A new second each time, as the organiser's copies come: none is named twice.
        db::writeBackup(*t.main, folder, QStringLiteral("avant réinitialisation"),
                        start.addSecs(++pass));
    }
    QDir(folder).removeRecursively();
}

} // namespace

void registerBackup() {
    benchmark::RegisterBenchmark("BackupFloorCopy", BackupFloorCopy)->Apply(sizes);
    benchmark::RegisterBenchmark("Backup", Backup)->Apply(sizes);
}

} // namespace bench
