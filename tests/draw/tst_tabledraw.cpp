#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Departures.h"
#include "db/Tournament.h"
#include "draw/Evening.h"
#include "draw/RandomSource.h"
#include "draw/TableDraw.h"
#include "reports/TableList.h"
#include "results/Scores.h"
#include "support/FakeShell.h"
#include "support/Quiet.h"
#include "support/RecordingSurface.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QtTest>
#include <algorithm>
#include <map>
#include <numeric>
#include <set>

using draw::TableDraw;
using ui::MessageBox;

namespace {

// The draw window as the draw drives it.
struct Controls : draw::DrawControls {
    QList<std::pair<bool, bool>> buttons;
    int maximum = -1;
    QList<int> values;
    bool visible = false;
    void setButtons(bool v, bool q) override { buttons.append({v, q}); }
    void showProgress(int max) override {
        maximum = max;
        values = {0};
        visible = true;
    }
    void setProgress(int value) override { values.append(value); }
    void hideProgress() override { visible = false; }
};

draw::RandomSource seeded(quint64 seed) {
    return draw::RandomSource([seed] { return seed; });
}

// Surnames in registration order, or in the reverse of it.
QString surname(int number, bool reversed) {
    return QStringLiteral("NOM%1").arg(reversed ? 1000 - number : number, 4, 10, QLatin1Char('0'));
}

// One player as stored.
struct Row {
    int number, position;
    QString position2;
    std::array<int, 7> codes;
    bool operator==(const Row&) const = default;
};

// A tournament of n players and a number of rounds, with a score stored, and its draw.
struct Tournament {
    TestDatabase base;
    Controls controls;
    db::DataControl DataTirage;
    draw::RandomSource random = seeded(7);

