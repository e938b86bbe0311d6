#pragma once

#include "PrintSurface.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace db {
class DataControl;
}
namespace ui {
class Shell;
}

namespace reports {

// What every report does around its drawing: the busy indication on the main window, the
// message of a refusal or a failure, and the lines every page shares.
class Report {
public:
    virtual ~Report() = default;

    // The title of the report's messages ("Edition des résultats").
    QString title() const { return m_title; }

protected:
    Report(ui::Shell& shell, db::DataControl& DataEditions, PrintSurface& Printer, QString title);

    // Runs the report's body inside the busy indication; whatever way the body ends (done,
    // refused, the database or the printer failing), the main window ends as it began.
    void run(const std::function<void()>& body);
    // A guard refused: its message, under the report's title.
    void refuse(const QString& text) const;
    // Rounds above those the draw filled (the rounds raised since): nothing printed for them.
    static QString roundsNotDrawn(const QList<int>& rounds);
    // The fault, then what it means for the report.
    static QString impossible(const QString& fault) {
        return fault + QStringLiteral("\n\nEdition impossible !!!");
    }
    // The guards passed: the panel goes up before the first output.
    void showPanel();
    QString databasePath() const;

    // The guards of the reports that print tables: somebody registered, and the tables
    // drawn. False once a refusal has been shown.
    bool registeredAndDrawn();
    // The players seated in each of rounds 1 to `rounds` (at most 7), read in one statement:
    // those with a seat and a table in the round. A table of five seats one more, a late arrival
    // counts from his first round, a player gone up to his last, a registrant after the draw
    // never.
    QList<int> seatedByRound(int rounds);
    // Told once the pages are out and the main window is back as it was: what was not printed.
    void notice(const QString& text) { m_notice = text; }
    // The stored rounds and deals; a count below 0, which only an edited file can hold, is 0.
    struct Settings {
        int rounds = 0;
        int deals = 0;
        bool fives = false; // the draw may seat five at a table
    };
    Settings storedSettings();

    ui::Shell& m_shell;
    db::DataControl& DataEditions;
    PrintSurface& Printer;
    QString m_title;

private:
    bool m_panelShown = false;
    QString m_notice;
};

// Page conventions shared by the reports.
void standardSetUp(PrintSurface& p);
// Arial 10 regular, and one blank at the origin: it starts the document.
void pageOpening(PrintSurface& p);
// "Page : 2 / 3" at the top left.
void pageNumberLine(PrintSurface& p, int pages);
// The report's title; an empty title prints nothing.
void reportTitle(PrintSurface& p, const QString& title);
// Pages of 100 rows needed for so many rows, at least one.
int pagesFor(int rows);
// Characters 2 to 4 of a table code: the table on three digits ("012" for 3012).
QString tableNumberText(int tableCode);

// A list printed in two blocks of 50 rows per page, 100 to a page, under a page header and
// the column headings of each block in use (the table list and the ranking).
class TwoBlockPages {
public:
    struct Column {
        QString heading;
        double headingX; // left block; the right block is 95 mm further
        double valueX;
        double width = 0; // the room of a value that could run into the next column
    };
    // Rows expected decides whether a page shows the right block's headings.
    TwoBlockPages(PrintSurface& p, QString title, int pages, QList<Column> columns,
                  int rowsExpected);

    // Page header and headings of the first page, the standard set-up, the page opening.
    void start();
    // One row in Times New Roman 12; a page is turned when the previous one is full.
    void row(const QStringList& values, bool bold = false);

private:
    void header();
    void headings();

    PrintSurface& m_p;
    QString m_title;
    int m_pages;
    QList<Column> m_columns;
    int m_remaining;
    int m_onPage = 0;
    double m_y = 30;
};

} // namespace reports
