#pragma once

#include "Report.h"

#include <QDateTime>

namespace reports {

namespace detail {
// The export prints nothing: the paper it is given takes nothing.
struct NoPaper : PrintSurface {
    void Line(double, double, double, double, bool) override {}
    void PaintPicture(const QImage&, double, double, double, double) override {}
    void NewPage() override {}
    void EndDoc() override {}
    void KillDoc() override {}
    int Page() const override { return 1; }

protected:
    void printText(const QString&, double) override {}
};
struct NoPaperHolder {
    NoPaper m_noPaper;
};
} // namespace detail

// The ranking as clubs publish it, after the ranking's own guards: a spreadsheet file (CSV for
// a French spreadsheet: UTF-8 with its mark, ";" between fields, decimal comma) and a web page
// (one self-contained HTML file, for a phone and for A4), each with the place, the number, the
// surname, the first name, the points of each round and the total. Written into the folder
// beside the printed reports, named like them, never over an earlier file.
class RankingExport : private detail::NoPaperHolder, public Report {
public:
    RankingExport(ui::Shell& shell, db::DataControl& DataEditions,
                  db::DataControl& DataInscriptions, QString folder, QDateTime when);
    void write();

    // The files written, the spreadsheet's first.
    const QStringList& files() const { return m_files; }
    QString folder() const { return m_folder; }

private:
    void body();

    db::DataControl& DataInscriptions;
    QString m_folder;
    QDateTime m_when;
    QStringList m_files;
};

} // namespace reports
