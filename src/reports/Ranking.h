#pragma once

#include "Report.h"

#include <QHash>

namespace reports {

// The ranking: every player by decreasing total of points over the stored rounds, once every
// round that holds results is complete.
class Ranking : public Report {
public:
    Ranking(ui::Shell& shell, db::DataControl& DataEditions, db::DataControl& DataInscriptions,
            PrintSurface& Printer);
    void print();

    // The title for the rounds whose results are stored, in increasing order: it names rounds
    // 1 to n when they are exactly those, and is empty for any other set.
    static QString titleFor(const QList<int>& rounds);

    // One line of the ranking: the player, his total and, when asked for, his points in each
    // stored round.
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
        QString title;
        QList<int> rounds; // the stored rounds, in order
        int expected = 0;  // lines: the players who have played
        QList<Standing> rows;
    };

protected:
    // The ranking's guards, each refusal shown, then its rows: highest total first, equal
    // totals by player number.
    std::optional<Standings> standings(bool byRound);
    db::DataControl& DataInscriptions;

private:
    void body();
};

} // namespace reports
