#include "db/DbError.h"
#include "support/TournamentFiles.h"
#include "support/WritingActions.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

// Runs one writing action to its end on the tournament file of a folder, opened as the program
// opens it, for a test to kill it on the way:
//     velmora_act <action> <folder> [seed]
// It prints "ready" as the action starts and "done" as it ends. Exit status 0 when the action
// stored, 1 when it reported a failure, 2 for a wrong call.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3 || !writing::writingActions().contains(arguments[1])) {
        std::fprintf(stderr, "usage: velmora_act <%s> <folder> [seed]\n",
                     qPrintable(writing::writingActions().keys().join(u'|')));
        return 2;
    }
    const QString directory = QDir(arguments[2]).absolutePath() + u'/';
    const quint64 seed = arguments.size() > 3 ? arguments[3].toULongLong() : 7;
    try {
        const auto main = tournaments::openAsTheProgram(directory);
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        const writing::Outcome outcome = writing::run(arguments[1], directory, seed);
        std::fputs("done\n", stdout);
        std::fflush(stdout);
        if (!outcome.stored) {
            std::fprintf(stderr, "%s\n", qPrintable(outcome.told.join(u'\n')));
            return 1;
        }
    } catch (const db::DbError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
