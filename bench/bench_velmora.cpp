// Velmora's benchmark: every figure an organiser waits on, at 16, 64, 400 and 3996 players,
// beside the least the same work asks of the database file. See docs/PERFORMANCE.md.

#include "Bench.h"
#include "FigureReporter.h"

#include <QApplication>
#include <unistd.h>

int main(int argc, char** argv) {
    // The reports need fonts, so a GUI application; no window is shown unless a display is
    // asked for (QT_QPA_PLATFORM=xcb, to time the draw window as a desktop paints it).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    bench::registerOpening();
    bench::registerDraw();
    bench::registerResults();
    bench::registerBackup();
    bench::registerReports();
    bench::registerEngine();
    bench::registerTables();
    bench::registerSeason();

    bench::FigureReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color
                                                         : benchmark::ConsoleReporter::OO_None);
    reporter.compare("Draw", {"DrawFloorSetBased", "DrawFloorPerRow"});
    reporter.compare("DrawNoRepeat", {"DrawFloorSetBased", "DrawFloorPerRow"});
    reporter.compare("DrawInWindow", {"DrawFloorSetBased", "DrawFloorPerRow"});
    reporter.compare("RedrawComingRounds", {"DrawFloorSetBased", "DrawFloorPerRow"});
    reporter.compare("StoreTable", {"StoreTableFloor"});
    reporter.compare("CorrectTable", {"StoreTableFloor"});
    reporter.compare("Backup", {"BackupFloorCopy"});
    for (const char* report : {"TableList", "ScoreSheets", "Ranking"})
        reporter.compare(std::string(report) + "ToPdf", {std::string(report) + "Floor"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
