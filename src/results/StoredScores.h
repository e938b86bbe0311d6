#pragma once

#include "Scores.h"

#include <QDateTime>
#include <QStringList>

namespace results {

// A table whose scores are stored, as the correction window shows it.
struct StoredTable {
    std::optional<Refusal> refusal;
    QList<Player> players; // in seat order
    QStringList scores;    // one per player, as stored, in French decimals; empty for none
    QString lastChange;    // the table's last correction or deletion, told
};

// The same checks of the code as the results window, then the players and their stored scores;
// a table not entered yet is refused. The access object is left closed.
StoredTable lookUpStoredTable(db::DataControl& DataResultats, const QString& databasePath,
                              const QString& code);

// Replaces the stored scores of the table (four, or five at a table of five) with the ones
// typed, a row per player, checked as the results window checks them, and logs the change; all
// or nothing. No value when done (or when nothing changed). The access object is left closed.
std::optional<Refusal> correctScores(db::DataControl& DataResultats, const QString& databasePath,
                                     const QString& code, std::span<const ScoreRow> rows,
                                     const QDateTime& when);

// Deletes the stored scores of the table, so that it can be entered again, and logs it;
// all or nothing. The access object is left closed.
std::optional<Refusal> deleteScores(db::DataControl& DataResultats, const QString& databasePath,
                                    const QString& code, const QDateTime& when);

// The tables of a drawn round: those entered and those still missing, by table code. A table
// of five is one table; a player seated nowhere in the round (not come yet, or gone) is none.
struct RoundTables {
    int round = 0;
    QList<int> entered;
    QList<int> missing;
};
// One round, or every drawn round for round 0. The access object is left closed.
QList<RoundTables> roundTables(db::DataControl& DataResultats, const QString& databasePath,
                               int round = 0);
// "Manche 2 : 14 tables saisies sur 16. Manquent : 2003, 2011.", a line per round.
QString describe(const QList<RoundTables>& rounds);

} // namespace results
