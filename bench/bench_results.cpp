// What storing one table's scores costs the organiser, from the code typed to the four rows
// stored, late in the largest tournament (3996 players, 7 rounds drawn, rounds 1 to 6 scored);
// and beside it the floor: the four rows written by one prepared statement in one
// transaction, most of it the wait for the disk.

#include "BenchTournament.h"
#include "db/DataControl.h"
#include "draw/RandomSource.h"
#include "draw/TableDraw.h"
#include "results/Scores.h"
#include "ui/MessageBox.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

struct NoWindow : draw::DrawControls {
    void setButtons(bool, bool) override {}
    void showProgress(int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
};

// Drawn once, and every table scored up to round 6.
Tournament& scoredTournament(int players) {
    Tournament& t = tournament(players, 7);
    if (t.main->prepare(QStringLiteral("SELECT 1 FROM Resultats LIMIT 1"))->step())
        return t;
    db::DataControl DataTirage;
    draw::RandomSource random;
    NoWindow window;
    ui::MessageBox::Script script;
    script.answer(ui::MessageBox::Answer::Yes);
    draw::TableDraw(DataTirage, t.path, random, window).run(players);
    for (int round = 1; round <= 6; ++round)
        t.main->executeNative(QStringLiteral("INSERT INTO Resultats SELECT ?1, CodeIndividuel, "
                                             "0 FROM Inscriptions WHERE Position > 0"),
                              {round});
    return t;
}

void StoreTable(benchmark::State& state) {
    Tournament& t = scoredTournament(int(state.range(0)));
    db::DataControl DataResultats;
    const QString code = QStringLiteral("7001");
    for (auto _ : state) {
        const results::Table table = results::lookUpTable(DataResultats, t.path, code);
        std::array<results::ScoreRow, results::kSeats> rows;
        const char* scores[] = {"12,5", "-2,5", "-5", "-5"};
        for (int n = 0; n < table.players.size(); ++n)
            rows[n] = {QString::number(table.players[n].number), table.players[n].name,
                       QString::fromUtf8(scores[n])};
        if (results::storeScores(DataResultats, t.path, code, rows))
            state.SkipWithError("the table was not stored");
        state.PauseTiming();
        t.main->executeNative(QStringLiteral("DELETE FROM Resultats WHERE Manche = 7"));
        state.ResumeTiming();
    }
}
BENCHMARK(StoreTable)->Arg(3996)->Arg(64)->Unit(benchmark::kMillisecond);

// The least the same result asks of the file: four rows, one statement, one transaction.
void StoreTableFloor(benchmark::State& state) {
    Tournament& t = scoredTournament(int(state.range(0)));
    for (auto _ : state) {
        t.main->executeNative(QStringLiteral("BEGIN"));
        auto write = t.main->prepare(
            QStringLiteral("INSERT INTO Resultats (Manche, CodeIndividuel, Points) VALUES (7, ?1, "
                           "?2)"));
        for (int n = 1; n <= 4; ++n) {
            write->bind(1, n);
            write->bind(2, n == 1 ? 15.0 : -5.0);
            write->step();
            write->reset();
        }
        write.reset();
        t.main->executeNative(QStringLiteral("COMMIT"));
        state.PauseTiming();
        t.main->executeNative(QStringLiteral("DELETE FROM Resultats WHERE Manche = 7"));
        state.ResumeTiming();
    }
}
BENCHMARK(StoreTableFloor)->Arg(3996)->Arg(64)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
