#include "RankingFiles.h"

#include "PainterSurface.h"
#include "PrintSurface.h"

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

QString rankingCsv(const QStringList& headings, const QList<QStringList>& lines) {
    // A French spreadsheet opens it by a double click: its mark says UTF-8, ";" separates.
    QString csv = QStringLiteral("\uFEFF") + csvLine(headings);
    for (const QStringList& line : lines)
        csv += csvLine(line);
    return csv;
}

QString frenchDate(const QDate& day) {
    return QLocale(QLocale::French, QLocale::France).toString(day, QStringLiteral("d MMMM yyyy"));
}

QString rankingHtml(const QString& pageTitle, const QString& heading, const QString& subtitle,
                    const QString& date, const QStringList& headings,
                    const QList<QStringList>& lines, RankingColumns roles) {
    QString html =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>%1</title>\n<style>\n"
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
            "</style>\n</head>\n<body>\n<header>\n<h1>%2</h1>\n")
            .arg(pageTitle.toHtmlEscaped(), heading.toHtmlEscaped());
    // The date in the heading, beside the word, so that a page passed on says which evening or
    // season it ranks.
    if (!subtitle.isEmpty())
        html += QStringLiteral("<p class=\"titre\">%1</p>\n").arg(subtitle.toHtmlEscaped());
    html += QStringLiteral("<p class=\"date\">%1</p>\n</header>\n<div class=\"tableau\">\n<table>\n"
                           "<thead>\n<tr>")
                .arg(date);
    // Each cell's classes: numbers to the right; the place, the name and the total kept in
    // sight on a phone.
    const qsizetype total = roles.total < 0 ? headings.size() - 1 : roles.total;
    const qsizetype name = roles.firstText;
    const auto classes = [total, name](qsizetype column) {
        QStringList names;
        if (column != name && column != name + 1)
            names.append(QStringLiteral("nombre"));
        if (column == 0)
            names.append(QStringLiteral("place"));
        if (column == name)
            names.append(QStringLiteral("nom"));
        if (column == total)
            names.append(QStringLiteral("total"));
        return names.isEmpty() ? QString() : QStringLiteral(" class=\"%1\"").arg(names.join(u' '));
    };
    for (qsizetype c = 0; c < headings.size(); ++c)
        html += QStringLiteral("<th%1>").arg(classes(c)) + headings[c].toHtmlEscaped() +
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
    return html;
}

QStringList writeRankingFiles(const QString& folder, const QString& document, const QDateTime& when,
                              const QString& csv, const QString& html) {
    QStringList files;
    try {
        if (!QDir().mkpath(folder))
            throw PrintError(QStringLiteral("le dossier %1 ne peut pas être créé")
                                 .arg(QDir::toNativeSeparators(folder)));
        const QString base = freeDocumentPath(folder, document, when,
                                              {QStringLiteral(".csv"), QStringLiteral(".html")});
        save(base + QStringLiteral(".csv"), csv.toUtf8());
        files.append(base + QStringLiteral(".csv"));
        save(base + QStringLiteral(".html"), html.toUtf8());
        files.append(base + QStringLiteral(".html"));
    } catch (const PrintError&) {
        for (const QString& written : std::as_const(files))
            QFile::remove(written);
        throw;
    }
    return files;
}

} // namespace reports
