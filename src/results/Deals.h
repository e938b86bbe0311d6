#pragma once

#include "Scores.h"
#include "common/Deals.h"

#include <QDateTime>

namespace results {

// A table entered deal by deal, as its page and the correction window show it.
struct DealTable {
    std::optional<Refusal> refusal;
    QList<Player> players; // in seat order
    QList<db::Deal> deals; // in the order played
    common::DealGrid grid; // each deal's points and the totals, one per seat
    int required = 0;      // the round's number of deals
    bool stored = false;   // the table's totals are stored: its deals no longer change
};

// The table a code names with its deals. The access object is left closed.
DealTable readDealTable(db::DataControl& DataResultats, const QString& databasePath,
                        const QString& code);

// Adds the table's next deal, numbered `number` (the page sends the number it offered, so that
// a form sent twice adds the deal once), checked by the federation's rules; refused once the
// table's totals are stored or its round's deals are all played. One transaction. No value when
// added. The access object is left closed.
std::optional<Refusal> addTableDeal(db::DataControl& DataResultats, const QString& databasePath,
                                    const QString& code, const db::Deal& deal);

// Takes back the table's last deal, numbered `number`, while its totals are not stored. No
// value when done. The access object is left closed.
std::optional<Refusal> undoLastDeal(db::DataControl& DataResultats, const QString& databasePath,
                                    const QString& code, int number);

// The rows to store for the table's totals, through storeScores as any other entry: refused
// with no deal, and with fewer than the round's deals unless `confirmed`.
struct DealTotals {
    std::optional<Refusal> refusal;
    bool askConfirmation = false; // fewer deals than the round's: say yes first
    QList<ScoreRow> rows;
};
DealTotals dealTotals(const DealTable& table, bool confirmed);

// Replaces one deal of a stored table and stores the table's new totals as a correction,
// logged as any other, in one transaction. No value when done. The access object is left
// closed.
std::optional<Refusal> correctDeal(db::DataControl& DataResultats, const QString& databasePath,
                                   const QString& code, const db::Deal& deal,
                                   const QDateTime& when);

} // namespace results
