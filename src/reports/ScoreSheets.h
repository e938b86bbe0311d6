#pragma once

#include "Report.h"

namespace reports {

// The score sheets of one round, asked for: one single-page document per table, with its
// players in seat order and an empty grid of one row per deal.
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
};

} // namespace reports
