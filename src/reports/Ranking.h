#pragma once

#include "Report.h"

namespace reports {

// The ranking: every player by decreasing total of points over the stored rounds, once every
// round that holds results is complete.
class Ranking : public Report {
public:
    Ranking(ui::Shell& shell, db::DataControl& DataEditions, db::DataControl& DataInscriptions,
            PrintSurface& Printer);
    void print();

    // The title for the rounds whose results are stored, in increasing order: it names rounds
    // 1 to n when they are exactly those, and is empty for any other set.
    static QString titleFor(const QList<int>& rounds);

private:
    void body();
    db::DataControl& DataInscriptions;
};

} // namespace reports
