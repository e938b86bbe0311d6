#include "RankingExport.h"

#include "PainterSurface.h"
#include "common/RankingRows.h"
#include "db/DataControl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

namespace reports {
namespace {

QString csvField(QString text) {
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    return u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString csvLine(const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields)
        quoted.append(csvField(field));
    return quoted.join(u';') + QStringLiteral("\r\n");
}

void save(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw PrintError(fileFailure(file, QFileInfo(path).path()));
}

} // namespace

RankingExport::RankingExport(ui::Shell& shell, db::DataControl& DataEditions,
                             db::DataControl& DataInscriptions, QString folder, QDateTime when)
    : Report(shell, DataEditions, m_noPaper, QStringLiteral("Edition des résultats")),
      DataInscriptions(DataInscriptions), m_folder(std::move(folder)), m_when(std::move(when)) {}

void RankingExport::write() {
    m_files.clear();
    run([this] { body(); });
}

void RankingExport::body() {
    const int rounds = storedSettings().rounds; // opens the file
    auto found = db::standings(DataEditions.Database().connection(), rounds);
    if (const QString* fault = std::get_if<QString>(&found)) {
        refuse(impossible(*fault));
        return;
    }
    const db::Standings* standings = std::get_if<db::Standings>(&found);
    const QStringList columns = common::rankingHeadings(standings->rounds);
    const QList<QStringList> lines = common::rankingLines(*standings);

    // A French spreadsheet opens it by a double click: its mark says UTF-8, ";" separates.
    QString csv = QStringLiteral("\uFEFF") + csvLine(columns);
    for (const QStringList& line : lines)
        csv += csvLine(line);

    const QString date = QLocale(QLocale::French, QLocale::France)
                             .toString(m_when.date(), QStringLiteral("d MMMM yyyy"));
    QString html =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>Classement du %1</title>\n<style>\n"
            "body { font-family: \"Liberation Sans\", Arial, sans-serif; margin: 1em; color: #222; "
            "}\n"
            "h1 { font-size: 1.4em; margin: 0 0 .2em; }\n"
            "p { margin: 0 0 .6em; }\n"
            ".tableau { overflow-x: auto; }\n"
            "table { border-collapse: collapse; width: 100%; }\n"
            "th, td { padding: .3em .5em; border-bottom: 1px solid #ccc; text-align: left; "
            "white-space: nowrap; }\n"
            "th { background: #e8eef6; }\n"
            "td.nombre, th.nombre { text-align: right; }\n"
            "tbody tr:nth-child(even) { background: #f6f6f6; }\n"
            "header { display: flex; flex-wrap: wrap; align-items: baseline; column-gap: .6em; "
            "margin: 0 0 .6em; }\n"
            "header h1 { margin: 0; } header p.date { order: 1; font-size: 1.2em; "
            "font-weight: bold; margin: 0; } header p.titre { order: 2; flex-basis: 100%; "
            "margin: .2em 0 0; }\n"
            // On a phone the place, the name and the total stay in sight; the columns between
            // scroll beneath them.
            "@media (max-width: 600px) { body { margin: .5em; font-size: 14px; } "
            "th, td { padding: .25em .3em; } "
            ".place, .nom, .total { position: sticky; z-index: 1; background: #fff; } "
            "th.place, th.nom, th.total { background: #e8eef6; } "
            "tbody tr:nth-child(even) td.place, tbody tr:nth-child(even) td.nom, "
            "tbody tr:nth-child(even) td.total { background: #f6f6f6; } "
            ".place { left: 0; box-sizing: border-box; width: 2.6em; min-width: 2.6em; "
            "max-width: 2.6em; } "
            ".nom { left: 2.6em; white-space: normal; overflow-wrap: anywhere; min-width: 5em; "
            "max-width: 8.5em; } "
            ".total { right: 0; box-shadow: -2px 0 2px rgba(0, 0, 0, .15); } }\n"
            "@media print { @page { size: A4; margin: 12mm; } body { margin: 0; font-size: 9pt; } "
            ".tableau { overflow: visible; } thead { display: table-header-group; } "
            ".place, .nom, .total { position: static; box-shadow: none; } "
            "tr { page-break-inside: avoid; } tbody tr:nth-child(even) { background: none; } }\n"
            "</style>\n</head>\n<body>\n<header>\n<h1>Classement</h1>\n")
            .arg(date);
    // The evening's date in the heading, beside the word, so that a page passed on says
    // which one it ranks.
    if (!standings->title.isEmpty())
        html += QStringLiteral("<p class=\"titre\">%1</p>\n").arg(standings->title.toHtmlEscaped());
    html += QStringLiteral("<p class=\"date\">%1</p>\n</header>\n<div class=\"tableau\">\n<table>\n"
                           "<thead>\n<tr>")
                .arg(date);
    // Each cell's classes: numbers to the right; the place, the name and the total kept in
    // sight on a phone.
    const qsizetype last = columns.size() - 1;
    const auto classes = [last](qsizetype column) {
        QStringList names;
        if (column != 2 && column != 3)
            names.append(QStringLiteral("nombre"));
        if (column == 0)
            names.append(QStringLiteral("place"));
        if (column == 2)
            names.append(QStringLiteral("nom"));
        if (column == last)
            names.append(QStringLiteral("total"));
        return names.isEmpty() ? QString() : QStringLiteral(" class=\"%1\"").arg(names.join(u' '));
    };
    for (qsizetype c = 0; c < columns.size(); ++c)
        html += QStringLiteral("<th%1>").arg(classes(c)) + columns[c].toHtmlEscaped() +
                QStringLiteral("</th>");
    html += QStringLiteral("</tr>\n</thead>\n<tbody>\n");
    for (const QStringList& line : lines) {
        html += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < line.size(); ++c)
            html += QStringLiteral("<td%1>").arg(classes(c)) + line[c].toHtmlEscaped() +
                    QStringLiteral("</td>");
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</tbody>\n</table>\n</div>\n</body>\n</html>\n");

    // The two files together or neither.
    try {
        if (!QDir().mkpath(m_folder))
            throw PrintError(QStringLiteral("le dossier %1 ne peut pas être créé")
                                 .arg(QDir::toNativeSeparators(m_folder)));
        const QString base = freeDocumentPath(m_folder, QStringLiteral("Classement"), m_when,
                                              {QStringLiteral(".csv"), QStringLiteral(".html")});
        save(base + QStringLiteral(".csv"), csv.toUtf8());
        m_files.append(base + QStringLiteral(".csv"));
        save(base + QStringLiteral(".html"), html.toUtf8());
        m_files.append(base + QStringLiteral(".html"));
    } catch (const PrintError& error) {
        for (const QString& written : std::as_const(m_files))
            QFile::remove(written);
        m_files.clear();
        refuse(QStringLiteral("Le classement n'a pas pu être exporté : %1.\n\nRelancez "
                              "l'export une fois le problème réglé.")
                   .arg(error.message()));
    }
}

} // namespace reports
