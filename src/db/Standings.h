#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <variant>

namespace db {

class Connection;

// One line of a ranking: the player, his total and his points in each stored round.
struct Standing {
    qint64 number = 0;
    bool registered = false; // a number nobody holds has no name
    QString nom;
    QString prenom;
    double total = 0;
    QHash<int, double> byRound;
    QString name() const { return registered ? nom + u' ' + prenom : QString(); }
};

struct Standings {
    QString title;        // names rounds 1 to n when they are exactly those ranked, else empty
    QList<int> rounds;    // the rounds ranked, in order
    int expected = 0;     // lines: the players who have played
    QList<Standing> rows; // highest total first, equal totals by player number
    QList<int> places;    // one per row: equal totals share a place, the next skips (1, 2, 2, 4)
    bool provisional = false; // a drawn round is still incomplete (the live ranking only)
};

// Which rounds a ranking takes.
enum class RoundsRanked {
    // Every round that holds results, all of them complete: the printed ranking and the export
    // refuse the ranking while one is not.
    AllStored,
    // The rounds complete so far, the ranking provisional while a drawn round is not (the
    // live pages).
    CompleteSoFar,
};

// The standings of the tournament over rounds 1 to `rounds` (the stored number of rounds): the
// ranking's guards, then its rows, read in a few statements. A refusal is the fault as the
// ranking tells it ("Il n'y a aucun résultat de saisi !!!", "Il manque des résultats de la
// manche 2"). Throws DbError.
std::variant<Standings, QString> standings(Connection& connection, int rounds,
                                           RoundsRanked which = RoundsRanked::AllStored);

// The title for the rounds ranked, in increasing order: it names rounds 1 to n when they are
// exactly those, and is empty for any other set.
QString standingsTitle(const QList<int>& rounds);

// The players seated in each of rounds 1 to `rounds` (at most 7), read in one statement: those
// with a seat and a table in the round. A table of five seats one more, a late arrival counts
// from his first round, a player gone up to his last, a registrant after the draw never.
QList<int> seatedByRound(Connection& connection, int rounds);

} // namespace db
