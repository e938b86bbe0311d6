#include "backup/Restauration.h"
#include "db/Backup.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Schema.h"
#include "draw/RandomSource.h"
#include "draw/TableDraw.h"
#include "registration/Reinitialisation.h"
#include "support/FaultyVfs.h"
#include "support/OpenedWindow.h"
#include "support/Quiet.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QDir>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using ui::MessageBox;

namespace {

const QDateTime kNoon(QDate(2026, 12, 9), QTime(12, 0));

// A tournament under way, round 1 scored, with the restore window at hand.
struct Evening : OpenedWindow<backup::Restauration> {
    Evening() {
        base.drawTournament(16, 3, 12);
        base.connection().executeNative(QStringLiteral(
            "INSERT INTO Resultats SELECT 1, CodeIndividuel, CodeIndividuel % 4 - 1.5 FROM "
            "Inscriptions"));
    }
    QString folder() const { return db::backupFolder(base.directory()); }
    QStringList copies() const {
        return QDir(folder()).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
    }
    void reset() {
        db::DataControl DataReinit;
        registration::reinitialiserBase(shell, DataReinit);
    }
    void redraw() {
        QuietDrawControls controls;
        db::DataControl DataTirage;
        draw::RandomSource random;
        draw::TableDraw(DataTirage, base.path(), random, controls).run(16);
    }
    // The copy listed first in the restore window, restored through its button.
    void restoreFirst(MessageBox::Script& script) {
        if (!window && !open())
            return;
        script.answer(MessageBox::Answer::Yes);
        QTest::mouseClick(window->Restaurer, Qt::LeftButton);
    }
};

QStringList texts(const MessageBox::Script& script) {
    QStringList all;
    for (const MessageBox::Shown& box : script.shown())
        all.append(box.text);
    return all;
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void copiedBeforeWipingOnly_data();
    void copiedBeforeWipingOnly();
    void theCopyIsAPlainTournamentFile();
    void anUnwritableFolderAsksFirst_data();
    void anUnwritableFolderAsksFirst();
    void theThirtyNewestAreKept();
    void restoreBringsEveryRowBack();
    void badCopiesAreRefused_data();
    void badCopiesAreRefused();
};

void TestBackup::copiedBeforeWipingOnly_data() {
    QTest::addColumn<bool>("reset"); // or a redraw
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("reset") << true << true << "avant réinitialisation";
    QTest::newRow("reset declined") << true << false << "";
    QTest::newRow("redraw") << false << true << "avant nouveau tirage";
    QTest::newRow("redraw declined") << false << false << "";
}

void TestBackup::copiedBeforeWipingOnly() {
    QFETCH(bool, reset);
    QFETCH(bool, yes);
    QFETCH(QString, reason);
    Evening e;
    const QString before = contents(e.base.connection());
    MessageBox::Script script;
    script.answer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No);
    reset ? e.reset() : e.redraw();
    if (!yes) {
        QVERIFY(e.copies().isEmpty());
        QCOMPARE(contents(e.base.connection()), before);
        return;
    }
    QCOMPARE(e.copies().size(), 1);
    QVERIFY2(
        QRegularExpression(QStringLiteral("^Velmora \\d{4}-\\d\\d-\\d\\d \\d\\dh\\d\\dm\\d\\d ") +
                           reason + QStringLiteral("\\.dat$"))
            .match(e.copies().first())
            .hasMatch(),
        qPrintable(e.copies().first()));
    // The organiser learns where the tournament as it was went, and how to get it back.
    QVERIFY(texts(script).last().contains(e.copies().first()));
    QVERIFY(texts(script).last().endsWith("Pour y revenir : menu Paramètres, Restaurer une "
                                          "sauvegarde."));
    const db::BackupSummary copy = db::summarize(e.folder() + u'/' + e.copies().first());
    QCOMPARE(copy.players, 16);
    QCOMPARE(copy.roundsDrawn, 3);
    QCOMPARE(copy.scores, 16);
}

