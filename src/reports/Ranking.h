#pragma once

#include "Report.h"

namespace reports {

// The ranking: every player by decreasing total of points over the stored rounds, once every
// round up to the first empty one is complete.
class Ranking : public Report {
public:
    Ranking(ui::Shell& shell, db::DataControl& DataEditions, db::DataControl& DataInscriptions,
            PrintSurface& Printer);
    void print();

    // The title for the rounds whose results are stored, by the sum of their numbers; empty
    // when they are not rounds 1 to n.
    static QString title(int roundSum);

private:
    void body();
    db::DataControl& DataInscriptions;
};

} // namespace reports
