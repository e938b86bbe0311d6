#pragma once

#include "Report.h"

#include <QHash>
#include <QSet>

namespace reports {

// The score sheets of one round, asked for, or of one table of it: one single-page document
// per table, with its four or five players in seat order and an empty grid of one row per deal.
// The tables entered deal by deal may be printed filled in instead, for the table to sign.
class ScoreSheets : public Report {
public:
    ScoreSheets(ui::Shell& shell, db::DataControl& DataEditions, PrintSurface& Printer);
    void print();

private:
    struct Player {
        double number = 0;
        QString nom, prenom, seat;
    };
    void body();
    void sheet(int tableCode, const QList<Player>& players, int deals);
    // At a table of five, the one who sits out each deal.
    void deadMarks(int deals);
    // Below the grid, while score entry at the tables is started: the table's key and the QR
    // code of its page's address.
    void entryBlock(int tableCode, const QString& key);
    // The grid of a table entered deal by deal filled in: each deal's points, what it was, the
    // totals, and room for the players' signatures.
    void filledGrid(int tableCode, int seats, int deals);

    QString m_entryAddress;     // of score entry at the tables; empty when it is not started
    QHash<int, QString> m_keys; // of the round's tables, by table code
    int m_table = 0;            // the one table asked for; 0 for the whole round
    QSet<int> m_filled;         // the tables printed filled in; none for blank sheets
};

} // namespace reports