void TestBackup::theCopyIsAPlainTournamentFile() {
    Evening e;
    const QString copy =
        db::writeBackup(e.base.connection(), e.folder(), QStringLiteral("essai"), kNoon);
    QCOMPARE(QFileInfo(copy).fileName(), "Velmora 2026-12-09 12h00m00 essai.dat");
    QCOMPARE(standardClient(copy, QStringLiteral("SELECT count(*), sum(Points) FROM Resultats;\n"
                                                 "PRAGMA integrity_check;\n")),
             "16|0.0\nok");
    // Never over an earlier copy, and nothing half written left beside them.
    db::writeBackup(e.base.connection(), e.folder(), QStringLiteral("essai"), kNoon);
    QCOMPARE(QDir(e.folder()).entryList(QDir::Files, QDir::Name),
             QStringList({"Velmora 2026-12-09 12h00m00 essai (2).dat",
                          "Velmora 2026-12-09 12h00m00 essai.dat"}));
}

void TestBackup::anUnwritableFolderAsksFirst_data() {
    QTest::addColumn<bool>("goOn");
    QTest::addColumn<bool>("garbled"); // the folder is there, the disk garbles the copy
    QTest::newRow("No: nothing wiped") << false << false;
    QTest::newRow("Yes: wiped without a copy") << true << false;
    QTest::newRow("copy garbled, No: checked before it is named") << false << true;
}

void TestBackup::anUnwritableFolderAsksFirst() {
    QFETCH(bool, goOn);
    QFETCH(bool, garbled);
    Evening e;
    FaultyVfs disk;
    if (garbled) {
        disk.garbleWritesTo(QStringLiteral(".part"));
    } else {
        QFile blocker(e.folder()); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
    }
    const QString before = contents(e.base.connection());
    MessageBox::Script script;
    script.answer(MessageBox::Answer::Yes);
    script.answer(goOn ? MessageBox::Answer::Yes : MessageBox::Answer::No);
    e.reset();
    const MessageBox::Shown asked = script.shown().at(1);
    QCOMPARE(asked.buttons, MessageBox::Buttons::NoYes);
    QVERIFY2(asked.text.startsWith("La copie de sauvegarde du tournoi n'a pas pu être écrite "
                                   "dans le dossier ") &&
                 asked.text.endsWith("Continuer quand même ?"),
             qPrintable(asked.text));
    QCOMPARE(script.shown().size(), goOn ? 3 : 2); // no copy to tell of
    QCOMPARE(contents(e.base.connection()) == before, !goOn);
    QCOMPARE(e.base.scalar("SELECT count(*) FROM Inscriptions").toInt(), goOn ? 0 : 16);
    if (garbled) // no copy under a name, nothing half written
        QCOMPARE(QDir(e.folder()).entryList(QDir::Files), QStringList());
}

