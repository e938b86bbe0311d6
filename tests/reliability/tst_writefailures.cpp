#include "common/Cause.h"
#include "db/Backup.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "support/FaultyVfs.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "support/TournamentFiles.h"
#include "support/WritingActions.h"

#include <QtTest>

namespace {
const QString kDiskFull = QStringLiteral("le disque est plein");
}

// Every write, sync and truncation an action makes fails in turn, on a small tournament:
// each time the organiser is told, the file is exactly as before, sound, and the same action
// then goes through.
class TestWriteFailures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyWritePointFails_data();
    void everyWritePointFails();
    void aBackupCopyFailsCleanly_data();
    void aBackupCopyFailsCleanly();

private:
    QByteArray m_registered;
    QByteArray m_scored;
    QByteArray m_season; // scored, an earlier evening of the same players kept
};

void TestWriteFailures::initTestCase() {
    m_registered = tournaments::build(14, 3, false);
    m_scored = tournaments::build(14, 3, true);
    m_season = tournaments::withEveningKept(m_scored);
}

void TestWriteFailures::everyWritePointFails_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<bool>("season");
    for (const bool diskFull : {false, true}) {
        // A full disk stays full: the engine's rollback fails as well until it is freed.
        const char* failure = diskFull ? "disk full" : "I/O error";
        const auto row = [failure, diskFull](const char* name, const char* action, bool drawn,
                                             bool season = false) {
            QTest::addRow("%s, %s", name, failure) << action << drawn << diskFull << season;
        };
        row("player registered", "register", false);
        row("player renamed", "rename", true);
        row("player removed", "remove", false);
        row("settings stored", "settings", false);
        row("first draw", "draw", false);
        row("redraw", "draw", true);
        row("coming rounds redrawn", "coming_rounds", true);
        row("table's scores stored", "scores", true);
        row("reset", "reset", true);
        row("reset beside a season kept", "reset", true, true);
        row("players imported", "season_import", true, true);
        row("evening removed", "season_remove", true, true);
        row("table corrected", "correct", true);
        row("table deleted", "delete", true);
        row("copy restored", "restore", true);
    }
}

void TestWriteFailures::everyWritePointFails() {
    QFETCH(QString, action);
    QFETCH(bool, drawn);
    QFETCH(bool, diskFull);
    QFETCH(bool, season);
    const QByteArray& file = season ? m_season : drawn ? m_scored : m_registered;
    QTemporaryDir folder;
    const QString directory = folder.path() + u'/';
    FaultyVfs vfs;

    tournaments::putBack(file, directory);
    if (action == u"restore") {
        QVERIFY(QDir().mkpath(directory + QStringLiteral("Sauvegardes")));
        QFile source(writing::restoreSource(directory));
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write(m_registered);
    }
    auto main = tournaments::openAsTheProgram(directory);
    const QString before = contents(*main);
    vfs.disarm();
    QVERIFY(writing::run(action, directory).stored);
    const int points = vfs.writePoints();
    QVERIFY(points > 0); // the file's writes do pass through the faulty layer
    const QString after = contents(*main);
    QVERIFY(after != before);

    for (int n = 1;; ++n) {
        const QByteArray where = QStringLiteral("%1 failing at write point %2 of %3")
                                     .arg(diskFull ? "disk full" : "I/O error")
                                     .arg(n)
                                     .arg(points)
                                     .toUtf8();
        // Put back under the program's open connection, as another program would replace it.
        tournaments::putBack(file, directory);
        vfs.failAt(n, diskFull ? FaultyVfs::Failure::DiskFull : FaultyVfs::Failure::IoError,
                   diskFull);
        const writing::Outcome failed = writing::run(action, directory);
        const bool struck = vfs.struck();
        vfs.disarm();
        if (!struck) {
            QCOMPARE(n, points + 1);
            QVERIFY(failed.stored);
            QVERIFY(contents(*main) == after);
            break;
        }
        QVERIFY2(!failed.stored && !failed.told.isEmpty(), where);
        // In the organiser's words: neither the engine's English nor its statements.
        QVERIFY2(writing::inFrench(failed.told), where + ": " + failed.told.join(u'\n').toUtf8());
        // And what the organiser can do about it: free some room.
        if (diskFull)
            QVERIFY2(failed.told.join(u'\n').contains(kDiskFull),
                     where + ": " + failed.told.join(u'\n').toUtf8());
        // The program carries on with the same connection, and sees what the disk holds.
        QVERIFY2(contents(*main) == before, where);
        const tournaments::Found found = tournaments::reopen(db::databasePath(directory));
        QVERIFY2(found.integrity == u"ok", where + ": " + found.integrity.toUtf8());
        QVERIFY2(found.rows == before, where);
        const writing::Outcome retried = writing::run(action, directory);
        QVERIFY2(retried.stored, qPrintable(retried.told.join(u'\n')));
        QVERIFY2(contents(*main) == after, where);
    }
    qInfo("%s: %d write points", qPrintable(action), points);
}

void TestWriteFailures::aBackupCopyFailsCleanly_data() {
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("I/O error") << false;
    QTest::newRow("disk full") << true;
}

// A copy written before a wipe: at every write point, a failure leaves no copy under a name,
// nothing half written, the tournament untouched; then the copy goes through and opens sound.
void TestWriteFailures::aBackupCopyFailsCleanly() {
    QFETCH(bool, diskFull);
    QTemporaryDir folder;
    const QString directory = folder.path() + u'/';
    const QString copies = db::backupFolder(directory);
    const QDateTime when(QDate(2026, 12, 9), QTime(21, 14, 3));
    FaultyVfs vfs;
    tournaments::putBack(m_scored, directory);
    auto main = tournaments::openAsTheProgram(directory);
    const QString before = contents(*main);
    vfs.disarm();
    const QString written = db::writeBackup(*main, copies, QStringLiteral("essai"), when);
    const int points = vfs.writePoints();
    QVERIFY(QDir(copies).removeRecursively());
    for (int n = 1; n <= points + 1; ++n) {
        const QByteArray where = QStringLiteral("write point %1 of %2").arg(n).arg(points).toUtf8();
        vfs.failAt(n, diskFull ? FaultyVfs::Failure::DiskFull : FaultyVfs::Failure::IoError,
                   diskFull);
        QString told;
        try {
            db::writeBackup(*main, copies, QStringLiteral("essai"), when);
        } catch (const db::DbError& error) {
            told = common::cause(error);
        }
        const bool struck = vfs.struck();
        vfs.disarm();
        QCOMPARE(contents(*main), before);
        if (!struck) {
            QCOMPARE(n, points + 1);
            QCOMPARE(QDir(copies).entryList(QDir::Files),
                     QStringList{QFileInfo(written).fileName()});
            QCOMPARE(tournaments::reopen(written).rows, before);
            break;
        }
        QVERIFY2(writing::inFrench({told}) && !told.isEmpty(), where + ": " + told.toUtf8());
        QVERIFY2(!diskFull || told.contains(kDiskFull), where + ": " + told.toUtf8());
        QVERIFY2(QDir(copies).entryList(QDir::Files).isEmpty(), where);
    }
}

VELMORA_TEST_GUILESS_MAIN(TestWriteFailures)
#include "tst_writefailures.moc"