    Tournament(int players, QVariant rounds = 3, bool reversed = false) {
        for (int i = 1; i <= players; ++i)
            base.addPlayer(i, surname(i, reversed), QStringLiteral("Prénom"));
        base.connection().executeNative(QStringLiteral("UPDATE Parametres SET Manches = ?1"),
                                        {rounds});
        base.connection().executeNative(QStringLiteral(
            "INSERT INTO Resultats (CodeIndividuel, Manche, Points) VALUES (1, 1, 5)"));
    }
    TableDraw::Outcome run(int participants, bool avoidRepeats = false) {
        TableDraw draw(DataTirage, base.path(), random, controls);
        const TableDraw::Outcome outcome = draw.run(participants, avoidRepeats);
        summary = draw.summary();
        return outcome;
    }
    TableDraw::Outcome run(bool avoidRepeats = false) {
        return run(db::participants(rows().size()), avoidRepeats);
    }
    // The rows as the draw's placements, to count who meets whom.
    QList<draw::Placement> placements() {
        QList<draw::Placement> placed;
        for (const Row& r : rows())
            placed.append({0, r.number, r.position, r.codes});
        return placed;
    }
    draw::DrawSummary summary;
    QList<Row> rows() {
        QList<Row> all;
        auto stmt = base.connection().prepare(QStringLiteral(
            "SELECT CodeIndividuel, Position, Position2, CodeEquipe01, CodeEquipe02, CodeEquipe03, "
            "CodeEquipe04, CodeEquipe05, CodeEquipe06, CodeEquipe07 FROM Inscriptions ORDER BY "
            "CodeIndividuel"));
        while (stmt->step()) {
            Row r{stmt->column(0).toInt(), stmt->column(1).toInt(), stmt->column(2).toString(), {}};
            for (int k = 0; k < 7; ++k)
                r.codes[k] = stmt->column(3 + k).toInt();
            all.append(r);
        }
        return all;
    }
    int results() { return base.scalar(QStringLiteral("SELECT count(*) FROM Resultats")).toInt(); }
};

// The draw walked step by step as the organiser's manual tells it, one query and one
// update at a time, with the players numbered above P left out of the seat queries.
void stepByStep(const TestDatabase& base, int P, int R, draw::RandomSource& random) {
    db::DataControl data;
    const auto seat = [&random] { return 1 + static_cast<int>(4 * random.next()); };
    for (int group = 0; group < P / 4; ++group) {
        random.reseed();
        const int a = seat();
        int b, c, d;
        do
            b = seat();
        while (b == a);
        do
            c = seat();
        while (c == a || c == b);
        do
            d = seat();
        while (d == a || d == b || d == c);
        refreshed(data, base,
                  QStringLiteral("Select * from Inscriptions where Position = 0 and "
                                 "CodeIndividuel < %1 order by NOM")
                      .arg(P + 1));
        db::RecordSet& rs = data.Recordset();
        const int seats[] = {a, b, c, d};
        for (int i = 0; i < 4; ++i) {
            rs.Edit();
            rs.Fields(QStringLiteral("POSITION")).setValue(seats[i]);
            rs.Fields(QStringLiteral("POSITION2")).setValue(db::seatName(seats[i]));
            rs.Update();
            if (i < 3)
                rs.MoveNext();
        }
    }
    for (int k = 1; k <= R; ++k) {
        for (int s = 1; s <= 4; ++s) {
            const QString query = QStringLiteral("Select * from Inscriptions where CodeIndividuel "
                                                 "< %1 and Position = %2 and CodeEquipe0%3 = 0 "
                                                 "order by CodeIndividuel")
                                      .arg(P + 1)
                                      .arg(s)
                                      .arg(k);
            for (int t = 1; t <= P / 4; ++t) {
                refreshed(data, base, query);
                db::RecordSet& rs = data.Recordset();
                rs.MoveLast();
                const int n = rs.RecordCount();
                rs.MoveFirst();
                random.reseed();
                const int r = 1 + static_cast<int>(n * random.next());
                for (int i = 1; i < r; ++i)
                    rs.MoveNext();
                rs.Edit();
                rs.Fields(db::roundField(k).toUpper()).setValue(db::tableCode(k, t));
                rs.Update();
            }
        }
    }
    data.Database().Execute(QStringLiteral("DELETE * from Resultats"));
    data.Database().Close();
}

// What is wrong with the seating of rounds `from` to `rounds`, empty when nothing: every table
// of a round holds one player of each seat 1 to 4, the last `fives` a fifth one as well, the
// tables are numbered from 1 on, and `seated` players have a table in each round.
QString seatingFault(const QList<draw::Placement>& placed, int from, int rounds, int seated,
                     int fives) {
    for (int k = from; k <= rounds; ++k) {
        std::map<int, std::set<int>> tables; // by table number, the seats there
        int count = 0;
        for (const draw::Placement& p : placed) {
            const int code = p.codes[k - 1];
            if (!code)
                continue;
            ++count;
            if (code / 1000 != k || !tables[code % 1000].insert(p.seat).second)
                return QStringLiteral("round %1: n° %2 at %3").arg(k).arg(p.number).arg(code);
        }
        const int T = static_cast<int>(tables.size());
        if (count != seated || T != seated / 4 || tables.rbegin()->first != T)
            return QStringLiteral("round %1: %2 seated at %3 tables").arg(k).arg(count).arg(T);
        for (const auto& [table, seats] : tables) {
            const bool five = table > T - fives;
            if (seats != (five ? std::set<int>{1, 2, 3, 4, 5} : std::set<int>{1, 2, 3, 4}))
                return QStringLiteral("round %1: table %2").arg(k).arg(table);
        }
    }
    for (const draw::Placement& p : placed)
        for (int k = rounds + 1; k <= 7; ++k)
            if (p.codes[k - 1])
                return QStringLiteral("n° %1 seated in round %2").arg(p.number).arg(k);
    return {};
}

} // namespace

class TestTableDraw : public QObject {
    Q_OBJECT
private slots:
    void everyTableHoldsOneOfEachSeat_data();
    void everyTableHoldsOneOfEachSeat();
    void sameRowsAsTheStepsOneByOne_data();
    void sameRowsAsTheStepsOneByOne();
    void randomSourceIsFairAndMovesOn();
    void previousDraw_data();
    void previousDraw();
    void guardsRefuseBeforeWriting_data();
    void guardsRefuseBeforeWriting();
    void failureKeepsThePreviousDraw_data();
    void failureKeepsThePreviousDraw();
    void standardClientReadsTheDraw();
    void aNoRepeatDrawIsKeptAndServesTheRest();
    void tablesOfFiveSeatEveryone_data();
    void tablesOfFiveSeatEveryone();
    void comingRoundsRedrawnAroundWhatWasPlayed_data();
    void comingRoundsRedrawnAroundWhatWasPlayed();
    void comingRoundsRefusedWithNothingWritten_data();
    void comingRoundsRefusedWithNothingWritten();
};

