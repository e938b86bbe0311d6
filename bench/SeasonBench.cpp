// The club's season: the evening kept by the reset at the largest size, the season's ranking
// printed over a season of 50 evenings of 100 players, and one key typed in the registration's
// surname with 5 000 known players.

#include "Bench.h"
#include "db/DataControl.h"
#include "db/Schema.h"
#include "db/Season.h"
#include "db/Transaction.h"
#include "registration/Inscriptions.h"
#include "reports/PainterSurface.h"
#include "reports/SeasonRanking.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QDir>
#include <QListWidget>
#include <random>

namespace bench {
namespace {

// A file of its own, a season in it: `players` known players in every one of `evenings`
// evenings, a week apart from 1 September 2026.
struct SeasonFile {
    QTemporaryDir dir;
    std::shared_ptr<db::Connection> main;
    QString directory() const { return dir.path() + u'/'; }

    SeasonFile(int players, int evenings) {
        const QString path = db::databasePath(directory());
        db::createDatabase(path, QString::fromUtf16(db::kPassword));
        main = db::OpenDatabase(path, false, false, QString::fromUtf16(db::kConnect));
        std::mt19937 random(31);
        const char* const syllables[] = {"BA",  "DU",  "MAR", "LE",  "RO",  "PE",  "TI", "GAU",
                                         "CHE", "VIL", "NO",  "SAN", "BER", "FON", "LA", "MI"};
        db::Transaction filling(*main);
        QList<db::NewPlayer> known;
        for (int p = 1; p <= players; ++p) {
            QString nom;
            for (int s = 0; s < 3; ++s)
                nom += QLatin1String(syllables[random() % 16]);
            known.append({nom + QString::number(p), QStringLiteral("Prénom")});
        }
        db::importPlayers(*main, known, QDateTime(QDate(2026, 9, 1), QTime(20, 0)));
        for (int e = 1; e <= evenings; ++e) {
            main->executeNative(QStringLiteral("INSERT INTO Soirees VALUES (?1, ?2, ?3, 5, ?4)"),
                                {e, QDate(2026, 9, 1).addDays(7 * (e - 1)).toString(Qt::ISODate),
                                 QStringLiteral("2026-09-01 23:00:00"), players});
            for (int p = 1; p <= players; ++p)
                main->executeNative(
                    QStringLiteral("INSERT INTO SoireesJoueurs (Soiree, Joueur, CodeIndividuel, "
                                   "Total) VALUES (?1, ?2, ?2, ?3)"),
                    {e, p, int(random() % 401) - 200});
        }
        filling.commit();
    }
};

// The reset's keeping of the evening at 3996 players over 7 rounds, in its own transaction:
// the standings read, the evening and its rows written, each player found among the known
// ones (all of them known from the second run on, as a club's regulars are).
void KeepEvening(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Played);
    for (auto _ : state) {
        db::Transaction keeping(*t.main);
        if (!db::keepEvening(*t.main, QDateTime::currentDateTime()))
            state.SkipWithError("no evening was kept");
        keeping.commit();
        state.PauseTiming();
        t.main->executeNative(QStringLiteral("DELETE FROM Soirees"));
        t.main->executeNative(QStringLiteral("DELETE FROM SoireesJoueurs"));
        state.ResumeTiming();
    }
}

// The season's ranking printed to PDF over 50 evenings of 100 players.
void SeasonRankingToPdf(benchmark::State& state) {
    static SeasonFile season(100, 50);
    NoWindow shell;
    shell.directory = season.directory();
    const QString folder = shell.directory + QStringLiteral("Impressions");
    for (auto _ : state) {
        db::DataControl DataEditions;
        ui::MessageBox::Script script;
        reports::PainterSurface Printer(folder);
        reports::SeasonRanking(shell, DataEditions, QDate(2026, 9, 1), QDate(2027, 8, 31), Printer)
            .print();
        if (Printer.files().size() != 1 || !script.shown().isEmpty())
            state.SkipWithError("the season's ranking was not printed");
        state.PauseTiming();
        QDir(folder).removeRecursively();
        state.ResumeTiming();
    }
}

// One key typed in the registration's surname field with 5 000 known players: the players
// found by the beginning typed and the list shown, one prefix after another as a name is typed.
void SuggestionsPerKey(benchmark::State& state) {
    static SeasonFile season(5000, 0);
    NoWindow shell;
    shell.directory = season.directory();
    registration::Inscriptions window(shell, nullptr);
    const QStringList typed = {QStringLiteral("M"),     QStringLiteral("MA"),
                               QStringLiteral("MAR"),   QStringLiteral("MARB"),
                               QStringLiteral("MARBA"), QStringLiteral("D"),
                               QStringLiteral("DU"),    QStringLiteral("DUL")};
    qsizetype k = 0;
    int shown = 0;
    for (auto _ : state) {
        window.SaisieNom->setText(typed[k++ % typed.size()]);
        window.SaisieNom_Change();
        shown = window.Suggestions->count();
    }
    state.counters["shown"] = shown;
}

} // namespace

void registerSeason() {
    benchmark::RegisterBenchmark("KeepEvening", KeepEvening)
        ->Args({3996, 7})
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SeasonRankingToPdf", SeasonRankingToPdf)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SuggestionsPerKey", SuggestionsPerKey)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

} // namespace bench
