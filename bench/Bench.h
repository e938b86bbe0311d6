#pragma once

// What the benchmark cases share: the generated tournaments, made once per size and stage and
// kept for the whole run, the sizes they run at, and a main window that shows nothing.

#include "db/Connection.h"
#include "draw/TableDraw.h"
#include "ui/Shell.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace bench {

// How far a generated tournament has gone. Each stage is a file of its own, so that what one
// case writes never changes what another case measures.
enum class Stage {
    Registered,  // players 1..n registered, none drawn
    HalfSeated,  // the first half seated and placed in round 1, as half-way through a draw
    Registering, // as Registered, for the case that adds players
    Opening,     // as Registered, for the case that opens the file
    Playing,     // drawn, every round scored but the last
    Played,      // drawn, every round scored, 15 deals
    Evening,     // drawn with tables of five and repeats avoided, round 1 scored, player 1 gone
};

struct Tournament {
    QTemporaryDir dir;
    std::shared_ptr<db::Connection> main;
    QString path;
    int players = 0;
    int rounds = 0;

    Tournament(int players, int rounds);
    QString programDirectory() const { return dir.path() + u'/'; }
};

Tournament& tournament(int players, int rounds, Stage stage);

// The size of a case from its arguments, as the sizes below give them.
inline int playersOf(const benchmark::State& state) {
    return int(state.range(0));
}
inline int roundsOf(const benchmark::State& state) {
    return int(state.range(1));
}

// 16, 64, 400 and 3996 players with 7 rounds, the sizes the growth is fitted on.
void playerSizes(benchmark::internal::Benchmark* b);
// The same, then the club: 64 players with 5 rounds.
void sizes(benchmark::internal::Benchmark* b);

// The main window and the draw window's controls, showing nothing.
struct NoWindow : ui::Shell, draw::DrawControls {
    QString directory;
    int repaints = 0;

    QString programDirectory() const override { return directory; }
    void setCartesVisible(bool) override {}
    void setMessageVisible(bool) override {}
    void setBusy(bool) override {}
    QString tableEntryAddress() const override { return {}; }
    QString keyedPlayerPageAddress() override { return playerPage; }
    QString playerPage; // the players' page while table entry is started; empty: not started
    void setButtons(bool, bool) override {}
    void showProgress(int) override { ++repaints; }
    void setProgress(int) override { ++repaints; }
    void hideProgress() override {}
};

// Registered by main() in this order, which is the order they run and print in.
void registerOpening();
void registerDraw();
void registerResults();
void registerBackup();
void registerReports();
void registerEngine();
void registerTables();
void registerSeason();

} // namespace bench
