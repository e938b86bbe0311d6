#pragma once

// Generated tournaments for the benchmarks: registered players in a fresh file, made once
// per size and kept for the whole run.

#include "db/Connection.h"
#include "db/Schema.h"

#include <QTemporaryDir>
#include <map>
#include <memory>

// Players 1..n, registered, not drawn yet, and the number of rounds set.
struct Tournament {
    QTemporaryDir dir;
    std::shared_ptr<db::Connection> main;
    QString path;

    Tournament(int players, int rounds) {
        path = db::databasePath(dir.path() + u'/');
        db::createDatabase(path, QString::fromUtf16(db::kPassword));
        main = db::OpenDatabase(path, false, false, QString::fromUtf16(db::kConnect));
        main->executeNative(QStringLiteral("BEGIN"));
        auto add =
            main->prepare(QStringLiteral("INSERT INTO Inscriptions VALUES (?1, ?2, 'Prénom', "
                                         "0, NULL, 0, 0, 0, 0, 0, 0, 0)"));
        for (int i = 1; i <= players; ++i) {
            // Surname order far from number order.
            add->bind(1, i);
            add->bind(2,
                      QStringLiteral("NOM%1").arg((i * 7919) % players, 4, 10, QLatin1Char('0')));
            add->step();
            add->reset();
        }
        main->executeNative(QStringLiteral("UPDATE Parametres SET Manches = ?1"), {rounds});
        main->executeNative(QStringLiteral("COMMIT"));
    }
};

inline Tournament& tournament(int players, int rounds) {
    static std::map<std::pair<int, int>, std::unique_ptr<Tournament>> made;
    auto& t = made[{players, rounds}];
    if (!t)
        t = std::make_unique<Tournament>(players, rounds);
    return *t;
}
