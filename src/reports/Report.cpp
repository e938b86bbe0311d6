#include "Report.h"

#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/Standings.h"
#include "db/Tournament.h"
#include "db/Transaction.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"

#include <QScopeGuard>

namespace reports {

Report::Report(ui::Shell& shell, db::DataControl& DataEditions, PrintSurface& Printer,
               QString title)
    : m_shell(shell), DataEditions(DataEditions), Printer(Printer), m_title(std::move(title)) {}

QString Report::databasePath() const {
    return db::databasePath(m_shell.programDirectory());
}

void Report::run(const std::function<void()>& body) {
    m_panelShown = false;
    m_notice.clear();
    m_shell.setBusy(true);
    m_shell.setCartesVisible(false);
    const auto end = qScopeGuard([this] {
        DataEditions.Database().Close();
        if (m_panelShown)
            m_shell.setMessageVisible(false);
        m_shell.setCartesVisible(true);
        m_shell.setBusy(false);
        if (!m_notice.isEmpty())
            refuse(m_notice);
    });
    const auto failed = [this](const QString& text) {
        // Nothing half drawn goes to the printer or stays under a file's name.
        Printer.KillDoc();
        if (m_panelShown)
            m_shell.setMessageVisible(false);
        m_panelShown = false;
        m_notice.clear();
        refuse(text);
    };
    try {
        DataEditions.DatabaseName = databasePath();
        // One read lock and one view of the file for the whole report, rather than one for
        // every row read.
        db::Transaction reading(DataEditions.Database());
        body();
        Printer.EndJob();
        reading.commit();
    } catch (const db::DbError& error) {
        failed(impossible(
            QStringLiteral("Le tournoi n'a pas pu être lu : %1").arg(common::cause(error))));
    } catch (const PrintError& error) {
        failed(QStringLiteral("L'impression s'est arrêtée : %1.\n\nRelancez l'édition une fois le "
                              "problème réglé.")
                   .arg(error.message()));
    }
}

void Report::refuse(const QString& text) const {
    ui::MessageBox::critical(m_title, text);
}

QString Report::roundsNotDrawn(const QList<int>& rounds) {
    QStringList numbers;
    for (const int k : rounds)
        numbers.append(QString::number(k));
    if (numbers.size() == 1)
        return QStringLiteral("La manche %1 n'a pas été tirée !!!\n\nRien n'a été imprimé pour "
                              "cette manche. Pour la tirer sans toucher aux manches jouées : "
                              "menu Fichier, Arrivées et départs, « Refaire les manches à "
                              "venir ».")
            .arg(numbers.first());
    const QString last = numbers.takeLast();
    return QStringLiteral("Les manches %1 et %2 n'ont pas été tirées !!!\n\nRien n'a été imprimé "
                          "pour ces manches. Pour les tirer sans toucher aux manches jouées : "
                          "menu Fichier, Arrivées et départs, « Refaire les manches à venir ».")
        .arg(numbers.join(QStringLiteral(", ")), last);
}

void Report::showPanel() {
    m_shell.setMessageVisible(true);
    m_panelShown = true;
}

bool Report::registeredAndDrawn() {
    db::RecordSet& registrations =
        DataEditions.Refresh(databasePath(), QStringLiteral("Inscriptions"));
    if (registrations.Eof() && registrations.Bof()) {
        refuse(impossible(QStringLiteral("Il n'y a aucun inscrit !!!")));
        return false;
    }
    if (!db::drawMade(DataEditions.Database().connection())) {
        refuse(impossible(QStringLiteral("La constitution des tables n'est pas faite !!!")));
        return false;
    }
    return true;
}

QList<int> Report::seatedByRound(int rounds) {
    return db::seatedByRound(DataEditions.Database().connection(), rounds);
}

Report::Settings Report::storedSettings() {
    db::RecordSet& row = DataEditions.Refresh(databasePath(), QStringLiteral("Parametres"));
    if (row.Eof())
        return {};
    return {qMax(0, row.Fields(QStringLiteral("Manches")).Value().toInt()),
            qMax(0, row.Fields(QStringLiteral("Parties")).Value().toInt()),
            row.Fields(QStringLiteral("TablesDeCinq")).Value().toInt() != 0};
}

void standardSetUp(PrintSurface& p) {
    // The three page set-up values of the standard set-up need nothing here: the surface
    // always prints portrait, one copy, with solid, unfilled outlines.
    p.DrawWidth = 3;
    p.ScaleMode = 6;
}

void pageOpening(PrintSurface& p) {
    p.FontName = QStringLiteral("Arial");
    p.FontSize = 10;
    p.FontBold = false;
    p.CurrentY = 0;
    p.CurrentX = 0;
    p.Print(QStringLiteral(" "));
}

void pageNumberLine(PrintSurface& p, int pages) {
    p.FontName = QStringLiteral("Times New Roman");
    p.FontSize = 12;
    p.FontBold = true;
    p.CurrentX = 10;
    p.CurrentY = 0;
    p.Print(QStringLiteral("Page : %1 / %2").arg(p.Page()).arg(pages));
}

void reportTitle(PrintSurface& p, const QString& title) {
    p.FontName = QStringLiteral("Times New Roman");
    p.FontSize = 18;
    p.FontBold = true;
    p.CurrentX = 10;
    p.CurrentY = 10;
    if (!title.isEmpty())
        p.Print(title);
}

int pagesFor(int rows) {
    return rows <= 0 ? 1 : (rows + 99) / 100;
}

QString tableNumberText(int tableCode) {
    return QString::number(tableCode).mid(1, 3);
}

TwoBlockPages::TwoBlockPages(PrintSurface& p, QString title, int pages, QList<Column> columns,
                             int rowsExpected)
    : m_p(p), m_title(std::move(title)), m_pages(pages), m_columns(std::move(columns)),
      m_remaining(rowsExpected) {}

void TwoBlockPages::header() {
    m_p.ScaleMode = 6;
    pageOpening(m_p);
    pageNumberLine(m_p, m_pages);
    reportTitle(m_p, m_title);
}

void TwoBlockPages::headings() {
    m_p.ScaleMode = 6;
    pageOpening(m_p);
    for (const double shift : {0.0, 95.0}) {
        if (shift > 0 && m_remaining <= 50)
            break;
        for (const Column& column : m_columns) {
            m_p.FontSize = 10;
            m_p.FontBold = false;
            m_p.CurrentX = column.headingX + shift;
            m_p.CurrentY = 25;
            m_p.Print(column.heading);
        }
    }
}

void TwoBlockPages::start() {
    header();
    headings();
    m_y = 30;
    m_onPage = 0;
    standardSetUp(m_p);
    pageOpening(m_p);
}

void TwoBlockPages::row(const QStringList& values, bool bold) {
    if (m_onPage == 100) {
        m_onPage = 0;
        m_p.NewPage();
        header();
        m_y = 30;
        headings();
    }
    const double shift = m_onPage < 50 ? 0 : 95;
    m_p.FontName = QStringLiteral("Times New Roman");
    for (qsizetype i = 0; i < values.size() && i < m_columns.size(); ++i) {
        m_p.FontSize = 12;
        m_p.FontBold = bold;
        m_p.CurrentX = m_columns[i].valueX + shift;
        m_p.CurrentY = m_y;
        m_p.Print(values[i], m_columns[i].width);
    }
    m_y += 5;
    ++m_onPage;
    --m_remaining;
    if (m_onPage == 50)
        m_y = 30;
}

} // namespace reports