void TestBackup::theThirtyNewestAreKept() {
    Evening e;
    QVERIFY(QDir().mkpath(e.folder()));
    QFile other(e.folder() + QStringLiteral("/apporté d'une clé.dat"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    QVERIFY(other.setFileTime(kNoon.addDays(-30), QFileDevice::FileModificationTime));
    other.close();
    for (int i = 0; i < db::kBackupsKept + 3; ++i)
        db::writeBackup(e.base.connection(), e.folder(), QStringLiteral("essai"), kNoon.addSecs(i));
    const QStringList left = e.copies();
    QCOMPARE(left.size(), db::kBackupsKept + 1);
    QVERIFY(left.contains("apporté d'une clé.dat")); // not one of ours: never removed
    QCOMPARE(left.first(), "Velmora 2026-12-09 12h00m03 essai.dat");
    QCOMPARE(db::listBackups(e.folder()).first().when, kNoon.addSecs(db::kBackupsKept + 2));
}

void TestBackup::restoreBringsEveryRowBack() {
    Evening e;
    const QString before = contents(e.base.connection());
    MessageBox::Script script;
    script.answer(MessageBox::Answer::Yes);
    e.reset();
    QVERIFY(e.open());
    QTreeWidget* list = e.window->ListeSauvegardes;
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QCOMPARE((QStringList{list->currentItem()->text(1), list->currentItem()->text(2),
                          list->currentItem()->text(3), list->currentItem()->text(4)}),
             QStringList({"avant réinitialisation", "16", "3", "16"}));
    script.clear();
    e.restoreFirst(script);
    QCOMPARE(script.shown().first().buttons, MessageBox::Buttons::NoYes);
    QCOMPARE(contents(e.base.connection()), before);
    // The emptied tournament went into a copy of its own first, now listed first.
    QCOMPARE(e.copies().size(), 2);
    QCOMPARE(list->topLevelItem(0)->text(1), "avant restauration");
    QCOMPARE(list->topLevelItem(0)->text(2), "0");
    QVERIFY(texts(script).last().contains("avant restauration"));
}

void TestBackup::badCopiesAreRefused_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why"); // told between the copy's name and the tournament kept
    QTest::newRow("damaged") << "damaged"
                             << "";
    QTest::newRow("another password")
        << "password"
        << "Cette copie ne s'ouvre pas avec le mot de passe du tournoi : elle a été écrite avec "
           "un autre mot de passe, ou ce n'est pas un fichier de tournoi Velmora.";
    QTest::newRow("not a tournament") << "other"
                                      << "";
    QTest::newRow("first build: upgraded") << "first build"
                                           << "";
}

void TestBackup::badCopiesAreRefused() {
    QFETCH(QString, kind);
    Evening e;
    QVERIFY(QDir().mkpath(e.folder()));
    const QString copy = e.folder() + QStringLiteral("/Velmora 2027-01-01 10h00m00 essai.dat");
    if (kind == u"damaged") {
        db::writeBackup(e.base.connection(), e.folder(), QStringLiteral("essai"), kNoon);
        QVERIFY(QFile::rename(e.folder() + QStringLiteral("/Velmora 2026-12-09 12h00m00 essai.dat"),
                              copy));
        QFile f(copy);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(f.size() / 2);
        f.write(QByteArray(2000, '\x5a'));
    } else if (kind == u"password") {
        db::createDatabase(copy, QStringLiteral("autre"));
    } else if (kind == u"other") {
        db::Connection::create(copy, QString::fromUtf16(db::kPassword))
            ->executeNative(QStringLiteral("CREATE TABLE Clients (Nom TEXT)"));
    } else {
        TestDatabase firstBuild({{1, QStringLiteral("ÉMILE")}, {2, QStringLiteral("ZOLA")}});
        firstBuild.closeMain();
        QVERIFY(QFile::copy(firstBuild.path(), copy));
    }
    const QString before = contents(e.base.connection());
    MessageBox::Script script;
    e.restoreFirst(script);
    QVERIFY(e.window);
    if (kind == u"first build") {
        QCOMPARE(e.base.scalar("SELECT group_concat(Nom) FROM Inscriptions").toString(),
                 "ÉMILE,ZOLA");
        // What the upgrade adds is there, and the first build's own order is gone.
        QCOMPARE(e.base
                     .scalar("SELECT (SELECT count(*) FROM sqlite_master WHERE sql LIKE "
                             "'%FRENCH%') || ' ' || (SELECT group_concat(name) FROM (SELECT name "
                             "FROM sqlite_master WHERE type = 'table' AND name IN ('ClesTables', "
                             "'CorrectionsInscriptions', 'CorrectionsResultats') ORDER BY name)) "
                             "|| ' ' || (SELECT sum(EviterRencontres) FROM Parametres)")
                     .toString(),
                 "0 ClesTables,CorrectionsInscriptions,CorrectionsResultats 0");
        QCOMPARE(e.base.scalar("PRAGMA user_version").toInt(), 6);
        return;
    }
    QCOMPARE(script.shown().size(), 2);
    QVERIFY2(texts(script).last().startsWith("La copie du 01/01/2027 à 10:00:00 (essai) ne peut "
                                             "pas être restaurée :\n") &&
                 texts(script).last().endsWith("\n\nLe tournoi en cours n'a pas été modifié."),
             qPrintable(texts(script).last()));
    // Told as the copy's fault, never as the tournament file's.
    QVERIFY(!texts(script).last().contains("fichier du tournoi"));
    QFETCH(QString, why);
    if (!why.isEmpty())
        QCOMPARE(texts(script).last(), "La copie du 01/01/2027 à 10:00:00 (essai) ne peut pas être "
                                       "restaurée :\n" +
                                           why + "\n\nLe tournoi en cours n'a pas été modifié.");
    QCOMPARE(contents(e.base.connection()), before);
    QCOMPARE(e.copies().size(), 1); // no "avant restauration" copy: nothing was replaced
}

VELMORA_TEST_MAIN(TestBackup)
#include "tst_backup.moc"
