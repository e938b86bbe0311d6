#pragma once

#include <QList>
#include <QSet>

namespace db {

class Connection;

// One deal of a table as entered at the table (a row of Donnes).
struct Deal {
    int number = 0;     // 1, 2, 3... in the order played
    int taker = 0;      // the taker's seat at the table, 1 to 5; 0 when all passed
    int contract = 0;   // 1 prise, 2 garde, 3 garde sans, 4 garde contre
    int bouts = 0;      // in the taker's tricks, 0 to 3
    int halfPoints = 0; // the taker's card points, in half points (0 to 182)
    int simple = 0;     // poignées shown, whoever showed them
    int doubled = 0;
    int triple = 0;
    int petitAuBout = 0; // 0 none, 1 taken by the taker's side, 2 by the defence
    int chelem = 0;      // 0 none, 1 announced and made, 2 made unannounced, 3 announced, failed

    friend bool operator==(const Deal&, const Deal&) = default;
};

// The deals entered at the tables (table Donnes) and the setting that offers them: every
// statement on them is here. Each throws DbError; the writes run within the caller's
// transaction.

// Whether the tables enter their scores deal by deal (Parametres.DonneParDonne); false for a
// file without the setting.
bool dealByDeal(Connection& connection);
void setDealByDeal(Connection& connection, bool on); // its own transaction
// The deals of a round (Parametres.Parties); 0 when none is set.
int dealsPerRound(Connection& connection);

// A table's deals in the order played.
QList<Deal> tableDeals(Connection& connection, int code);
// Adds the table's next deal; its number is the one after the last.
void addDeal(Connection& connection, int code, const Deal& deal);
// Replaces the deal of that number; false when the table has none of it.
bool replaceDeal(Connection& connection, int code, const Deal& deal);
// Deletes the table's last deal; false when it has none.
bool deleteLastDeal(Connection& connection, int code);
// The tables of a round that hold deals.
QSet<int> tablesWithDeals(Connection& connection, int round);
// Deletes the deals of every table from code `first` on (the rounds drawn again), or all of
// them. A file without the table, which only a test makes, is left as it is.
void deleteDealsFrom(Connection& connection, int first);
void deleteAllDeals(Connection& connection);

} // namespace db
