#pragma once

#include "Report.h"

#include "db/Standings.h"

#include <optional>

namespace reports {

// The ranking: every player by decreasing total of points over the stored rounds, once every
// round that holds results is complete.
class Ranking : public Report {
public:
    Ranking(ui::Shell& shell, db::DataControl& DataEditions, db::DataControl& DataInscriptions,
            PrintSurface& Printer);
    void print();

protected:
    // The ranking's guards, a refusal shown, then its standings: highest total first, equal
    // totals by player number.
    std::optional<db::Standings> standings();
    db::DataControl& DataInscriptions;

private:
    void body();
};

} // namespace reports