void TestTableDraw::everyTableHoldsOneOfEachSeat_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<bool>("reversed");
    QTest::addColumn<int>(
        "repeats"); // avoiding repeats: the count left; -1 for the plain random draw
    const std::pair<int, int> sizes[] = {{4, 1}, {8, 3}, {12, 7}, {52, 3}, {104, 7}};
    for (const auto& [players, rounds] : sizes)
        QTest::addRow("%d players, %d rounds", players, rounds) << players << rounds << false << -1;
    QTest::newRow("7 players: the last sits out") << 7 << 3 << false << -1;
    QTest::newRow("9 players: the last sits out") << 9 << 2 << false << -1;
    QTest::newRow("18 players, the last two first by name") << 18 << 3 << true << -1;
    QTest::newRow("no repeat: 18 players, the last two first by name") << 18 << 3 << true << 0;
    QTest::newRow("no repeat: 64 players, 5 rounds") << 64 << 5 << false << 0;
    QTest::newRow("no repeat: 104 players, 7 rounds") << 104 << 7 << false << 0;
    // More rounds than tables: some must meet again, as few as can be.
    QTest::newRow("no repeat: 12 players, 7 rounds") << 12 << 7 << false << 18;
}

void TestTableDraw::everyTableHoldsOneOfEachSeat() {
    QFETCH(int, players);
    QFETCH(int, rounds);
    QFETCH(bool, reversed);
    QFETCH(int, repeats);
    Tournament t(players, rounds, reversed);
    MessageBox::Script script;
    const int P = db::participants(players);
    QCOMPARE(t.run(repeats >= 0), TableDraw::Outcome::Drawn);
    QCOMPARE(t.summary.repeats, draw::repeatedPairs(t.placements()));
    if (repeats >= 0)
        QCOMPARE(t.summary.repeats, repeats);
    QCOMPARE(int(t.summary.sittingOut.size()), players - P);
    QVERIFY(script.shown().isEmpty());
    QCOMPARE(t.results(), 0);
    QCOMPARE(t.controls.buttons, (QList<std::pair<bool, bool>>{{false, false}, {false, true}}));
    QCOMPARE(t.controls.maximum, rounds * P);
    QCOMPARE(t.controls.values.last(), rounds * P);
    QVERIFY(std::is_sorted(t.controls.values.begin(), t.controls.values.end()));
    QVERIFY(t.controls.values.size() <= 102);
    QVERIFY(!t.controls.visible);

    std::map<int, int> perSeat;
    std::set<std::pair<int, int>> seatAtTable; // (table code, seat)
    for (const Row& r : t.rows()) {
        if (r.number > P) { // sits out
            QCOMPARE(r.position, 0);
            QCOMPARE(r.codes, (std::array<int, 7>{}));
            continue;
        }
        QVERIFY2(r.position >= 1 && r.position <= 4, qPrintable(QString::number(r.number)));
        QCOMPARE(r.position2, db::seatName(r.position));
        ++perSeat[r.position];
        for (int k = 1; k <= 7; ++k) {
            const int code = r.codes[k - 1];
            if (k > rounds) {
                QCOMPARE(code, 0);
                continue;
            }
            QVERIFY(code > 1000 * k && code <= 1000 * k + P / 4);
            QVERIFY2(seatAtTable.insert({code, r.position}).second, "two of one seat at a table");
        }
    }
    QCOMPARE(perSeat, (std::map<int, int>{{1, P / 4}, {2, P / 4}, {3, P / 4}, {4, P / 4}}));
    QCOMPARE(int(seatAtTable.size()), rounds * P);
}

void TestTableDraw::sameRowsAsTheStepsOneByOne_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<bool>("reversed");
    QTest::newRow("4 players, 2 rounds") << 4 << 2 << false;
    QTest::newRow("12 players, 3 rounds, names reversed") << 12 << 3 << true;
    QTest::newRow("20 players, 7 rounds") << 20 << 7 << false;
    QTest::newRow("23 players, 4 rounds, names reversed") << 23 << 4 << true;
}

void TestTableDraw::sameRowsAsTheStepsOneByOne() {
    QFETCH(int, players);
    QFETCH(int, rounds);
    QFETCH(bool, reversed);
    const int P = db::participants(players);
    for (quint64 seed : {1u, 2u, 3u}) {
        Tournament fast(players, rounds, reversed);
        fast.random = seeded(seed);
        QCOMPARE(fast.run(), TableDraw::Outcome::Drawn);
        Tournament slow(players, rounds, reversed);
        draw::RandomSource random = seeded(seed);
        stepByStep(slow.base, P, rounds, random);
        QCOMPARE(fast.rows(), slow.rows());
        // And the source was used exactly as far in both.
        QCOMPARE(fast.random.next(), random.next());
    }
}

