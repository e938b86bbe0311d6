#include "draw/NoRepeat.h"
#include "draw/RandomSource.h"
#include "support/Quiet.h"
#include "support/TestMain.h"

#include <QtTest>
#include <algorithm>
#include <map>
#include <numeric>

using draw::RoundTables;

namespace {

draw::RandomSource seeded(quint64 seed) {
    draw::RandomSource random([seed] { return seed; });
    random.reseed();
    return random;
}

// Rounds written as "01 01 10 10": for each seat, the table of each of its players.
QList<RoundTables> written(const QStringList& rounds) {
    QList<RoundTables> schedule;
    for (const QString& round : rounds) {
        const QStringList seats = round.split(u' ');
        RoundTables tables;
        for (int s = 0; s < 4; ++s)
            for (const QChar table : seats.at(s))
                tables[s].append(table.digitValue());
        schedule.append(tables);
    }
    return schedule;
}

} // namespace

class TestNoRepeat : public QObject {
    Q_OBJECT
private slots:
    void countsEachPairOnce_data();
    void countsEachPairOnce();
    void everySizeHasOneOfEachSeatPerTable_data();
    void everySizeHasOneOfEachSeatPerTable();
    void sixRoundsOfSixTablesMeetAtMostTwice();
    void drawIsFairAndReproducible();
};

void TestNoRepeat::countsEachPairOnce_data() {
    QTest::addColumn<QStringList>("rounds");
    QTest::addColumn<int>("repeats");
    QTest::newRow("one table, three rounds: six pairs, each counted once")
        << QStringList{"0 0 0 0", "0 0 0 0", "0 0 0 0"} << 6;
    QTest::newRow("two tables, the same round twice")
        << QStringList{"01 01 01 01", "10 10 10 10"} << 12;
    QTest::newRow("two tables, two seats change tables")
        << QStringList{"01 01 01 01", "01 01 10 10"} << 4;
    QTest::newRow("four tables, each seat moved on by its number")
        << QStringList{"0123 0123 0123 0123", "0123 1230 2301 3012"} << 0;
}

void TestNoRepeat::countsEachPairOnce() {
    QFETCH(QStringList, rounds);
    QFETCH(int, repeats);
    QCOMPARE(draw::countRepeats(written(rounds)), repeats);
}

void TestNoRepeat::everySizeHasOneOfEachSeatPerTable_data() {
    QTest::addColumn<int>("tables");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("repeats");
    for (int tables = 1; tables <= 40; ++tables) {
        for (int rounds = 1; rounds <= 7; ++rounds) {
            // Where repeats cannot be avoided, the fewest there can be, but for six rounds of
            // six tables.
            int repeats = 0;
            if (rounds > tables) // everyone meets again someone of each other seat
                repeats = 6 * tables;
            else if (tables == 2 && rounds == 2) // two pairs of round 1 at each table of round 2
                repeats = 4;
            else if (tables == 3 && rounds >= 2) // one pair of round 1 at each table of round 2
                repeats = 3;
            // None would take three orthogonal Latin squares of order 6, which do not exist; 12
            // is the fewest the search finds, though 6 can be done.
            else if (tables == 6 && rounds == 6)
                repeats = 12;
            QTest::addRow("%d tables, %d rounds", tables, rounds) << tables << rounds << repeats;
        }
    }
    QTest::newRow("999 tables, 7 rounds") << 999 << 7 << 0;
}

void TestNoRepeat::everySizeHasOneOfEachSeatPerTable() {
    QFETCH(int, tables);
    QFETCH(int, rounds);
    QFETCH(int, repeats);
    draw::RandomSource random = seeded(tables * 10 + rounds);
    const QList<RoundTables> schedule = draw::noRepeatTables(tables, rounds, random);
    QCOMPARE(schedule.size(), rounds);
    QList<int> each(tables);
    std::iota(each.begin(), each.end(), 0);
    for (const RoundTables& round : schedule) {
        for (QList<int> seat : round) {
            std::sort(seat.begin(), seat.end());
            QCOMPARE(seat, each); // every player seated, one of the seat at each table
        }
    }
    QCOMPARE(draw::countRepeats(schedule), repeats);
}

void TestNoRepeat::sixRoundsOfSixTablesMeetAtMostTwice() {
    // A pair meeting three times or more would be counted again in every two of its rounds.
    for (const quint64 seed : {1u, 2u, 3u, 4u}) {
        draw::RandomSource random = seeded(seed);
        const QList<RoundTables> schedule = draw::noRepeatTables(6, 6, random);
        int inTwoRounds = 0;
        for (int r = 0; r < 6; ++r)
            for (int later = r + 1; later < 6; ++later)
                inTwoRounds += draw::countRepeats({schedule[r], schedule[later]});
        QCOMPARE(draw::countRepeats(schedule), 12);
        QCOMPARE(inTwoRounds, 12);
    }
}

void TestNoRepeat::drawIsFairAndReproducible() {
    draw::RandomSource random = seeded(11);
    // The Est player the first Nord player meets in a round.
    const auto partner = [](const QList<RoundTables>& schedule, int round) {
        return schedule[round][1].indexOf(schedule[round][0][0]);
    };
    // Four tables, two rounds: the tables of the first Nord player and the Est players he
    // meets. Four tables, five rounds: the two rounds in which he meets the same one.
    std::map<QString, int> tables, partners, metAgain;
    constexpr int kDraws = 4000;
    for (int i = 0; i < kDraws; ++i) {
        const QList<RoundTables> two = draw::noRepeatTables(4, 2, random);
        ++tables[QStringLiteral("%1-%2").arg(two[0][0][0]).arg(two[1][0][0])];
        ++partners[QStringLiteral("%1-%2").arg(partner(two, 0)).arg(partner(two, 1))];
        const QList<RoundTables> five = draw::noRepeatTables(4, 5, random);
        for (int r = 0; r < 5; ++r)
            for (int later = r + 1; later < 5; ++later)
                if (partner(five, r) == partner(five, later))
                    ++metAgain[QStringLiteral("%1-%2").arg(r).arg(later)];
    }
    // 16, 12 (never the same Est player twice) and 10 cells: 15, 11 and 9 degrees of freedom,
    // bounds a fair draw passes 9 999 times in 10 000.
    const double tableFit = chiSquare(tables, 16, kDraws);
    const double partnerFit = chiSquare(partners, 12, kDraws);
    const double againFit = chiSquare(metAgain, 10, kDraws);
    QVERIFY2(tableFit < 44 && partnerFit < 37 && againFit < 34,
             qPrintable(QStringLiteral("%1 %2 %3").arg(tableFit).arg(partnerFit).arg(againFit)));

    // The same values give the same draw; the source moves on, and the next draw differs.
    draw::RandomSource source = seeded(5);
    draw::RandomSource twin = seeded(5);
    const QList<RoundTables> first = draw::noRepeatTables(12, 7, source);
    QVERIFY(draw::noRepeatTables(12, 7, twin) == first);
    QVERIFY(draw::noRepeatTables(12, 7, twin) != first);
}

VELMORA_TEST_GUILESS_MAIN(TestNoRepeat)
#include "tst_norepeat.moc"
