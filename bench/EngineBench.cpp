// What the engine's own steps cost, half-way through a draw (half the players seated in
// round 1): each must cost what its rows cost.

#include "Bench.h"
#include "db/DataControl.h"
#include "db/Tournament.h"
#include "db/Transaction.h"
#include "registration/Registration.h"

namespace bench {
namespace {

Tournament& halfSeated(const benchmark::State& state) {
    return tournament(playersOf(state), roundsOf(state), Stage::HalfSeated);
}

void RefreshAllPlayers(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = halfSeated(state).path;
    for (auto _ : state) {
        data.RecordSource = QStringLiteral("Inscriptions");
        data.Refresh();
        data.Recordset().MoveLast();
        benchmark::DoNotOptimize(data.Recordset().RecordCount());
        data.Database().Close();
    }
}

// A name looked up by number in the players' record set.
void NameLookup(benchmark::State& state) {
    const Tournament& t = halfSeated(state);
    db::DataControl data;
    data.DatabaseName = t.path;
    int code = 1;
    for (auto _ : state) {
        data.RecordSource = QStringLiteral("Inscriptions");
        data.Refresh();
        data.Recordset().FindFirst(QStringLiteral("CodeIndividuel = ") + QString::number(code));
        benchmark::DoNotOptimize(data.Recordset().Fields(QStringLiteral("Nom")).Value());
        data.Database().Close();
        code = code % t.players + 1;
    }
}

// The free players of a seat in a round, counted, then the middle one read.
void CandidatePick(benchmark::State& state) {
    const Tournament& t = halfSeated(state);
    db::DataControl data;
    data.DatabaseName = t.path;
    data.RecordSource = QStringLiteral("Select * from Inscriptions where CodeIndividuel < %1 and "
                                       "Position = 2 and CodeEquipe02 = 0 order by CodeIndividuel")
                            .arg(t.players + 1);
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

// The unseated players in name order, the first four read.
void UnseatedByName(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = halfSeated(state).path;
    data.RecordSource =
        QStringLiteral("Select * from Inscriptions where Position = 0 order by NOM");
    for (auto _ : state) {
        data.Refresh();
        for (int i = 0; i < 4 && !data.Recordset().Eof(); ++i) {
            benchmark::DoNotOptimize(data.Recordset().Fields(QStringLiteral("NOM")).Value());
            data.Recordset().MoveNext();
        }
    }
}

// Every player in the French name order.
void SortAllNamesInFrench(benchmark::State& state) {
    db::DataControl data;
    data.DatabaseName = halfSeated(state).path;
    data.RecordSource = QStringLiteral("Select * from Inscriptions order by Nom, Prenom");
    for (auto _ : state) {
        data.Refresh();
        benchmark::DoNotOptimize(data.Recordset().RecordCount());
    }
}

// Opening the registration window: the count of registered players.
void RegistrationCount(benchmark::State& state) {
    const QString& path = halfSeated(state).path;
    db::DataControl data;
    for (auto _ : state)
        benchmark::DoNotOptimize(registration::registrationCount(data, path));
}

// One field of every player in each of 7 rounds, by Edit and Update, in one transaction.
// Last of the engine's cases: it places everybody, which the reads above depend on.
void EditUpdateEveryPlayerSevenTimes(benchmark::State& state) {
    const Tournament& t = halfSeated(state);
    db::DataControl data;
    data.DatabaseName = t.path;
    data.RecordSource = QStringLiteral("Select * from Inscriptions order by CodeIndividuel");
    int pass = 0;
    for (auto _ : state) {
        ++pass;
        db::Transaction all(data.Database());
        for (int round = 1; round <= 7; ++round) {
            data.Refresh();
            db::RecordSet& rs = data.Recordset();
            const QString field = db::roundField(round);
            for (int i = 0; !rs.Eof(); ++i) {
                rs.Edit();
                rs.Fields(field).setValue(db::tableCode(round, (i + pass) % (t.players / 4) + 1));
                rs.Update();
                rs.MoveNext();
            }
        }
        all.commit();
    }
    state.SetItemsProcessed(state.iterations() * 7 * t.players);
}

// One "Valider" of the registration window, stored to disk before it returns.
void RegisterOnePlayer(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Registering);
    db::DataControl data;
    for (auto _ : state) {
        registration::storePlayer(data, t.path, registration::nextPlayerNumber(data, t.path),
                                  QStringLiteral("NOUVEAU"), QStringLiteral("Joueur"));
        // The file keeps its size from one press to the next.
        state.PauseTiming();
        t.main->executeNative(QStringLiteral("DELETE FROM Inscriptions WHERE CodeIndividuel > ?1"),
                              {t.players});
        state.ResumeTiming();
    }
}

} // namespace

void registerEngine() {
    for (const auto& [name, function] :
         std::initializer_list<std::pair<const char*, void (*)(benchmark::State&)>>{
             {"RefreshAllPlayers", RefreshAllPlayers},
             {"NameLookup", NameLookup},
             {"CandidatePick", CandidatePick},
             {"UnseatedByName", UnseatedByName},
             {"SortAllNamesInFrench", SortAllNamesInFrench},
             {"RegistrationCount", RegistrationCount},
             {"EditUpdateEveryPlayerSevenTimes", EditUpdateEveryPlayerSevenTimes},
             {"RegisterOnePlayer", RegisterOnePlayer},
         })
        benchmark::RegisterBenchmark(name, function)->Apply(playerSizes);
}

} // namespace bench
