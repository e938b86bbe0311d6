#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// The program's writing actions, each run to its end as its window runs it, without the window,
// on the tournament file of a program directory: the calls the window makes, "Oui" to the
// action's own question, and the default "Non" to going on without a backup copy. Adding an
// action is one more entry in writingActions().
namespace writing {

// Runs the action on the file of the directory; true when the action's own value says it stored
// what it was asked. What it tells the organiser besides its boxes goes into `told`. The seed
// feeds the draw's random source.
using Action =
    std::function<bool(const QString& programDirectory, quint64 seed, QStringList& told)>;

// By name: "register", "rename" and "remove" (player 2; removing needs no draw yet),
// "settings", "draw", "coming_rounds" (the rounds not scored drawn again),
// "scores" (the first table of the last round), "correct" and "delete" (the
// first table of round 1), "restore", "reset"; on a file keeping an evening already,
// "season_import" (two players added to the known ones) and "season_remove" (that evening).
const QMap<QString, Action>& writingActions();

struct Outcome {
    bool stored = false; // the action's value said so, and no error box was shown
    QStringList told;    // every box shown ("title: text") and every error value
};
// The copy the action "restore" puts in place of the tournament: a file the test leaves there.
QString restoreSource(const QString& programDirectory);

// True when none of the texts holds the engine's English or a statement of SQL.
bool inFrench(const QStringList& told);

Outcome run(const QString& action, const QString& programDirectory, quint64 seed = 7);

} // namespace writing
