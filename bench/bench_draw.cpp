// What the draw costs the organiser, from the press on "Valider" to the last byte stored, at
// the largest tournament (3996 players, 7 rounds) and at a club (64 players, 5 rounds); and
// beside it the floor: the same rows written once each by one prepared statement, in one
// transaction.

#include "BenchTournament.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Tournament.h"
#include "draw/RandomSource.h"
#include "draw/TableDraw.h"
#include "ui/MessageBox.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

struct NoWindow : draw::DrawControls {
    int repaints = 0;
    void setButtons(bool, bool) override {}
    void showProgress(int) override { ++repaints; }
    void setProgress(int) override { ++repaints; }
    void hideProgress() override {}
};

void Draw(benchmark::State& state) {
    const int players = int(state.range(0));
    const int rounds = int(state.range(1));
    Tournament& t = tournament(players, rounds);
    db::DataControl DataTirage;
    draw::RandomSource random;
    NoWindow window;
    ui::MessageBox::Script script; // "Yes" to redrawing, from the second press on
    for (auto _ : state) {
        script.answer(ui::MessageBox::Answer::Yes);
        if (draw::TableDraw(DataTirage, t.path, random, window).run(players) !=
            draw::TableDraw::Outcome::Drawn)
            state.SkipWithError("the draw did not complete");
    }
    state.counters["repaints"] =
        benchmark::Counter(window.repaints, benchmark::Counter::kAvgIterations);
}
BENCHMARK(Draw)->Args({3996, 7})->Args({64, 5})->Unit(benchmark::kMillisecond);

// The least the same result asks of the file: each player's seat and codes written once.
void DrawFloor(benchmark::State& state) {
    const int players = int(state.range(0));
    const int rounds = int(state.range(1));
    Tournament& t = tournament(players, rounds);
    int pass = 0;
    for (auto _ : state) {
        ++pass;
        t.main->executeNative(QStringLiteral("BEGIN"));
        auto write = t.main->prepare(QStringLiteral(
            "UPDATE Inscriptions SET Position = ?1, Position2 = ?2, CodeEquipe01 = ?3, "
            "CodeEquipe02 = ?4, CodeEquipe03 = ?5, CodeEquipe04 = ?6, CodeEquipe05 = ?7, "
            "CodeEquipe06 = ?8, CodeEquipe07 = ?9 WHERE rowid = ?10"));
        for (int i = 1; i <= players; ++i) {
            const int seat = 1 + (i + pass) % 4;
            write->bind(1, seat);
            write->bind(2, db::seatName(seat));
            for (int k = 1; k <= 7; ++k)
                write->bind(2 + k,
                            k <= rounds ? db::tableCode(k, 1 + (i + k + pass) % (players / 4)) : 0);
            write->bind(10, i);
            write->step();
            write->reset();
        }
        write.reset();
        t.main->executeNative(QStringLiteral("DELETE FROM Resultats"));
        t.main->executeNative(QStringLiteral("COMMIT"));
    }
}
BENCHMARK(DrawFloor)->Args({3996, 7})->Args({64, 5})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