void TestTableDraw::randomSourceIsFairAndMovesOn() {
    draw::RandomSource random = seeded(11);
    // Re-seeded twice in one tick of the clock, the source goes on, never back.
    random.reseed();
    const double first = random.next();
    random.reseed();
    QVERIFY(random.next() != first);
    // 4 players: the order of the four seats; 12 players, 1 round: each one's table.
    std::map<QString, int> orders, tables;
    constexpr int kDraws = 12000;
    for (int i = 0; i < kDraws; ++i) {
        for (int players : {4, 12}) {
            QList<draw::Placement> group(players);
            for (int p = 0; p < players; ++p)
                group[p].number = p + 1;
            QString order;
            for (const draw::Placement& p : draw::drawPlacements(group, 1, random)) {
                order += QString::number(p.seat);
                if (players == 12)
                    ++tables[QStringLiteral("%1@%2").arg(p.number).arg(p.codes[0])];
            }
            if (players == 4)
                ++orders[order];
        }
    }
    // 23 and 35 degrees of freedom: a fair source passes these bounds 9 999 times in 10 000.
    const double seatFit = chiSquare(orders, 24, kDraws);
    const double tableFit = chiSquare(tables, 36, 12 * kDraws);
    QVERIFY2(seatFit < 57 && tableFit < 74,
             qPrintable(QStringLiteral("%1 %2").arg(seatFit).arg(tableFit)));
}

void TestTableDraw::previousDraw_data() {
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("late"); // a player registered since, first by name
    QTest::newRow("first draw: no question") << false << -1 << false;
    QTest::newRow("previous draw kept") << true << int(MessageBox::Answer::No) << false;
    QTest::newRow("previous draw replaced") << true << int(MessageBox::Answer::Yes) << false;
    QTest::newRow("a late registrant first by name: still asked")
        << true << int(MessageBox::Answer::Yes) << true;
}

void TestTableDraw::previousDraw() {
    QFETCH(bool, drawn);
    QFETCH(int, answer);
    QFETCH(bool, late);
    Tournament t(9, 2);
    if (drawn) // a draw of more rounds than now, the ninth player placed
        t.base.connection().executeNative(QStringLiteral(
            "UPDATE Inscriptions SET Position = 1 + CodeIndividuel % 4, Position2 = 'x', "
            "CodeEquipe01 = 1001, CodeEquipe07 = 7001"));
    if (late)
        t.base.addPlayer(10, QStringLiteral("AAAA"), QStringLiteral("Zoé"));
    const QList<Row> before = t.rows();
    MessageBox::Script script;
    if (answer >= 0)
        script.answer(MessageBox::Answer(answer));
    const TableDraw::Outcome outcome = t.run();
    if (!drawn) {
        QVERIFY(script.shown().isEmpty());
    } else {
        // Replaced, the old tables' score is kept in a copy, and the copy is told.
        QCOMPARE(script.shown().size(), answer == int(MessageBox::Answer::Yes) ? 2 : 1);
        const MessageBox::Shown& asked = script.shown().first();
        QCOMPARE(asked.icon, MessageBox::Icon::Question);
        QCOMPARE(asked.title, "Constitution des équipes");
        QCOMPARE(asked.text, "La constitution des équipes est déjà réalisée !!\n\nSouhaitez vous "
                             "annuler les équipes et recommencer ?");
        QCOMPARE(asked.buttons, MessageBox::Buttons::YesNo);
    }
    QCOMPARE(t.controls.buttons.last(), std::make_pair(false, true));
    QVERIFY(!t.DataTirage.Recordset().isOpen());
    if (answer == int(MessageBox::Answer::No)) {
        QCOMPARE(outcome, TableDraw::Outcome::Declined);
        QCOMPARE(t.rows(), before);
        QCOMPARE(t.results(), 1);
        QCOMPARE(t.controls.maximum, -1); // the bar never showed
        return;
    }
    QCOMPARE(outcome, TableDraw::Outcome::Drawn);
    QCOMPARE(t.results(), 0);
    for (const Row& r : t.rows()) {
        QCOMPARE(r.codes[6], 0); // round 7 is not played any more
        QCOMPARE(r.position == 0, r.number > 8);
        QCOMPARE(r.codes[0] == 0, r.number > 8);
    }
}

