#include "db/Schema.h"
#include "support/TestMain.h"
#include "support/TournamentFiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>
#include <chrono>
#include <random>
#include <thread>

// The program killed at random moments of an action on the largest tournament: the file it
// leaves is sound and holds the whole state before the action or the whole state after it.
// VELMORA_KILLS=30 in the environment kills it that many times per action rather than a few.
class TestKilled : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void killedMidAction_data();
    void killedMidAction();

private:
    QByteArray m_full;
    QString m_fullRows;
    QByteArray m_season; // the same, an earlier evening of the same players kept
    QString m_seasonRows;
};

namespace {

constexpr int kQuickKills = 4;

// Waits for the line the action prints ("ready" or "done"); false when it never comes.
bool lineRead(QProcess& act, const QByteArray& line) {
    while (!act.canReadLine())
        if (!act.waitForReadyRead(30000))
            return false;
    return act.readLine().trimmed() == line;
}

} // namespace

void TestKilled::initTestCase() {
    // 3996 players, 7 rounds drawn, every round scored but the last.
    m_full = tournaments::build(3996, 7, true);
    QTemporaryDir folder;
    tournaments::putBack(m_full, folder.path() + u'/');
    const tournaments::Found found = tournaments::reopen(db::databasePath(folder.path() + u'/'));
    QCOMPARE(found.integrity, QStringLiteral("ok"));
    m_fullRows = found.rows;
    m_season = tournaments::withEveningKept(m_full);
    tournaments::putBack(m_season, folder.path() + u'/');
    m_seasonRows = tournaments::reopen(db::databasePath(folder.path() + u'/')).rows;
}

void TestKilled::killedMidAction_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("season");
    QTest::newRow("redraw") << "draw" << false;
    QTest::newRow("the last round redrawn") << "coming_rounds" << false;
    QTest::newRow("a table of the last round stored") << "scores" << false;
    QTest::newRow("reset") << "reset" << false;
    QTest::newRow("reset beside a season kept") << "reset" << true;
}

void TestKilled::killedMidAction() {
    QFETCH(QString, action);
    QFETCH(bool, season);
    const QByteArray& file = season ? m_season : m_full;
    const QString& fileRows = season ? m_seasonRows : m_fullRows;
    const int kills = std::max(kQuickKills, qEnvironmentVariableIntValue("VELMORA_KILLS"));
    QTemporaryDir folder;
    const QString directory = folder.path() + u'/';
    const QString path = db::databasePath(directory);
    const QStringList arguments{action, directory, QStringLiteral("7")};

    // Once to its end: the state after, and how long the action runs.
    tournaments::putBack(file, directory);
    QProcess act;
    act.start(QStringLiteral(VELMORA_ACT), arguments);
    QVERIFY(lineRead(act, "ready"));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(lineRead(act, "done"));
    const qint64 length = timer.nsecsElapsed();
    QVERIFY(act.waitForFinished(30000));
    QCOMPARE(act.exitCode(), 0);
    const tournaments::Found ended = tournaments::reopen(path);
    QCOMPARE(ended.integrity, QStringLiteral("ok"));
    const QString after = ended.rows;
    QVERIFY(after != fileRows);

    std::mt19937_64 random(qHash(action));
    std::uniform_int_distribution<qint64> moment(0, length);
    int killed = 0, before = 0;
    for (int k = 1; k <= kills; ++k) {
        tournaments::putBack(file, directory);
        act.start(QStringLiteral(VELMORA_ACT), arguments);
        QVERIFY(lineRead(act, "ready"));
        // The kill itself is what is tested: the wait places it in the action.
        std::this_thread::sleep_for(std::chrono::nanoseconds(moment(random)));
        act.kill();
        QVERIFY(act.waitForFinished(30000));
        killed += act.exitStatus() == QProcess::CrashExit;
        const tournaments::Found found = tournaments::reopen(path);
        const QByteArray where = QStringLiteral("kill %1").arg(k).toUtf8();
        QVERIFY2(found.integrity == u"ok", where + ": " + found.integrity.toUtf8());
        QVERIFY2(found.rows == fileRows || found.rows == after, where);
        before += found.rows == fileRows;
    }
    qInfo("%s: %d kills over %.1f ms, %d while it ran, the state before kept after %d",
          qPrintable(action), kills, length / 1e6, killed, before);
}

VELMORA_TEST_GUILESS_MAIN(TestKilled)
#include "tst_killed.moc"
