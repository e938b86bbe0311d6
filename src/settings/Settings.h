#pragma once

#include <QString>
#include <optional>

namespace db {
class DataControl;
}

namespace settings {

inline constexpr int kMaxParties = 15; // deals per round

// A whole number as the organiser may type it: blanks around it, a sign, and a decimal
// separator (comma or point) followed by nothing but zeros ("5," is 5). No value for a text
// that is not a number ("a", "-", ",") or that has a decimal part (",5").
std::optional<int> wholeNumber(const QString& text);

// The first fault of the two typed settings, in the order the organiser reads them.
struct Fault {
    enum class Field { Manches, Parties };
    Field field;
    QString message;
};
// The values to store when both texts pass, or the first fault.
struct Checked {
    int manches = 0;
    int parties = 0;
    std::optional<Fault> fault;
};
Checked checkSettings(const QString& manches, const QString& parties);

// The rounds already played stay: fewer rounds than the last one holding scores is refused,
// more is fine (a round added after the draw is drawn by "Refaire les manches à venir"). No
// value when `manches` is fine. Throws db::DbError; the access object is left closed.
std::optional<Fault> checkScoredRounds(db::DataControl& data, const QString& databasePath,
                                       int manches);

// The stored settings as the window shows them: decimal text, empty when there is no value.
struct Shown {
    QString manches;
    QString parties;
};
// The access object is left closed.
Shown readSettings(db::DataControl& data, const QString& databasePath);
// Writes both settings into the stored row (making it if the file has none). Throws
// db::DbError when they could not be stored, or are beyond what the window lets through (-9 to
// 7 rounds, -9 to 15 deals); the access object is left closed.
void storeSettings(db::DataControl& data, const QString& databasePath, int manches, int parties);

} // namespace settings