void TestTableDraw::guardsRefuseBeforeWriting_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("participants");
    QTest::addColumn<QVariant>("rounds");
    QTest::addColumn<QString>("text");
    QTest::newRow("no participant")
        << 3 << 0 << QVariant(3)
        << "Le nombre de participants est égal à zéro !!!\n\nConstitution des tables impossible !!";
    for (const int participants : {6, -4})
        QTest::addRow("%d participants", participants)
            << 8 << participants << QVariant(3)
            << QStringLiteral("Le nombre de participants (%1) doit être un multiple de 4, chaque "
                              "table réunissant quatre joueurs !!!\n\nConstitution des tables "
                              "impossible !!")
                   .arg(participants);
    QTest::newRow("table 1000")
        << 8 << 4000 << QVariant(3)
        << "Le nombre de participants (4000) dépasse 3996, le plus grand nombre que permettent "
           "les 999 tables d'une manche !!!\n\nConstitution des tables impossible !!";
    for (const QVariant& rounds : {QVariant(0), QVariant(-2), QVariant(8), QVariant(2.5)})
        QTest::addRow("%s rounds", qPrintable(rounds.toString()))
            << 8 << 8 << rounds
            << QStringLiteral("Le nombre de manches enregistré (%1) n'est pas compris entre 1 et "
                              "7 : fixez-le par le menu Paramètres, Manches et parties !!!\n\n"
                              "Constitution des tables impossible !!")
                   .arg(rounds.toString().replace(u'.', u','));
    QTest::newRow("no rounds") << 8 << 8 << QVariant()
                               << "Aucun nombre de manches n'est enregistré : fixez-le par le "
                                  "menu Paramètres, Manches et parties !!!\n\nConstitution des "
                                  "tables impossible !!";
}

void TestTableDraw::guardsRefuseBeforeWriting() {
    QFETCH(int, players);
    QFETCH(int, participants);
    QFETCH(QVariant, rounds);
    QFETCH(QString, text);
    Tournament t(players, rounds);
    const QString before = contents(t.base.connection());
    MessageBox::Script script;
    QCOMPARE(t.run(participants), TableDraw::Outcome::Refused);
    QCOMPARE(script.shown().size(), 1);
    const MessageBox::Shown& refusal = script.shown().first();
    QCOMPARE(refusal.icon, MessageBox::Icon::Critical);
    QCOMPARE(refusal.title, "Erreur");
    QCOMPARE(refusal.text, text);
    QCOMPARE(refusal.buttons, MessageBox::Buttons::Ok);
    QVERIFY(t.controls.buttons.isEmpty());
    QCOMPARE(contents(t.base.connection()), before);
    QVERIFY(!t.DataTirage.Recordset().isOpen());
}

void TestTableDraw::failureKeepsThePreviousDraw_data() {
    QTest::addColumn<QString>("trigger");
    QTest::newRow("fifth player's seat and tables")
        << "BEFORE UPDATE ON Inscriptions WHEN NEW.CodeIndividuel = 5 AND NEW.Position <> 0";
    QTest::newRow("deletion of the results") << "BEFORE DELETE ON Resultats";
}

void TestTableDraw::failureKeepsThePreviousDraw() {
    QFETCH(QString, trigger);
    Tournament t(12, 3);
    {
        MessageBox::Script script;
        QCOMPARE(t.run(), TableDraw::Outcome::Drawn);
    }
    t.base.connection().executeNative(
        QStringLiteral("INSERT INTO Resultats (CodeIndividuel, Manche, Points) VALUES (2, 1, -5)"));
    const QList<Row> before = t.rows();
    t.base.connection().executeNative(QStringLiteral("CREATE TRIGGER panne %1 BEGIN SELECT "
                                                     "RAISE(ABORT, 'disque plein'); END")
                                          .arg(trigger));
    MessageBox::Script script;
    script.answer(MessageBox::Answer::Yes);
    t.controls = {};
    QCOMPARE(t.run(), TableDraw::Outcome::Failed);
    QCOMPARE(t.rows(), before);
    QCOMPARE(t.results(), 1);
    QCOMPARE(script.shown().size(), 2);
    const MessageBox::Shown& failure = script.shown().last();
    QCOMPARE(failure.icon, MessageBox::Icon::Critical);
    QCOMPARE(failure.title, "Constitution des équipes");
    QVERIFY2(failure.text.startsWith("Le tirage n'a pas pu être enregistré : ") &&
                 failure.text.contains("Velmora.log") &&
                 failure.text.endsWith("\n\nLe tirage précédent et les résultats déjà saisis "
                                       "restent tels qu'ils étaient."),
             qPrintable(failure.text));
    QVERIFY(!t.controls.visible);
    QCOMPARE(t.controls.buttons.last(), std::make_pair(false, true));
    // Mended, the same draw goes through.
    t.base.connection().executeNative(QStringLiteral("DROP TRIGGER panne"));
    script.answer(MessageBox::Answer::Yes);
    QCOMPARE(t.run(), TableDraw::Outcome::Drawn);
    QCOMPARE(t.results(), 0);
}

