// What storing or correcting one table's scores costs the organiser, from the code typed to the
// four rows stored, through the calls the results window makes, in the last round of a tournament
// whose other rounds are scored; and before it the floor: the four rows written by one prepared
// statement in one transaction, most of it the wait for the disk.

#include "Bench.h"
#include "db/DataControl.h"
#include "db/Tournament.h"
#include "results/Deals.h"
#include "results/Scores.h"
#include "results/StoredScores.h"

namespace bench {
namespace {

QString lastRoundsFirstTable(const Tournament& t) {
    return QString::number(db::tableCode(t.rounds, 1));
}

void forgetLastRound(benchmark::State& state, Tournament& t) {
    state.PauseTiming();
    t.main->executeNative(QStringLiteral("DELETE FROM Resultats WHERE Manche = ?1"), {t.rounds});
    state.ResumeTiming();
}

void StoreTable(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Playing);
    db::DataControl DataResultats;
    const QString code = lastRoundsFirstTable(t);
    const char* scores[] = {"12,5", "-2,5", "-5", "-5"};
    for (auto _ : state) {
        const results::Table table = results::lookUpTable(DataResultats, t.path, code);
        std::array<results::ScoreRow, results::kSeats> rows;
        for (int n = 0; n < table.players.size(); ++n)
            rows[n] = {QString::number(table.players[n].number), table.players[n].name,
                       QString::fromUtf8(scores[n])};
        if (table.refusal || table.players.size() != results::kSeats ||
            results::storeScores(DataResultats, t.path, code, rows))
            state.SkipWithError("the table was not stored");
        forgetLastRound(state, t);
    }
}

void StoreTableFloor(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Playing);
    for (auto _ : state) {
        t.main->executeNative(QStringLiteral("BEGIN"));
        auto write = t.main->prepare(QStringLiteral(
            "INSERT INTO Resultats (Manche, CodeIndividuel, Points) VALUES (?1, ?2, ?3)"));
        for (int n = 1; n <= results::kSeats; ++n) {
            write->bind(1, t.rounds);
            write->bind(2, n);
            write->bind(3, n == 1 ? 15.0 : -5.0);
            write->step();
            write->reset();
        }
        write.reset();
        t.main->executeNative(QStringLiteral("COMMIT"));
        forgetLastRound(state, t);
    }
}

// A table of the last round corrected, the tournament fully played: looked up with its
// stored scores and last correction, then its four rows replaced and the change logged, as
// the correction window does it. The scores alternate, so every pass changes them.
void CorrectTable(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    db::DataControl DataResultats;
    const QString code = lastRoundsFirstTable(t);
    const QDateTime when = QDateTime::currentDateTime();
    int pass = 0;
    for (auto _ : state) {
        const results::StoredTable table = results::lookUpStoredTable(DataResultats, t.path, code);
        std::array<results::ScoreRow, results::kSeats> rows;
        for (int n = 0; n < table.players.size(); ++n)
            rows[n] = {QString::number(table.players[n].number), table.players[n].name,
                       QString::number(n == 0 ? 3 * (1 + pass % 2) : -(1 + pass % 2))};
        ++pass;
        if (table.refusal || results::correctScores(DataResultats, t.path, code, rows, when))
            state.SkipWithError("the table was not corrected");
    }
}

// One deal entered at a table of the last round, as the phone's page does it: the deal checked
// and stored with its number (addTableDeal), then the table's grid read and scored again for
// the answer (readDealTable). The deal is taken back between passes, untimed.
void AddDeal(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Playing);
    db::DataControl DataResultats;
    const QString code = lastRoundsFirstTable(t);
    const db::Deal deal{1, 1, 2, 2, 90, 1, 0, 0, 2, 0};
    for (auto _ : state) {
        const std::optional<results::Refusal> refused =
            results::addTableDeal(DataResultats, t.path, code, deal);
        const results::DealTable table = results::readDealTable(DataResultats, t.path, code);
        if (refused || table.deals.size() != 1 || table.grid.totals.value(0) != 174)
            state.SkipWithError("the deal was not stored");
        state.PauseTiming();
        t.main->executeNative(QStringLiteral("DELETE FROM Donnes"));
        state.ResumeTiming();
    }
}

} // namespace

void registerResults() {
    benchmark::RegisterBenchmark("StoreTableFloor", StoreTableFloor)->Apply(sizes);
    benchmark::RegisterBenchmark("StoreTable", StoreTable)->Apply(sizes);
    benchmark::RegisterBenchmark("CorrectTable", CorrectTable)->Apply(sizes);
    benchmark::RegisterBenchmark("AddDeal", AddDeal)->Apply(sizes);
}

} // namespace bench
