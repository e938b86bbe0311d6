#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace db {
class DataControl;
}

namespace registration {

// A character typed in the surname field: every letter a capital, accented ones included
// (é gives É, œ gives Œ).
char32_t surnameKey(char32_t typed);
// A character typed in the first-name field: a capital when it starts a word, that is when the
// field's whole text before it is empty or ends with a space or a hyphen (Jean-Pierre),
// wherever the caret is.
char32_t firstNameKey(char32_t typed, const QString& textBefore);

// How many players are registered. The access object is left closed.
int registrationCount(db::DataControl& data, const QString& databasePath);

// The number the next player gets: one more than the highest given, so that no number is
// given twice even in a file with gaps. The access object is left closed.
int nextPlayerNumber(db::DataControl& data, const QString& databasePath);

// Stores one player as typed, under the given number, with no seat and no table yet.
// Throws db::DbError when the row could not be stored (a number already given, of kind
// Duplicate; a number below 1, an empty name or one over 25 characters); nothing is stored
// then. The access object is left closed either way.
void storePlayer(db::DataControl& data, const QString& databasePath, int number, const QString& nom,
                 const QString& prenom);

// A registered player as the registration window lists him.
struct Registered {
    int number = 0;
    QString nom;
    QString prenom;
};
// Every registered player, by number. The access object is left closed.
QList<Registered> registeredPlayers(db::DataControl& data, const QString& databasePath);

// The first player, by number, registered under the same surname and first name, other than
// the one numbered `except`; none when there is none. Names are the same when the French order
// sees the same letters: case, accents and blanks around or doubled aside. The access object
// is left closed.
std::optional<Registered> sameNames(db::DataControl& data, const QString& databasePath,
                                    const QString& nom, const QString& prenom, int except = 0);
// The question asked before a second player is given the names of a registered one.
QString secondRegistrationQuestion(const Registered& registered);

// Corrects the surname and first name of a registered player, draw or not, and logs the change.
// No value when done; otherwise why not (an empty or too long name, a number nobody holds).
// Throws db::DbError when it could not be stored: nothing changed then. The access object is
// left closed.
std::optional<QString> renamePlayer(db::DataControl& data, const QString& databasePath, int number,
                                    const QString& nom, const QString& prenom,
                                    const QDateTime& when);

// Removes a registered player while no draw exists, and logs it; the others keep their numbers.
// No value when done; otherwise why not (the tables are drawn, nobody holds the number).
// Throws db::DbError when it could not be stored: nothing changed then. The access object is
// left closed.
std::optional<QString> removePlayer(db::DataControl& data, const QString& databasePath, int number,
                                    const QDateTime& when);

} // namespace registration
