#pragma once

#include "db/Tournament.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>
#include <span>

namespace db {
class DataControl;
}

namespace results {

inline constexpr int kSeats = 4;                // players at a table, one per seat
inline constexpr int kMaxSeats = db::kMaxSeats; // a table of five: one sits out each deal

// Why the window refuses what was typed: the box to show, and where the organiser goes back.
struct Refusal {
    QString title;
    QString text;
    int scoreRow = 0;           // the score field (1 to 5) that takes the focus; 0 for none
    bool scoresEmptied = false; // the table's scores are to be typed again from the start
};

// One player of a table, as the window shows him.
struct Player {
    int number = 0;
    QString name; // Nom, a space, Prenom
};

// The table a code names: its players in seat order, or why there is none to show.
struct Table {
    std::optional<Refusal> refusal;
    QList<Player> players; // four, or five at a table of five; never more
};

// The table code as typed: four digits, the first a round from 1 to 7. No value when it is
// one. Nothing is read: a code it refuses never reaches the database.
std::optional<Refusal> checkCode(const QString& code);

// Checks the table code as typed, then reads the players seated at that table in that round.
// The access object is left closed.
Table lookUpTable(db::DataControl& DataResultats, const QString& databasePath, const QString& code);

// One row of the window when the scores are validated: the player as shown, the score as typed.
struct ScoreRow {
    QString number; // empty when the table had no player for this row
    QString name;
    QString score;
};

// Scores are exact decimals of at most four places: read in ten-thousandths, their sum is exact.
inline constexpr int kScoreDecimals = 4;
inline constexpr double kScoreUnit = 1e4;

// The scores of a table as typed (four rows, or five at a table of five), checked in the
// window's order: each one there, each a number, and their sum exactly 0. The points in
// ten-thousandths, one per row, or the first fault.
struct CheckedScores {
    std::optional<Refusal> refusal;
    QList<qint64> points;
};
CheckedScores checkScores(std::span<const ScoreRow> rows);

// Checks the scores of the table `code` and stores them, one row of Resultats per player, all
// of them or none. The rows are those of every player the code seats. No value when they were
// stored. The access object is left closed.
std::optional<Refusal> storeScores(db::DataControl& DataResultats, const QString& databasePath,
                                   const QString& code, std::span<const ScoreRow> rows);

} // namespace results
