#include "Bench.h"

#include "db/DataControl.h"
#include "db/Departures.h"
#include "db/Schema.h"
#include "draw/RandomSource.h"
#include "ui/MessageBox.h"

#include <map>
#include <tuple>

namespace bench {

Tournament::Tournament(int players, int rounds) : players(players), rounds(rounds) {
    path = db::databasePath(programDirectory());
    db::createDatabase(path, QString::fromUtf16(db::kPassword));
    main = db::OpenDatabase(path, false, false, QString::fromUtf16(db::kConnect));
    main->executeNative(QStringLiteral("BEGIN"));
    auto add = main->prepare(QStringLiteral("INSERT INTO Inscriptions VALUES (?1, ?2, 'Prénom', "
                                            "0, NULL, 0, 0, 0, 0, 0, 0, 0)"));
    for (int i = 1; i <= players; ++i) {
        // Surname order far from number order.
        add->bind(1, i);
        add->bind(2, QStringLiteral("NOM%1").arg((i * 7919) % players, 4, 10, QLatin1Char('0')));
        add->step();
        add->reset();
    }
    add.reset();
    main->executeNative(QStringLiteral("UPDATE Parametres SET Manches = ?1"), {rounds});
    main->executeNative(QStringLiteral("COMMIT"));
}

namespace {

void seatHalf(Tournament& t) {
    t.main->executeNative(
        QStringLiteral("UPDATE Inscriptions SET Position = (CodeIndividuel - 1) % 4 + 1, "
                       "Position2 = 'Nord', CodeEquipe01 = 1000 + (CodeIndividuel - 1) / 4 + 1 "
                       "WHERE CodeIndividuel <= ?1"),
        {t.players / 2});
}

// A real draw, then a score for every seated player in each of the first rounds.
void play(Tournament& t, int scoredRounds) {
    db::DataControl DataTirage;
    // A clock that never moves: the same draw in every run, so that the reports' pages can be
    // compared from one build to the next.
    draw::RandomSource random([] { return quint64(20261210); });
    NoWindow window;
    if (draw::TableDraw(DataTirage, t.path, random, window).run(t.players) !=
        draw::TableDraw::Outcome::Drawn)
        qFatal("the tournament of %d players could not be drawn", t.players);
    t.main->executeNative(QStringLiteral("BEGIN"));
    for (int round = 1; round <= scoredRounds; ++round)
        t.main->executeNative(QStringLiteral("INSERT INTO Resultats SELECT ?1, CodeIndividuel, "
                                             "(CodeIndividuel % 7) * 1.25 FROM Inscriptions "
                                             "WHERE Position > 0"),
                              {round});
    t.main->executeNative(QStringLiteral("UPDATE Parametres SET Parties = 15"));
    t.main->executeNative(QStringLiteral("COMMIT"));
}

// The evening the coming rounds are drawn again on: everyone at a table of four or five, the
// first round played, and a player leaving after it, so that three tables seat five from then.
void evening(Tournament& t) {
    db::DataControl DataTirage;
    draw::RandomSource random([] { return quint64(20261210); });
    NoWindow window;
    if (draw::TableDraw(DataTirage, t.path, random, window)
            .run(db::participants(t.players, true), true, true) != draw::TableDraw::Outcome::Drawn)
        qFatal("the evening of %d players could not be drawn", t.players);
    t.main->executeNative(QStringLiteral("BEGIN"));
    t.main->executeNative(QStringLiteral("INSERT INTO Resultats SELECT 1, CodeIndividuel, 0 FROM "
                                         "Inscriptions WHERE CodeEquipe01 > 0"));
    db::setDeparture(*t.main, 1, 2);
    t.main->executeNative(QStringLiteral("COMMIT"));
}

} // namespace

Tournament& tournament(int players, int rounds, Stage stage) {
    static std::map<std::tuple<int, int, Stage>, std::unique_ptr<Tournament>> made;
    auto& t = made[{players, rounds, stage}];
    if (t)
        return *t;
    t = std::make_unique<Tournament>(players, rounds);
    switch (stage) {
    case Stage::HalfSeated:
        seatHalf(*t);
        break;
    case Stage::Playing:
        play(*t, rounds - 1);
        break;
    case Stage::Played:
        play(*t, rounds);
        break;
    case Stage::Evening:
        evening(*t);
        break;
    default:
        break;
    }
    return *t;
}

void playerSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"players", "rounds"});
    for (const int players : {16, 64, 400, 3996})
        b->Args({players, 7});
    // The organiser waits on the disk as much as on the processor.
    b->UseRealTime();
    b->Unit(benchmark::kMillisecond);
}

void sizes(benchmark::internal::Benchmark* b) {
    playerSizes(b);
    b->Args({64, 5});
}

} // namespace bench
