// What opening the tournament costs when the program starts: the file opened, the key derived
// from the password, the schema read and the connection set up, as the main window does it.

#include "Bench.h"
#include "db/Schema.h"

namespace bench {
namespace {

void OpenMainConnection(benchmark::State& state) {
    const QString& path = tournament(playersOf(state), roundsOf(state), Stage::Opening).path;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            db::OpenDatabase(path, false, false, QString::fromUtf16(db::kConnect)));
}

} // namespace

void registerOpening() {
    benchmark::RegisterBenchmark("OpenMainConnection", OpenMainConnection)->Apply(playerSizes);
}

} // namespace bench
