#include "SeasonRanking.h"

#include "RankingFiles.h"
#include "common/RankingRows.h"
#include "db/DataControl.h"

namespace reports {
namespace {

const QString kTitle = QStringLiteral("Classement de la saison");
constexpr int kRowsPerPage = 50;

// Where each column of a line starts, in mm: the place, the name, then the figures.
constexpr double kColumnX[] = {10, 22, 100, 122, 148, 176};

std::optional<db::SeasonStandings> readSeason(db::DataControl& data, const QString& path,
                                              const QDate& from, const QDate& to,
                                              const std::function<void(const QString&)>& refuse) {
    data.DatabaseName = path;
    db::SeasonStandings season = db::seasonStandings(data.Database().connection(), from, to);
    if (season.rows.isEmpty()) {
        refuse(QStringLiteral("Aucune soirée n'a été gardée du %1 au %2.\n\nEdition impossible !!!")
                   .arg(from.toString(QStringLiteral("dd/MM/yyyy")),
                        to.toString(QStringLiteral("dd/MM/yyyy"))));
        return std::nullopt;
    }
    return season;
}

} // namespace

QString seasonPeriodText(const db::SeasonStandings& season) {
    return QStringLiteral("Du %1 au %2 : %3 soirée%4")
        .arg(frenchDate(season.from), frenchDate(season.to))
        .arg(season.evenings)
        .arg(season.evenings > 1 ? QStringLiteral("s") : QString());
}

SeasonRanking::SeasonRanking(ui::Shell& shell, db::DataControl& DataEditions, QDate from, QDate to,
                             PrintSurface& Printer)
    : Report(shell, DataEditions, Printer, kTitle), m_from(from), m_to(to) {}

void SeasonRanking::print() {
    run([this] { body(); });
}

void SeasonRanking::body() {
    const auto season = readSeason(DataEditions, databasePath(), m_from, m_to,
                                   [this](const QString& text) { refuse(text); });
    if (!season)
        return;
    showPanel();
    Printer.DocumentName = QStringLiteral("Classement de la saison");
    const QStringList headings = common::seasonHeadings();
    const QList<QStringList> lines = common::seasonLines(*season);
    const int pages = int((lines.size() + kRowsPerPage - 1) / kRowsPerPage);
    const QString period = seasonPeriodText(*season);
    const auto header = [&] {
        Printer.ScaleMode = 6;
        pageOpening(Printer);
        pageNumberLine(Printer, pages);
        reportTitle(Printer, kTitle);
        Printer.FontName = QStringLiteral("Arial");
        Printer.FontSize = 10;
        Printer.FontBold = false;
        Printer.CurrentX = 10;
        Printer.CurrentY = 18;
        Printer.Print(period);
        // The surname and first name share one column, as on the evening's ranking.
        const QStringList shown = {headings[0], QStringLiteral("Nom, prénom"),
                                   headings[3], headings[4],
                                   headings[5], headings[6]};
        for (qsizetype c = 0; c < shown.size(); ++c) {
            Printer.FontSize = 10;
            Printer.CurrentX = kColumnX[c] - 1;
            Printer.CurrentY = 25;
            Printer.Print(shown[c]);
        }
    };
    standardSetUp(Printer);
    header();
    double y = 30;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0 && i % kRowsPerPage == 0) {
            Printer.NewPage();
            header();
            y = 30;
        }
        const QStringList& line = lines[i];
        const QStringList cells = {line[0], line[1] + u' ' + line[2], line[3], line[4], line[5],
                                   line[6]};
        for (qsizetype c = 0; c < cells.size(); ++c) {
            Printer.FontName = QStringLiteral("Times New Roman");
            Printer.FontSize = 12;
            Printer.FontBold = season->places.value(i) == 1;
            Printer.CurrentX = kColumnX[c];
            Printer.CurrentY = y;
            // A long name stays short of the evenings' column.
            Printer.Print(cells[c], c == 1 ? kColumnX[2] - kColumnX[1] - 2 : 0);
        }
        y += 5;
    }
    Printer.EndDoc();
}

SeasonRankingExport::SeasonRankingExport(ui::Shell& shell, db::DataControl& DataEditions,
                                         QDate from, QDate to, QString folder, QDateTime when)
    : Report(shell, DataEditions, m_noPaper, kTitle), m_from(from), m_to(to),
      m_folder(std::move(folder)), m_when(std::move(when)) {}

void SeasonRankingExport::write() {
    m_files.clear();
    run([this] { body(); });
}

void SeasonRankingExport::body() {
    const auto season = readSeason(DataEditions, databasePath(), m_from, m_to,
                                   [this](const QString& text) { refuse(text); });
    if (!season)
        return;
    const QStringList headings = common::seasonHeadings();
    const QList<QStringList> lines = common::seasonLines(*season);
    const QString csv = rankingCsv(headings, lines);
    const QString html = rankingHtml(kTitle, kTitle, seasonPeriodText(*season),
                                     frenchDate(m_when.date()), headings, lines, {1, 4});
    try {
        m_files = writeRankingFiles(m_folder, QStringLiteral("Classement de la saison"), m_when,
                                    csv, html);
    } catch (const PrintError& error) {
        m_files.clear();
        refuse(QStringLiteral("Le classement de la saison n'a pas pu être exporté : %1.\n\n"
                              "Relancez l'export une fois le problème réglé.")
                   .arg(error.message()));
    }
}

} // namespace reports
