// What each report costs the organiser once every round is scored: the whole report, from its
// first read to its last PDF file written; and the same report drawn on the surface the tests
// record it on, to show the share of the paper.

#include "Bench.h"
#include "PrintReport.h"
#include "RecordingSurface.h"
#include "db/DataControl.h"
#include "db/PlayerKeys.h"
#include "reports/PainterSurface.h"
#include "reports/RankingExport.h"
#include "tables/TableKeys.h"
#include "ui/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <memory>
#include <numeric>

namespace bench {
namespace {

// Prints one report, the score sheets of the last round.
void print(const QString& report, const Tournament& t, NoWindow& shell,
           reports::PrintSurface& Printer) {
    db::DataControl DataEditions, DataInscriptions;
    ui::MessageBox::Script script;
    script.answerInput(QString::number(t.rounds));
    // The route cards while table entry is started: a key and a QR code on every card, the keys
    // made first as the main window makes them (the first run only writes them).
    const bool keyed = report == u"route cards, keyed";
    shell.playerPage = keyed ? QStringLiteral("http://192.168.100.200:8080/joueur") : QString();
    if (keyed)
        db::addMissingPlayerKeys(*t.main, tables::newKey);
    printReport(keyed ? QStringLiteral("route cards") : report, shell, DataEditions,
                DataInscriptions, Printer);
    if (!script.shown().isEmpty() && script.shown().last().icon != ui::MessageBox::Icon::Input)
        qFatal("the report was refused: %s", qPrintable(script.shown().last().text));
}

// With VELMORA_BENCH_PDF naming a folder, the files of a case's first run are kept there
// ("3996 - 1.pdf"...), to compare the pages of two builds.
void keep(const QStringList& files, int players) {
    const QString folder = qEnvironmentVariable("VELMORA_BENCH_PDF");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    for (int i = 0; i < files.size(); ++i) {
        const QString copy = QStringLiteral("%1/%2 - %3 - %4.pdf")
                                 .arg(folder, QFileInfo(files[i]).fileName().section(u' ', 0, 2))
                                 .arg(players)
                                 .arg(i + 1);
        QFile::remove(copy);
        QFile::copy(files[i], copy);
    }
}

void toPdf(benchmark::State& state, const QString& report) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    NoWindow shell;
    shell.directory = t.programDirectory();
    const QString folder = shell.directory + QStringLiteral("Impressions");
    qint64 files = 0;
    bool kept = false;
    for (auto _ : state) {
        reports::PainterSurface Printer(folder);
        print(report, t, shell, Printer);
        files = Printer.files().size();
        state.PauseTiming();
        if (!kept)
            keep(Printer.files(), t.players);
        kept = true;
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

// The floor of a report on paper: the strings it prints, in the same fonts, at the same places,
// on the same pages of the same files, each drawn by QPainter::drawText on a QPdfWriter, and
// nothing else (no box, no fitting, no surface).
void floorOf(benchmark::State& state, const QString& report) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    NoWindow shell;
    shell.directory = t.programDirectory();
    RecordingSurface recorded;
    print(report, t, shell, recorded);
    QList<RecordingSurface::Text> texts;
    for (const RecordingSurface::Text& text : std::as_const(recorded.texts))
        if (!text.text.trimmed().isEmpty())
            texts.append(text);
    const QString folder = shell.directory + QStringLiteral("Plancher");
    for (auto _ : state) {
        QDir().mkpath(folder);
        std::unique_ptr<QPdfWriter> pdf;
        QPainter painter;
        QString name;
        int document = 0, page = 1, file = 0;
        double dotsPerMm = 0;
        QFont font;
        for (const RecordingSurface::Text& text : std::as_const(texts)) {
            if (text.document != document) {
                document = text.document;
                const QString next = recorded.documentNames.value(document - 1);
                if (pdf && next == name) {
                    pdf->newPage();
                } else {
                    if (pdf)
                        painter.end();
                    pdf = std::make_unique<QPdfWriter>(
                        QStringLiteral("%1/%2.pdf").arg(folder).arg(++file));
                    pdf->setResolution(reports::PainterSurface::kPdfResolution);
                    const double margin = reports::PainterSurface::kPdfMarginMm;
                    pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                   QMarginsF(margin, margin, margin, margin),
                                                   QPageLayout::Millimeter));
                    painter.begin(pdf.get());
                    dotsPerMm = pdf->logicalDpiY() / 25.4;
                    name = next;
                    font = QFont();
                }
                page = 1;
            }
            for (; page < text.page; ++page)
                pdf->newPage();
            if (font.family() != text.font || font.pointSizeF() != text.size ||
                font.bold() != text.bold) {
                font = QFont(text.font);
                font.setPointSizeF(text.size);
                font.setBold(text.bold);
                font.setHintingPreference(QFont::PreferNoHinting);
                painter.setFont(font);
            }
            painter.drawText(QPointF(text.x, text.y) * dotsPerMm, text.text);
        }
        if (pdf)
            painter.end();
        pdf.reset();
        state.PauseTiming();
        QDir(folder).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["strings"] = double(texts.size());
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
        {"RouteCards", QStringLiteral("route cards")},
        {"RouteCardsKeyed", QStringLiteral("route cards, keyed")},
        {"Ranking", QStringLiteral("ranking")},
    };
    for (const auto& [name, report] : named) {
        // The floor first: a figure is shown beside the floors measured before it.
        benchmark::RegisterBenchmark((std::string(name) + "Floor").c_str(), floorOf, report)
            ->Apply(sizes);
        benchmark::RegisterBenchmark((std::string(name) + "ToPdf").c_str(), toPdf, report)
            ->Apply(sizes);
        benchmark::RegisterBenchmark((std::string(name) + "Recorded").c_str(), recorded, report)
            ->Apply(sizes);
    }
    benchmark::RegisterBenchmark("ExportRanking", ExportRanking)->Apply(sizes);
}

} // namespace bench
