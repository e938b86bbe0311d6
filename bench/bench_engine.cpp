// What the engine costs at the largest tournament: 3996 players (999 tables of four).
// The draw refreshes a candidate query for every table of every round; the ranking looks a
// name up for every printed row. Each must cost what its rows cost.

#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Schema.h"
#include "db/Tournament.h"
#include "db/Transaction.h"
#include "registration/Registration.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kPlayers = 3996;

struct Tournament {
    QTemporaryDir dir;
    std::shared_ptr<db::Connection> main;
    QString path;

    Tournament() {
        path = db::databasePath(dir.path() + u'/');
        db::createDatabase(path, QString::fromUtf16(db::kPassword));
        main = db::OpenDatabase(path, false, false, QString::fromUtf16(db::kConnect));
        main->executeNative(QStringLiteral("BEGIN"));
        auto add = main->prepare(QStringLiteral(
            "INSERT INTO Inscriptions VALUES (?1, ?2, ?3, ?4, ?5, ?6, 0, 0, 0, 0, 0, 0)"));
        for (int i = 1; i <= kPlayers; ++i) {
            // Half the players seated and placed in round 1, as half-way through a draw.
            const int seat = i <= kPlayers / 2 ? 1 + (i - 1) % 4 : 0;
            add->bind(1, i);
            add->bind(2,
                      QStringLiteral("NOM%1").arg((i * 7919) % kPlayers, 4, 10, QLatin1Char('0')));
            add->bind(3, QStringLiteral("Prénom"));
            add->bind(4, seat);
            add->bind(5, QStringLiteral("Nord"));
            add->bind(6, seat ? 1000 + (i - 1) / 4 + 1 : 0);
            add->step();
            add->reset();
        }
        main->executeNative(QStringLiteral("COMMIT"));
    }
};

Tournament& tournament() {
    static Tournament t;
    return t;
}

// A file of its own for what adds players, so the other figures keep their 3996.
Tournament& registrationTournament() {
    static Tournament t;
    return t;
}

void RefreshAllPlayers(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = tournament().path;
    for (auto _ : state) {
        data.RecordSource = QStringLiteral("Inscriptions");
        data.Refresh();
        data.Recordset().MoveLast();
        benchmark::DoNotOptimize(data.Recordset().RecordCount());
        data.Database().Close();
    }
}
BENCHMARK(RefreshAllPlayers)->Unit(benchmark::kMicrosecond);

// One printed row of the ranking: open the players, find one by number, read the name.
void RankingNameLookup(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = tournament().path;
    int code = 1;
    for (auto _ : state) {
        data.RecordSource = QStringLiteral("Inscriptions");
        data.Refresh();
        data.Recordset().FindFirst(QStringLiteral("CodeIndividuel = ") + QString::number(code));
        benchmark::DoNotOptimize(data.Recordset().Fields(QStringLiteral("Nom")).Value());
        data.Database().Close();
        code = code % kPlayers + 1;
    }
}
BENCHMARK(RankingNameLookup)->Unit(benchmark::kMicrosecond);

// One pick of the draw: the free players of a seat in a round, counted, then the r-th read.
void DrawCandidatePick(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = tournament().path;
    data.RecordSource = QStringLiteral("Select * from Inscriptions where CodeIndividuel < 3997 and "
                                       "Position = 2 and CodeEquipe02 = 0 order by CodeIndividuel");
    for (auto _ : state) {
        data.Refresh();
        db::RecordSet& rs = data.Recordset();
        rs.MoveLast();
        const int n = rs.RecordCount();
        rs.MoveFirst();
        for (int i = 0; i < n / 2; ++i)
            rs.MoveNext();
        benchmark::DoNotOptimize(rs.Fields(QStringLiteral("CodeIndividuel")).Value());
    }
}
BENCHMARK(DrawCandidatePick)->Unit(benchmark::kMicrosecond);

// One group of the seat phase: the unseated players in name order, the first four read.
void DrawUnseatedByName(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = tournament().path;
    data.RecordSource =
        QStringLiteral("Select * from Inscriptions where Position = 0 order by NOM");
    for (auto _ : state) {
        data.Refresh();
        for (int i = 0; i < 4; ++i) {
            benchmark::DoNotOptimize(data.Recordset().Fields(QStringLiteral("NOM")).Value());
            data.Recordset().MoveNext();
        }
    }
}
BENCHMARK(DrawUnseatedByName)->Unit(benchmark::kMicrosecond);

// Every player in French name order, as the table list prints them: the engine sorts 3996
// names with the French collation.
void SortAllNamesInFrench(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = tournament().path;
    data.RecordSource = QStringLiteral("Select * from Inscriptions order by Nom, Prenom");
    for (auto _ : state) {
        data.Refresh();
        benchmark::DoNotOptimize(data.Recordset().RecordCount());
    }
}
BENCHMARK(SortAllNamesInFrench)->Unit(benchmark::kMillisecond);

// Many-row writes as the draw makes them: one field of every player in each of 7 rounds,
// 27 972 Edit + Update in one transaction, committed to disk.
void EditUpdateEveryPlayerSevenTimes(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = tournament().path;
    data.RecordSource = QStringLiteral("Select * from Inscriptions order by CodeIndividuel");
    int pass = 0;
    for (auto _ : state) {
        ++pass;
        db::Transaction draw(data.Database());
        for (int round = 1; round <= 7; ++round) {
            data.Refresh();
            db::RecordSet& rs = data.Recordset();
            const QString field = db::roundField(round);
            for (int table = 1; !rs.Eof(); ++table) {
                rs.Edit();
                rs.Fields(field).setValue(db::tableCode(round, (table + pass) % 999 + 1));
                rs.Update();
                rs.MoveNext();
            }
        }
        draw.commit();
    }
    state.SetItemsProcessed(state.iterations() * 7 * kPlayers);
}
BENCHMARK(EditUpdateEveryPlayerSevenTimes)->Unit(benchmark::kMillisecond);

// Opening the registration window: the count of registered players.
void RegistrationCount(benchmark::State& state) {
    db::DataControl data;
    for (auto _ : state)
        benchmark::DoNotOptimize(registration::registrationCount(data, tournament().path));
}
BENCHMARK(RegistrationCount)->Unit(benchmark::kMicrosecond);

// One "Valider" of the registration window, stored to disk before it returns.
void RegisterOnePlayer(benchmark::State& state) {
    db::DataControl data;
    const QString& path = registrationTournament().path;
    for (auto _ : state)
        registration::storePlayer(data, path, registration::nextPlayerNumber(data, path),
                                  QStringLiteral("NOUVEAU"), QStringLiteral("Joueur"));
}
BENCHMARK(RegisterOnePlayer)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    tournament(); // built once, outside the timings
    registrationTournament();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
