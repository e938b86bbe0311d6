#pragma once

#include "Standings.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace db {

class Connection;

// The club's season: the evenings kept at the reset (Soirees, SoireesJoueurs), the club's known
// players (JoueursClub) and the log of what was removed or merged (CorrectionsSaison). Every
// statement on those tables is here. Each function throws DbError when the file fails; a
// refusal is returned in the organiser's words.

// The comparison key of a known player: surname and first name with case and accents folded
// as the French order folds them (ÉMILE, Emile and emile are one person, Œ is OE), blanks
// around or doubled dropped, and the apostrophe left out whether typed straight, curly or not
// at all (D'ALEMBERT, D’ALEMBERT, DALEMBERT): a keyboard and a phone type it differently, and
// nobody tells two club members apart by it.
QString playerKey(const QString& nom, const QString& prenom);

// Keeps the tournament's final standings as an evening of the season, within the caller's
// transaction: the complete rounds, each player's points in them, his total and place, the
// players added to the known ones when new. The evening's number, or none when no round is
// complete (nothing is kept then).
std::optional<int> keepEvening(Connection& connection, const QDateTime& when);

struct Evening {
    int number = 0;
    QDate date;
    int players = 0;
    QList<int> rounds; // the rounds kept, in order
};
// Every evening kept, the latest first.
QList<Evening> evenings(Connection& connection);
// An evening's standings as the export ranks them (the players under the numbers they had that
// evening); none when no evening has that number.
std::optional<Standings> eveningStandings(Connection& connection, int evening);
// Removes an evening and logs it, in one transaction. A refusal when it is gone already.
std::optional<QString> removeEvening(Connection& connection, int evening, const QDateTime& when);

// Gives an evening another date (a reset made the next week), and logs it, in one transaction.
// A refusal when it is gone already or the date is not a day.
std::optional<QString> redateEvening(Connection& connection, int evening, const QDate& date,
                                     const QDateTime& when);

struct KnownPlayer {
    int number = 0; // JoueursClub.Joueur
    QString nom;
    QString prenom;
    int evenings = 0; // evenings kept where he played
};
// The known players whose surname begins with `typed` (folded as the key), in the French order,
// at most `limit`.
QList<KnownPlayer> knownPlayersStartingWith(Connection& connection, const QString& typed,
                                            int limit = 12);
// Every known player, in the French order.
QList<KnownPlayer> knownPlayers(Connection& connection);
// The known player under these names, if any.
std::optional<KnownPlayer> findKnownPlayer(Connection& connection, const QString& nom,
                                           const QString& prenom);
// The keys of every known player.
QSet<QString> knownKeys(Connection& connection);
// Merges the spelling `gone` into `kept`: the evenings of `gone` become `kept`'s, `gone` is no
// longer known, and the merge is logged, in one transaction. A refusal when one of them is
// unknown, both are the same, or they played the same evening (two people, then).
std::optional<QString> mergePlayers(Connection& connection, int kept, int gone,
                                    const QDateTime& when);

// A member list to add: surname and first name of each player.
struct NewPlayer {
    QString nom;
    QString prenom;
};
// Adds the players not known yet, in one transaction, and logs the import: how many were added.
int importPlayers(Connection& connection, const QList<NewPlayer>& players, const QDateTime& when);

// One line of the season's ranking.
struct SeasonStanding {
    int player = 0;
    QString nom;
    QString prenom;
    int evenings = 0;
    double total = 0;
    double best = 0; // the best total of one evening
    double average() const { return evenings ? total / evenings : 0; }
};
struct SeasonStandings {
    QDate from;
    QDate to;
    int evenings = 0;           // evenings kept in the period
    QList<SeasonStanding> rows; // highest total first, equal totals in the French order
    QList<int> places;          // equal totals share a place, the next skips (1, 2, 2, 4)
};
// The season's ranking over the evenings from `from` to `to`, both included.
SeasonStandings seasonStandings(Connection& connection, const QDate& from, const QDate& to);

// The first day of the season holding `day`: the 1st of September before it, or on it.
QDate seasonStart(const QDate& day);

} // namespace db
