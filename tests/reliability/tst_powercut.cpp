#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Schema.h"
#include "settings/Settings.h"
#include "support/FaultyVfs.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "support/TournamentFiles.h"
#include "support/WritingActions.h"

#include <QtTest>

// The power goes at every sync an action makes, and just after it ends: the machine then finds
// a sound file holding the whole state before the action or the whole state after it, and
// after an action that said it stored, the state after.
class TestPowerCut : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everySyncPoint_data();
    void everySyncPoint();

private:
    QByteArray m_scored;
};

void TestPowerCut::initTestCase() {
    m_scored = tournaments::build(14, 3, true);
}

void TestPowerCut::everySyncPoint_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("keepSeed"); // 0: everything written since the last sync is lost
    for (const char* action : {"draw", "scores", "reset"}) {
        QTest::addRow("%s, unsynced writes lost", action) << action << 0;
        for (int seed = 1; seed <= 3; ++seed)
            QTest::addRow("%s, unsynced pages kept at random, seed %d", action, seed)
                << action << seed;
    }
}

void TestPowerCut::everySyncPoint() {
    QFETCH(QString, action);
    QFETCH(int, keepSeed);
    const std::optional<quint64> seed = keepSeed ? std::optional<quint64>(keepSeed) : std::nullopt;
    QTemporaryDir folder;
    const QString directory = folder.path() + u'/';
    const QString path = db::databasePath(directory);
    FaultyVfs vfs;
    // The organiser's previous action is written through the same disk just before, so that
    // its journal's removal may not have reached the disk yet either.
    const auto started = [&] {
        vfs.restart();
        tournaments::putBack(m_scored, directory);
        auto main = tournaments::openAsTheProgram(directory);
        db::DataControl DataParametres;
        settings::storeSettings(DataParametres, path, 3, 11);
        return main;
    };

    auto main = started();
    vfs.disarm();
    const QString before = contents(*main);
    QVERIFY(writing::run(action, directory).stored);
    const int syncs = vfs.syncs();
    QVERIFY(syncs > 0); // the file's syncs do pass through the faulty layer
    const QString after = contents(*main);
    QVERIFY(after != before);
    main.reset();

    int keptBefore = 0;
    for (int n = 1;; ++n) {
        const QByteArray where =
            QStringLiteral("power cut at sync %1 of %2").arg(n).arg(syncs).toUtf8();
        main = started();
        vfs.cutPowerAt(n, seed);
        const writing::Outcome outcome = writing::run(action, directory);
        const bool during = vfs.struck();
        if (!during) {
            QVERIFY2(outcome.stored, qPrintable(outcome.told.join(u'\n')));
            vfs.cutPowerNow(seed);
        }
        main.reset();
        vfs.restart();
        const tournaments::Found found = tournaments::reopen(path);
        QVERIFY2(found.integrity == u"ok", where + ": " + found.integrity.toUtf8());
        const QString& state = found.rows;
        QVERIFY2(state == before || state == after, where);
        if (outcome.stored)
            QVERIFY2(state == after, where + " after the action said it stored");
        if (!during) {
            QCOMPARE(n, syncs + 1);
            break;
        }
        keptBefore += state == before;
    }
    qInfo("%s: %d syncs, the state before kept after %d cuts", qPrintable(action), syncs,
          keptBefore);
}

VELMORA_TEST_GUILESS_MAIN(TestPowerCut)
#include "tst_powercut.moc"