void TestTableDraw::standardClientReadsTheDraw() {
    Tournament t(12, 2);
    MessageBox::Script script;
    QCOMPARE(t.run(), TableDraw::Outcome::Drawn);
    const QString printed = standardClient(
        t.base.path(),
        QStringLiteral("SELECT count(*), count(DISTINCT CodeEquipe02) FROM Inscriptions WHERE "
                       "Position BETWEEN 1 AND 4 AND CodeEquipe01 BETWEEN 1001 AND 1003;\n"
                       "UPDATE Inscriptions SET Position2 = 'Nord' WHERE Position = 1;\n"
                       "INSERT INTO Resultats (CodeIndividuel, Manche, Points) VALUES (1, 1, 0);\n"
                       "PRAGMA integrity_check;\n"));
    QCOMPARE(printed, "12|3\nok");
}

void TestTableDraw::aNoRepeatDrawIsKeptAndServesTheRest() {
    Tournament t(16, 3);
    MessageBox::Script script;
    QVERIFY(!draw::storedAvoidRepeats(t.DataTirage, t.base.path()));
    QCOMPARE(t.run(true), TableDraw::Outcome::Drawn);
    QVERIFY(draw::storedAvoidRepeats(t.DataTirage, t.base.path())); // offered again for a redraw
    // The results entry finds each table of round 2, its players in seat order, and stores it.
    db::DataControl DataResultats;
    for (int table = 1; table <= 4; ++table) {
        const QString code = QString::number(db::tableCode(2, table));
        const results::Table found = results::lookUpTable(DataResultats, t.base.path(), code);
        QCOMPARE(found.players.size(), 4);
        std::array<results::ScoreRow, results::kSeats> rows;
        for (int n = 0; n < 4; ++n)
            rows[n] = {QString::number(found.players[n].number), found.players[n].name,
                       n ? QStringLiteral("-1") : QStringLiteral("3")};
        QVERIFY(!results::storeScores(DataResultats, t.base.path(), code, rows));
    }
    // The table list names every player once in each round.
    FakeShell shell(t.base.directory());
    db::DataControl DataEditions;
    RecordingSurface paper;
    reports::TableList(shell, DataEditions, paper).print();
    QCOMPARE(paper.pages, (QList<int>{1, 1, 1}));
    QCOMPARE(paper.lines(2).filter(QRegularExpression("^1:90,\\d+ 00[1-4]$")).size(), 16);
    // Drawn again at random, the choice is kept off.
    script.answer(MessageBox::Answer::Yes);
    QCOMPARE(t.run(false), TableDraw::Outcome::Drawn);
    QVERIFY(!draw::storedAvoidRepeats(t.DataTirage, t.base.path()));
}

void TestTableDraw::tablesOfFiveSeatEveryone_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<bool>("avoidRepeats");
    for (int n = 4; n <= 40; ++n)
        QTest::addRow("%d players", n) << n << 1 + n % 7 << (n % 2 == 1);
    QTest::newRow("3996 players, repeats avoided") << 3996 << 7 << true;
    QTest::newRow("3999 players") << 3999 << 7 << false;
}

void TestTableDraw::tablesOfFiveSeatEveryone() {
    QFETCH(int, players);
    QFETCH(int, rounds);
    QFETCH(bool, avoidRepeats);
    // With 6, 7 and 11 players there are too few tables for everyone: one or two sit out.
    const int fives = std::min(players % 4, players / 4);
    const int seated = db::participants(players, true);
    QCOMPARE(seated, 4 * (players / 4) + fives);
    QList<draw::Placement> group(seated);
    for (int p = 0; p < seated; ++p)
        group[p] = {p + 1, p + 1, 0, {}};
    draw::RandomSource random = seeded(players);
    const QList<draw::Placement> placed =
        draw::drawPlacements(group, rounds, random, avoidRepeats, true);
    QCOMPARE(placed.size(), seated);
    const QString fault = seatingFault(placed, 1, rounds, seated, fives);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    // Avoiding repeats still works with fifth players: a small part of a random draw's repeats
    // are left whenever there are tables enough.
    if (avoidRepeats && rounds <= players / 4 && players >= 16) {
        draw::RandomSource again = seeded(players);
        const int atRandom =
            draw::repeatedPairs(draw::drawPlacements(group, rounds, again, false, true));
        QVERIFY2(
            5 * draw::repeatedPairs(placed) <= atRandom,
            qPrintable(QStringLiteral("%1 of %2").arg(draw::repeatedPairs(placed)).arg(atRandom)));
    }
}

