// What the draw costs the organiser, from the press on "Valider" to the last byte stored, on its
// own and through the draw window with its progress bar; and before it the floor, the least the
// same rows ask of the same file: (a) one UPDATE per field over the whole table, (b) each row
// written once by one prepared statement. Both in one transaction, straight on the connection.

#include "Bench.h"
#include "db/DataControl.h"
#include "db/Tournament.h"
#include "draw/Evening.h"
#include "draw/RandomSource.h"
#include "draw/Tirage.h"
#include "ui/MessageBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>

namespace bench {
namespace {

// Kilobytes of a line of /proc/self/status, 0 where there is none.
double statusKb(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble();
    return 0;
}

// Starts the peak resident size again from the present one.
void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void drawn(benchmark::State& state, bool avoidRepeats) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Registered);
    db::DataControl DataTirage;
    draw::RandomSource random;
    NoWindow window;
    ui::MessageBox::Script script; // "Yes" to drawing again, from the second press on
    resetPeakMemory();
    for (auto _ : state) {
        script.answer(ui::MessageBox::Answer::Yes);
        if (draw::TableDraw(DataTirage, t.path, random, window).run(t.players, avoidRepeats) !=
            draw::TableDraw::Outcome::Drawn)
            state.SkipWithError("the draw did not complete");
    }
    state.counters["repaints"] =
        benchmark::Counter(window.repaints, benchmark::Counter::kAvgIterations);
    // The whole program's, its libraries and the other cases' files included.
    state.counters["peak_MB"] = statusKb("VmHWM") / 1024;
}

// The same draw as the organiser starts it: Space on the focused "Valider" of a real draw
// window, its progress bar painted as it goes, until the last row is stored.
void DrawInWindow(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Registered);
    NoWindow shell;
    shell.directory = t.programDirectory();
    auto* window = new draw::Tirage(shell, nullptr);
    if (!window->start()) {
        state.SkipWithError("the draw window did not open");
        return;
    }
    ui::MessageBox::Script script;
    for (auto _ : state) {
        state.PauseTiming();
        window->Valider->setEnabled(true);
        window->Valider->setFocus();
        script.answer(ui::MessageBox::Answer::Yes);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QCoreApplication::sendEvent(window->Valider, &press);
        QCoreApplication::sendEvent(window->Valider, &release);
        if (window->Valider->isEnabled())
            state.SkipWithError("the draw did not run");
    }
    window->close();
    delete window;
}

void Draw(benchmark::State& state) {
    drawn(state, false);
}

// The same with the choice to avoid repeated meetings: the seats as before, then the rotation.
void DrawNoRepeat(benchmark::State& state) {
    drawn(state, true);
}

// "Refaire les manches à venir" after round 1, a player gone: rounds 2 to 7 planned for the
// players left, at tables of four and five with repeats avoided, and written in one transaction.
void RedrawComingRounds(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Evening);
    draw::RandomSource random;
    for (auto _ : state) {
        const draw::Redraw redraw = draw::planRedraw(*t.main, 2, random);
        if (redraw.refusal || draw::writeRedraw(*t.main, redraw))
            state.SkipWithError("the coming rounds were not drawn");
        state.counters["repeats"] = redraw.repeats;
    }
}

int tables(const Tournament& t) {
    return t.players / 4;
}

void DrawFloorSetBased(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Registered);
    int pass = 0;
    for (auto _ : state) {
        ++pass;
        const QString seat = QStringLiteral("(1 + (CodeIndividuel + %1) % 4)").arg(pass);
        t.main->executeNative(QStringLiteral("BEGIN"));
        t.main->executeNative(QStringLiteral("UPDATE Inscriptions SET Position = ") + seat);
        t.main->executeNative(
            QStringLiteral("UPDATE Inscriptions SET Position2 = CASE %1 WHEN 1 THEN 'Nord' WHEN 2 "
                           "THEN 'Est' WHEN 3 THEN 'Sud' ELSE 'Ouest' END")
                .arg(seat));
        for (int k = 1; k <= 7; ++k) {
            const QString field = db::roundField(k);
            if (k <= t.rounds)
                t.main->executeNative(
                    QStringLiteral("UPDATE Inscriptions SET %1 = ?1 + (CodeIndividuel + ?2) % ?3")
                        .arg(field),
                    {db::tableCode(k, 1), k + pass, tables(t)});
            else
                t.main->executeNative(QStringLiteral("UPDATE Inscriptions SET %1 = 0").arg(field));
        }
        t.main->executeNative(QStringLiteral("DELETE FROM Resultats"));
        t.main->executeNative(QStringLiteral("COMMIT"));
    }
}

void DrawFloorPerRow(benchmark::State& state) {
    Tournament& t = tournament(playersOf(state), roundsOf(state), Stage::Registered);
    int pass = 0;
    for (auto _ : state) {
        ++pass;
        t.main->executeNative(QStringLiteral("BEGIN"));
        auto write = t.main->prepare(QStringLiteral(
            "UPDATE Inscriptions SET Position = ?1, Position2 = ?2, CodeEquipe01 = ?3, "
            "CodeEquipe02 = ?4, CodeEquipe03 = ?5, CodeEquipe04 = ?6, CodeEquipe05 = ?7, "
            "CodeEquipe06 = ?8, CodeEquipe07 = ?9 WHERE rowid = ?10"));
        for (int i = 1; i <= t.players; ++i) {
            const int seat = 1 + (i + pass) % 4;
            write->bind(1, seat);
            write->bind(2, db::seatName(seat));
            for (int k = 1; k <= 7; ++k)
                write->bind(2 + k,
                            k <= t.rounds ? db::tableCode(k, 1 + (i + k + pass) % tables(t)) : 0);
            write->bind(10, i);
            write->step();
            write->reset();
        }
        write.reset();
        t.main->executeNative(QStringLiteral("DELETE FROM Resultats"));
        t.main->executeNative(QStringLiteral("COMMIT"));
    }
}

} // namespace

void registerDraw() {
    // The floors first: the draw's line is printed beside the smaller of them.
    benchmark::RegisterBenchmark("DrawFloorSetBased", DrawFloorSetBased)->Apply(sizes);
    benchmark::RegisterBenchmark("DrawFloorPerRow", DrawFloorPerRow)->Apply(sizes);
    benchmark::RegisterBenchmark("Draw", Draw)->Apply(sizes);
    benchmark::RegisterBenchmark("DrawNoRepeat", DrawNoRepeat)->Apply(sizes);
    benchmark::RegisterBenchmark("DrawInWindow", DrawInWindow)->Apply(sizes);
    benchmark::RegisterBenchmark("RedrawComingRounds", RedrawComingRounds)->Apply(sizes);
}

} // namespace bench
