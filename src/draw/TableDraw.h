#pragma once

#include "db/Tournament.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace db {
class DataControl;
}

namespace draw {

class RandomSource;

// The largest draw the table code can hold: 999 tables of four per round.
inline constexpr int kMaxParticipants = 3996;

// What the draw drives in its window.
class DrawControls {
public:
    virtual ~DrawControls() = default;
    virtual void setButtons(bool validerEnabled, bool quitterEnabled) = 0;
    // The progress bar at 0 of maximum, shown.
    virtual void showProgress(int maximum) = 0;
    virtual void setProgress(int value) = 0;
    virtual void hideProgress() = 0;
};

// One participant as the draw places him.
struct Placement {
    qint64 rowid = 0;
    int number = 0;                          // CodeIndividuel
    int seat = 0;                            // 1 to 4
    std::array<int, db::kMaxRounds> codes{}; // table code of each round, 0 above the last one
};

// The seats and tables of P participants for R rounds, drawn from the random source exactly
// as the organiser's draw does it: bySurname lists the participants in surname order (the
// seat phase seats them four at a time in that order), and each one's number orders the
// candidates of the table phase. The result comes in number order. Avoiding repeats, the
// seats are drawn the same way, then each seat's players rotate through the tables so that
// no two meet twice whenever that can be done (see noRepeatTables).
QList<Placement> drawPlacements(QList<Placement> bySurname, int rounds, RandomSource& random,
                                bool avoidRepeats = false);

// The pairs of players who share a table in more than one round, each pair once.
int repeatedPairs(const QList<Placement>& placed);

// What a completed draw leaves the organiser to know.
struct DrawSummary {
    int repeats = 0;        // pairs of players meeting more than once
    QStringList sittingOut; // "n° 29 DUPONT Jean", in number order
};

// The draw started by "Valider" of the draw window: guards, the question about a previous
// draw, seats and tables for the participants, results deleted, all in one transaction. The
// participants are the `participants` players with the lowest numbers; the others sit out,
// without a seat or a table.
class TableDraw {
public:
    enum class Outcome {
        Refused,  // a guard stopped it before anything was written; the buttons kept their state
        Declined, // a draw exists and the organiser kept it
        Drawn,
        Failed, // the engine failed: nothing was changed, the organiser has been told
    };

    TableDraw(db::DataControl& DataTirage, QString databasePath, RandomSource& random,
              DrawControls& controls);

    // avoidRepeats: the window's choice, stored with the draw so that a redraw uses it again.
    Outcome run(int participants, bool avoidRepeats = false);
    // After a draw: its repeated meetings and who sits out.
    const DrawSummary& summary() const { return m_summary; }

private:
    db::DataControl& m_data;
    QString m_databasePath;
    RandomSource& m_random;
    DrawControls& m_controls;
    DrawSummary m_summary;
};

// The choice stored with the last draw; off for a file that holds none. The access object is
// left closed.
bool storedAvoidRepeats(db::DataControl& data, const QString& databasePath);

} // namespace draw