namespace {

// An evening drawn with the given choices, its first `scored` rounds holding every player's
// score.
struct Evening : Tournament {
    Evening(int players, int rounds, bool fives, bool avoidRepeats, int scored)
        : Tournament(players, rounds) {
        MessageBox::Script script;
        TableDraw draw(DataTirage, base.path(), random, controls);
        if (draw.run(db::participants(players, fives), avoidRepeats, fives) !=
            TableDraw::Outcome::Drawn)
            qFatal("the evening was not drawn");
        for (int k = 1; k <= scored; ++k)
            base.connection().executeNative(
                QStringLiteral("INSERT INTO Resultats (Manche, CodeIndividuel, Points) SELECT ?1, "
                               "CodeIndividuel, 0 FROM Inscriptions WHERE %1 <> 0")
                    .arg(db::roundField(k)),
                {k});
    }
    // What a redraw from `from` must leave as it is: the tables of the rounds before, the
    // scores, the logs.
    QString kept(int from) {
        QStringList fields{QStringLiteral("CodeIndividuel")};
        for (int k = 1; k < from; ++k)
            fields.append(db::roundField(k));
        // Each kept round's tables as the results window finds them, players in seat order.
        QString tables;
        if (from > 1 && rows().size() < 100) {
            db::DataControl DataResultats;
            for (int k = 1; k < from; ++k)
                for (int t = 1;; ++t) {
                    const results::Table table = results::lookUpTable(
                        DataResultats, base.path(), QString::number(db::tableCode(k, t)));
                    if (table.refusal)
                        break;
                    for (const results::Player& p : table.players)
                        tables += QString::number(p.number) + u' ';
                    tables += u'|';
                }
        }
        return base.scalar(QStringLiteral("SELECT group_concat(%1, ',') FROM Inscriptions")
                               .arg(fields.join(QStringLiteral(" || ':' || "))))
                   .toString() +
               base.scalar(QStringLiteral("SELECT group_concat(Manche || ':' || CodeIndividuel || "
                                          "':' || Points) FROM Resultats"))
                   .toString() +
               tables;
    }
};

} // namespace

void TestTableDraw::comingRoundsRedrawnAroundWhatWasPlayed_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<bool>("fives");
    QTest::addColumn<bool>("avoidRepeats");
    QTest::addColumn<int>("scored");
    QTest::addColumn<int>("arrivals");
    QTest::addColumn<int>("gone");  // players leaving before the rounds redrawn
    QTest::addColumn<int>("added"); // rounds added before the redraw
    QTest::newRow("26 players at tables of five, one arrives after round 1")
        << 26 << 5 << true << false << 1 << 1 << 0 << 0;
    QTest::newRow("26 players, repeats avoided, two leave after round 2")
        << 26 << 5 << true << true << 2 << 0 << 2 << 0;
    QTest::newRow("tables of four, one arrives, one leaves")
        << 24 << 4 << false << true << 1 << 1 << 1 << 0;
    QTest::newRow("a fourth round added after three")
        << 16 << 3 << false << true << 3 << 0 << 0 << 1;
    QTest::newRow("nothing scored yet: every round redrawn")
        << 21 << 4 << true << true << 0 << 3 << 1 << 0;
    QTest::newRow("full size, the last 6 rounds") << 3996 << 7 << true << true << 1 << 3 << 2 << 0;
}

