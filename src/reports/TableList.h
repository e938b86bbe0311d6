#pragma once

#include "Report.h"

namespace reports {

// The list of tables: for every round, one document listing its players in surname order
// with their number, seat and table, 100 to a page.
class TableList : public Report {
public:
    TableList(ui::Shell& shell, db::DataControl& DataEditions, PrintSurface& Printer);
    void print();

private:
    void body();
};

} // namespace reports
