// What each report costs the organiser once every round is scored: the whole report, from its
// first read to its last PDF file written; and the same report drawn on the surface the tests
// record it on, to show the share of the paper.

#include "Bench.h"
#include "PrintReport.h"
#include "RecordingSurface.h"
#include "db/DataControl.h"
#include "reports/PainterSurface.h"
#include "reports/RankingExport.h"
#include "ui/MessageBox.h"

#include <QDir>
#include <numeric>

namespace bench {
namespace {

// Prints one report, the score sheets of the last round.
void print(const QString& report, const Tournament& t, NoWindow& shell,
           reports::PrintSurface& Printer) {
    db::DataControl DataEditions, DataInscriptions;
    ui::MessageBox::Script script;
    script.answerInput(QString::number(t.rounds));
    printReport(report, shell, DataEditions, DataInscriptions, Printer);
    if (!script.shown().isEmpty() && script.shown().last().icon != ui::MessageBox::Icon::Input)
        qFatal("the report was refused: %s", qPrintable(script.shown().last().text));
}

void toPdf(benchmark::State& state, const QString& report) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    NoWindow shell;
    shell.directory = t.programDirectory();
    const QString folder = shell.directory + QStringLiteral("Impressions");
    qint64 files = 0;
    for (auto _ : state) {
        reports::PainterSurface Printer(folder);
        print(report, t, shell, Printer);
        files = Printer.files().size();
        state.PauseTiming();
        QDir(folder).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["files"] = double(files);
}

void recorded(benchmark::State& state, const QString& report) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    NoWindow shell;
    shell.directory = t.programDirectory();
    qint64 pages = 0;
    for (auto _ : state) {
        RecordingSurface Printer;
        print(report, t, shell, Printer);
        pages = std::accumulate(Printer.pages.begin(), Printer.pages.end(), qint64(0));
    }
    state.counters["pages"] = double(pages);
}

// The ranking as clubs publish it: the spreadsheet and the web page, from the first read to the
// second file written.
void ExportRanking(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    NoWindow shell;
    shell.directory = t.programDirectory();
    const QString folder = shell.directory + QStringLiteral("Exports");
    for (auto _ : state) {
        db::DataControl DataEditions, DataInscriptions;
        reports::RankingExport ranking(shell, DataEditions, DataInscriptions, folder,
                                       QDateTime::currentDateTime());
        ranking.write();
        if (ranking.files().size() != 2)
            state.SkipWithError("the ranking was not exported");
        state.PauseTiming();
        QDir(folder).removeRecursively();
        state.ResumeTiming();
    }
}

} // namespace

void registerReports() {
    const std::pair<const char*, QString> named[] = {
        {"TableList", QStringLiteral("table list")},
        {"ScoreSheets", QStringLiteral("score sheets")},
        {"Ranking", QStringLiteral("ranking")},
    };
    for (const auto& [name, report] : named) {
        benchmark::RegisterBenchmark((std::string(name) + "ToPdf").c_str(), toPdf, report)
            ->Apply(sizes);
        benchmark::RegisterBenchmark((std::string(name) + "Recorded").c_str(), recorded, report)
            ->Apply(sizes);
    }
    benchmark::RegisterBenchmark("ExportRanking", ExportRanking)->Apply(sizes);
}

} // namespace bench
