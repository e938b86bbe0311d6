#pragma once

#include "reports/Ranking.h"
#include "reports/RouteCards.h"
#include "reports/ScoreSheets.h"
#include "reports/TableList.h"

// Runs one report by the name the tests give it: "table list", "score sheets", "route cards" or
// "ranking".
inline void printReport(const QString& report, ui::Shell& shell, db::DataControl& DataEditions,
                        db::DataControl& DataInscriptions, reports::PrintSurface& Printer) {
    if (report == u"table list")
        reports::TableList(shell, DataEditions, Printer).print();
    else if (report == u"score sheets")
        reports::ScoreSheets(shell, DataEditions, Printer).print();
    else if (report == u"route cards")
        reports::RouteCards(shell, DataEditions, Printer).print();
    else
        reports::Ranking(shell, DataEditions, DataInscriptions, Printer).print();
}
