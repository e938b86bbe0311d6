#pragma once

#include "RankingExport.h"
#include "Report.h"

#include "db/Season.h"

#include <QDate>
#include <QDateTime>

namespace reports {

// The club's season ranked over a period: each known player with the evenings he played, his
// total, his best evening and his average, by decreasing total, equal totals sharing a place.
class SeasonRanking : public Report {
public:
    SeasonRanking(ui::Shell& shell, db::DataControl& DataEditions, QDate from, QDate to,
                  PrintSurface& Printer);
    void print();

private:
    void body();
    QDate m_from;
    QDate m_to;
};

// The same ranking as a spreadsheet file and a web page, like the evening's.
class SeasonRankingExport : private detail::NoPaperHolder, public Report {
public:
    SeasonRankingExport(ui::Shell& shell, db::DataControl& DataEditions, QDate from, QDate to,
                        QString folder, QDateTime when);
    void write();

    const QStringList& files() const { return m_files; }
    QString folder() const { return m_folder; }

private:
    void body();
    QDate m_from;
    QDate m_to;
    QString m_folder;
    QDateTime m_when;
    QStringList m_files;
};

// "Du 1 septembre 2026 au 10 décembre 2026 : 12 soirées".
QString seasonPeriodText(const db::SeasonStandings& season);

} // namespace reports
