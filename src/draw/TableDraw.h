#pragma once

#include "Planner.h"
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

    // avoidRepeats, fives: the window's choices, stored with the draw so that a redraw uses
    // them again.
    Outcome run(int participants, bool avoidRepeats = false, bool fives = false);
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
