#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace reports {

// The files a ranking is published in: a spreadsheet file (CSV for a French spreadsheet: UTF-8
// with its mark, ";" between fields) and one self-contained web page, for a phone and for A4.
// The evening's ranking and the season's write theirs through these.

// What each column holds, for the page's cell classes: numbers go to the right, and the place,
// the name and the total stay in sight on a phone.
struct RankingColumns {
    int firstText = 2; // the surname, then the first name: the two columns of text
    int total = -1;    // the total's column; -1 for the last
};

// The spreadsheet's text: its mark, the headings, one line per row.
QString rankingCsv(const QStringList& headings, const QList<QStringList>& lines);

// The page: `pageTitle` in the browser's tab, `heading` beside the date, `subtitle` (when not
// empty) beneath them.
QString rankingHtml(const QString& pageTitle, const QString& heading, const QString& subtitle,
                    const QString& date, const QStringList& headings,
                    const QList<QStringList>& lines, RankingColumns roles = {});

// A day as the pages write it: "10 décembre 2026".
QString frenchDate(const QDate& day);

// Writes the two files into the folder, named like the printed reports after `document`, never
// over an earlier file: both or neither. The files written, the spreadsheet's first. Throws
// PrintError.
QStringList writeRankingFiles(const QString& folder, const QString& document, const QDateTime& when,
                              const QString& csv, const QString& html);

} // namespace reports