void TestTableDraw::comingRoundsRedrawnAroundWhatWasPlayed() {
    QFETCH(int, players);
    QFETCH(int, rounds);
    QFETCH(bool, fives);
    QFETCH(bool, avoidRepeats);
    QFETCH(int, scored);
    QFETCH(int, arrivals);
    QFETCH(int, gone);
    QFETCH(int, added);
    Evening e(players, rounds, fives, avoidRepeats, scored);
    db::Connection& connection = e.base.connection();
    for (int i = 1; i <= arrivals; ++i)
        e.base.addPlayer(players + i, QStringLiteral("RETARD%1").arg(i), QStringLiteral("Léo"));
    const int from = scored + 1;
    const auto leaves = [gone](int number) { return number % 2 == 1 && number < 2 * gone; };
    for (int n = 1; n <= gone; ++n)
        db::setDeparture(connection, 2 * n - 1, from);
    if (added)
        connection.executeNative(QStringLiteral("UPDATE Parametres SET Manches = ?1"),
                                 {rounds + added});
    rounds += added;
    const QString before = e.kept(from);
    const QList<Row> seatsBefore = e.rows();

    // A deal entered at a table of a round kept, and at one of the first round drawn again.
    for (const int round : {scored, from})
        if (round > 0)
            connection.executeNative(
                QStringLiteral("INSERT INTO Donnes (CodeEquipe, Manche, Donne) "
                               "VALUES (?1, ?2, 1)"),
                {db::tableCode(round, 1), round});

    const draw::Redraw redraw = draw::planRedraw(connection, from, e.random);
    QVERIFY(!redraw.refusal);
    QVERIFY(!draw::writeRedraw(connection, redraw));
    QCOMPARE(e.kept(from), before);
    QCOMPARE(e.base.scalar("SELECT group_concat(Manche) FROM Donnes").toString(),
             scored ? QString::number(scored) : QString());
    QVERIFY(db::drawMade(connection)); // player 1 may have left before round 1
    const QList<draw::Placement> placed = e.placements();
    const int present = players + arrivals - gone;
    const QString fault = seatingFault(placed, from, rounds, db::participants(present, fives),
                                       fives ? db::tablesOfFive(present) : 0);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QCOMPARE(int(redraw.sittingOut.size()), present - db::participants(present, fives));
    for (const draw::Placement& p : placed)
        if (leaves(p.number))
            QCOMPARE(std::accumulate(p.codes.begin() + from - 1, p.codes.end(), 0), 0);
    QCOMPARE(redraw.repeats, draw::repeatedPairs(placed));
    // The fewest change seat: those a seat holds beyond what its tables take, among the
    // players at a table from now on (the lowest numbers of those present).
    std::map<int, int> held;
    int ranked = 0;
    for (const Row& r : seatsBefore)
        if (!leaves(r.number) && ranked++ < db::participants(present, fives) && r.position > 0)
            ++held[r.position];
    int beyond = 0;
    for (const auto& [seat, count] : held)
        beyond += std::max(0, count - (seat < 5 ? db::participants(present) / 4
                                                : (fives ? db::tablesOfFive(present) : 0)));
    int changed = 0;
    for (int i = 0; i < seatsBefore.size(); ++i)
        changed += seatsBefore[i].position > 0 && placed[i].codes[from - 1] != 0 &&
                   seatsBefore[i].position != placed[i].seat;
    QCOMPARE(redraw.seatChanges, beyond);
    QCOMPARE(changed, beyond);
}

void TestTableDraw::comingRoundsRefusedWithNothingWritten_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("goneFrom");
    QTest::addColumn<bool>("scoreMeanwhile");
    QTest::addColumn<QString>("message");
    QTest::newRow("a round with scores")
        << 2 << 0 << false
        << "La manche 2 a déjà des résultats : elle ne peut pas être refaite. Les manches à venir "
           "commencent à la manche 3.";
    QTest::newRow("a departure after the first round redrawn")
        << 3 << 4 << false
        << "n° 2 NOM0002 Prénom part à partir de la manche 4 : refaites les manches à partir de "
           "la manche 4.";
    QTest::newRow("beyond the last round")
        << 5 << 0 << false
        << "Il ne reste aucune manche à refaire : la soirée compte 4 manche(s). Pour en ajouter "
           "une, augmentez le nombre de manches par le menu Paramètres, Manches et parties.";
    QTest::newRow("a table of round 3 stored meanwhile")
        << 3 << 0 << true
        << "Des résultats de la manche 3 ou d'une manche suivante viennent d'être saisis : rien "
           "n'a été changé. Regardez de nouveau les manches à venir.";
}

void TestTableDraw::comingRoundsRefusedWithNothingWritten() {
    QFETCH(int, from);
    QFETCH(int, goneFrom);
    QFETCH(bool, scoreMeanwhile);
    QFETCH(QString, message);
    Evening e(18, 4, true, true, 2);
    db::Connection& connection = e.base.connection();
    if (goneFrom)
        db::setDeparture(connection, 2, goneFrom);
    draw::Redraw redraw = draw::planRedraw(connection, from, e.random);
    if (scoreMeanwhile) {
        QVERIFY(!redraw.refusal);
        connection.executeNative(QStringLiteral(
            "INSERT INTO Resultats (Manche, CodeIndividuel, Points) VALUES (3, 1, 0)"));
    }
    const QString before = contents(connection);
    if (!redraw.refusal)
        redraw.refusal = draw::writeRedraw(connection, redraw);
    QVERIFY(redraw.refusal);
    QCOMPARE(redraw.refusal->text, message);
    QCOMPARE(contents(connection), before);
}

VELMORA_TEST_GUILESS_MAIN(TestTableDraw)
#include "tst_tabledraw.moc"
