// What each report costs the organiser at the largest tournament (3996 players, 7 rounds drawn
// and scored, 15 deals): the whole report, from its first read to its last PDF file written,
// and the same report drawn on a surface that keeps nothing, to show the share of the paper.

#include "BenchTournament.h"
#include "db/DataControl.h"
#include "reports/PainterSurface.h"
#include "reports/Ranking.h"
#include "reports/ScoreSheets.h"
#include "reports/TableList.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"

#include <QApplication>
#include <QDir>
#include <benchmark/benchmark.h>

namespace {

struct NoWindow : ui::Shell {
    QString directory;
    QString programDirectory() const override { return directory; }
    void setCartesVisible(bool) override {}
    void setMessageVisible(bool) override {}
    void setBusy(bool) override {}
};

// Draws nothing: what the reports cost without the paper.
struct NoPaper : reports::PrintSurface {
    int page = 1;
    void Line(double, double, double, double, bool) override {}
    void NewPage() override { ++page; }
    void EndDoc() override { page = 1; }
    void KillDoc() override { page = 1; }
    int Page() const override { return page; }

protected:
    void printText(const QString&) override {}
};

// Every seated player at a table of each round, and a score in each round.
Tournament& drawnTournament(int players) {
    Tournament& t = tournament(players, 7);
    if (t.main->prepare(QStringLiteral("SELECT 1 FROM Resultats LIMIT 1"))->step())
        return t;
    t.main->executeNative(QStringLiteral("BEGIN"));
    const int tables = players / 4;
    for (int k = 1; k <= 7; ++k)
        t.main->executeNative(
            QStringLiteral("UPDATE Inscriptions SET Position = (CodeIndividuel - 1) % 4 + 1, "
                           "Position2 = 'Nord', CodeEquipe0%1 = 1000 * ?1 + ((CodeIndividuel - "
                           "1) / 4 + ?1 - 1) % ?2 + 1")
                .arg(k),
            {k, tables});
    for (int k = 1; k <= 7; ++k)
        t.main->executeNative(QStringLiteral("INSERT INTO Resultats SELECT ?1, CodeIndividuel, "
                                             "(CodeIndividuel % 7) * 1.25 FROM Inscriptions"),
                              {k});
    t.main->executeNative(QStringLiteral("UPDATE Parametres SET Parties = 15"));
    t.main->executeNative(QStringLiteral("COMMIT"));
    return t;
}

enum Report { List, Sheets, Ranking };

void print(Report report, NoWindow& shell, reports::PrintSurface& Printer) {
    db::DataControl DataEditions, DataInscriptions;
    ui::MessageBox::Script script;
    script.answerInput(QStringLiteral("7"));
    switch (report) {
    case List:
        reports::TableList(shell, DataEditions, Printer).print();
        break;
    case Sheets:
        reports::ScoreSheets(shell, DataEditions, Printer).print();
        break;
    case Ranking:
        reports::Ranking(shell, DataEditions, DataInscriptions, Printer).print();
        break;
    }
    if (!script.shown().isEmpty() && script.shown().last().icon != ui::MessageBox::Icon::Input)
        qFatal("the report was refused: %s", qPrintable(script.shown().last().text));
}

void ToPdf(benchmark::State& state) {
    Tournament& t = drawnTournament(int(state.range(1)));
    NoWindow shell;
    shell.directory = t.dir.path() + u'/';
    const QString folder = shell.directory + QStringLiteral("Impressions");
    qint64 files = 0;
    for (auto _ : state) {
        reports::PainterSurface Printer(folder);
        print(Report(state.range(0)), shell, Printer);
        files = Printer.files().size();
        state.PauseTiming();
        QDir(folder).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["files"] = double(files);
}

void NoPaperBelow(benchmark::State& state) {
    Tournament& t = drawnTournament(int(state.range(1)));
    NoWindow shell;
    shell.directory = t.dir.path() + u'/';
    for (auto _ : state) {
        NoPaper Printer;
        print(Report(state.range(0)), shell, Printer);
    }
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"report", "players"});
    for (const int report : {List, Sheets, Ranking})
        for (const int players : {3996, 64})
            b->Args({report, players});
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(ToPdf)->Apply(sizes);
BENCHMARK(NoPaperBelow)->Apply(sizes);

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
