#include "common/RankingRows.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/Season.h"
#include "registration/Registration.h"
#include "registration/Reinitialisation.h"
#include "support/FakeShell.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QtTest>

using ui::MessageBox;

namespace {

const QString kTitle = QStringLiteral("Réinitialisation");

// A tournament under way: players seated and drawn, a round of scores, settings changed.
struct Tournament {
    TestDatabase base;
    FakeShell shell{base.directory()};
    db::DataControl DataReinit;

    explicit Tournament(int players, int results = 0) {
        for (int i = 1; i <= players; ++i)
            base.addPlayer(i, QStringLiteral("JOUEUR%1").arg(i), QStringLiteral("Prénom"),
                           (i - 1) % 4 + 1, QStringLiteral("Nord"));
        base.connection().execute(QStringLiteral("UPDATE Inscriptions SET CodeEquipe01 = 1001"));
        base.connection().execute(QStringLiteral("UPDATE Parametres SET Manches = 5, Parties = 9"));
        for (int i = 1; i <= results; ++i)
            base.connection().execute(QStringLiteral("INSERT INTO Resultats (Manche, "
                                                     "CodeIndividuel, Points) VALUES (1, ?1, ?2)"),
                                      {i, i % 2 ? 30 : -30});
        // What else the evening left: a phone's key, a player's, a deal, the logs of two
        // corrections.
        for (const char* sql :
             {"INSERT INTO ClesTables VALUES (1001, 'K7P2QX')",
              "INSERT INTO ClesJoueurs VALUES (1, 'R4T8WZ')",
              "INSERT INTO Donnes VALUES (1001, 1, 1, 1, 1, 1, 51, 0, 0, 0, 0, 0)",
              "INSERT INTO CorrectionsInscriptions VALUES ('2026-12-09 21:00:00', 'Correction', "
              "1, 'JOUER1', 'Prénom', 'JOUEUR1', 'Prénom')",
              "INSERT INTO CorrectionsResultats (Moment, Operation, CodeEquipe, Manche, Ancien1, "
              "Ancien2, Ancien3, Ancien4, Nouveau1, Nouveau2, Nouveau3, Nouveau4) VALUES "
              "('2026-12-09 22:00:00', 'Correction', 1001, 1, 30, -30, 30, -30, 20, -20, 20, -20)",
              "INSERT INTO Departs VALUES (3, 2)"})
            base.connection().executeNative(QString::fromLatin1(sql));
    }
    // The rows of the evening's keys and logs, "keys/names/scores".
    QString evening() {
        return base
            .scalar(QStringLiteral("SELECT (SELECT count(*) FROM ClesTables) || '/' || (SELECT "
                                   "count(*) FROM CorrectionsInscriptions) || '/' || (SELECT "
                                   "count(*) FROM CorrectionsResultats) || '/' || (SELECT "
                                   "count(*) FROM Departs) || '/' || (SELECT count(*) FROM "
                                   "ClesJoueurs) || '/' || (SELECT count(*) FROM Donnes)"))
            .toString();
    }
    // Everything the reset may touch, as one text to compare before and after.
    QString state() {
        QString text;
        for (const char* sql :
             {"SELECT group_concat(CodeIndividuel || Nom || Prenom || Position || Position2 || "
              "CodeEquipe01, '|') FROM Inscriptions",
              "SELECT group_concat(Manche || ':' || CodeIndividuel || ':' || Points, '|') FROM "
              "Resultats",
              "SELECT Manches || '/' || Parties FROM Parametres"})
            text += base.scalar(QString::fromLatin1(sql)).toString() + u'#';
        return text + evening();
    }
    qlonglong rows(const char* table) {
        return base.scalar(QStringLiteral("SELECT count(*) FROM ") + QLatin1StringView(table))
            .toLongLong();
    }
    void run() { registration::reinitialiserBase(shell, DataReinit); }
};

} // namespace

class TestReinitialisation : public QObject {
    Q_OBJECT
private slots:
    void nothingToWipeAsksNothing();
    void confirmationCountsThePlayers_data();
    void confirmationCountsThePlayers();
    void noChangesNothing();
    void yesWipesPlayersAndScoresButKeepsTheSettings();
    void failedSecondDeletionLeavesEverything();
    void numbersGivenTwiceAreRefusedAfterTheReset();
    void theEveningIsKeptBeforeTheWipe_data();
    void theEveningIsKeptBeforeTheWipe();
};

void TestReinitialisation::nothingToWipeAsksNothing() {
    // Scores left without players are not a reason to ask.
    Tournament t(0, 3);
    const QString before = t.state();
    MessageBox::Script script;
    t.run();
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().icon, MessageBox::Icon::Information);
    QCOMPARE(script.shown().first().buttons, MessageBox::Buttons::Ok);
    QCOMPARE(script.shown().first().title, kTitle);
    QCOMPARE(script.shown().first().text, "La base ne contient aucune inscription !!");
    QCOMPARE(t.state(), before);
    QCOMPARE(t.shell.cartesCalls, (QList<bool>{false, true}));
}

void TestReinitialisation::confirmationCountsThePlayers_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("one player keeps the plural") << 1 << "La base contient 1 inscriptions.";
    QTest::newRow("twelve players") << 12 << "La base contient 12 inscriptions.";
}

void TestReinitialisation::confirmationCountsThePlayers() {
    QFETCH(int, players);
    QFETCH(QString, firstLine);
    Tournament t(players);
    MessageBox::Script script;
    script.answer(MessageBox::Answer::No);
    t.run();
    QCOMPARE(script.shown().size(), 1);
    const MessageBox::Shown box = script.shown().first();
    QCOMPARE(box.icon, MessageBox::Icon::Question);
    QCOMPARE(box.buttons, MessageBox::Buttons::YesNo);
    QCOMPARE(box.title, kTitle);
    QCOMPARE(box.text,
             firstLine + "\n\nConfirmez vous la suppression de toutes les inscriptions ?");
}

void TestReinitialisation::noChangesNothing() {
    Tournament t(9, 8);
    const QString before = t.state();
    MessageBox::Script script;
    script.answer(MessageBox::Answer::No);
    t.run();
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(t.state(), before);
    QCOMPARE(t.rows("Inscriptions"), 9);
    QCOMPARE(t.shell.cartesCalls, (QList<bool>{false, true}));
    QVERIFY(!t.DataReinit.Recordset().isOpen());
}

void TestReinitialisation::yesWipesPlayersAndScoresButKeepsTheSettings() {
    Tournament t(10, 8);
    MessageBox::Script script;
    script.answer(MessageBox::Answer::Yes);
    t.run();
    // The wipe told, then the copy that holds the tournament as it was.
    QCOMPARE(script.shown().size(), 3);
    QVERIFY(script.shown().last().text.contains("Restaurer une sauvegarde"));
    const MessageBox::Shown done = script.shown().at(1);
    QCOMPARE(done.icon, MessageBox::Icon::Information);
    QCOMPARE(done.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(done.title, kTitle);
    QCOMPARE(done.text, "La totalité des inscriptions a été supprimée !!!");
    QCOMPARE(t.rows("Inscriptions"), 0);
    QCOMPARE(t.rows("Resultats"), 0);
    QCOMPARE(t.evening(), "0/0/0/0/0/0");
    QCOMPARE(t.base.scalar(QStringLiteral("SELECT Manches || '/' || Parties FROM Parametres")),
             QVariant(QStringLiteral("5/9")));
    QCOMPARE(t.shell.cartesCalls, (QList<bool>{false, true}));
    QVERIFY(!t.base.connection().inTransaction());
    QVERIFY(!t.DataReinit.Recordset().isOpen());
}

void TestReinitialisation::failedSecondDeletionLeavesEverything() {
    Tournament t(6, 4);
    t.base.connection().executeNative(
        QStringLiteral("CREATE TRIGGER verrou BEFORE DELETE ON Resultats "
                       "BEGIN SELECT RAISE(ABORT, 'résultats verrouillés'); END"));
    const QString before = t.state();
    MessageBox::Script script;
    script.answer(MessageBox::Answer::Yes);
    t.run();
    QCOMPARE(script.shown().size(), 2);
    const MessageBox::Shown failed = script.shown().last();
    QCOMPARE(failed.icon, MessageBox::Icon::Critical);
    QCOMPARE(failed.title, kTitle);
    QVERIFY(failed.text.contains("Velmora.log"));
    QVERIFY(failed.text.contains("\n\n"));
    QCOMPARE(t.state(), before);
    QCOMPARE(t.rows("Inscriptions"), 6);
    QCOMPARE(t.shell.cartesCalls, (QList<bool>{false, true}));
    // The program carries on: the next write is not stuck in a transaction left open.
    QVERIFY(!t.base.connection().inTransaction());
    t.base.connection().executeNative(QStringLiteral("DROP TRIGGER verrou"));
    script.answer(MessageBox::Answer::Yes);
    t.run();
    QCOMPARE(t.rows("Inscriptions"), 0);
    QCOMPARE(t.rows("Resultats"), 0);
}

void TestReinitialisation::numbersGivenTwiceAreRefusedAfterTheReset() {
    TestDatabase base({{3, QStringLiteral("MARTIN")}, {3, QStringLiteral("ZOLA")}});
    QCOMPARE(db::upgradeDatabase(base.connection()).duplicateNumbers, QList<qint64>{3});
    FakeShell shell(base.directory());
    db::DataControl data;
    MessageBox::Script script;
    registration::reinitialiserBase(shell, data);
    registration::storePlayer(data, base.path(), 1, QStringLiteral("DUPONT"),
                              QStringLiteral("Jean"));
    try {
        registration::storePlayer(data, base.path(), 1, QStringLiteral("DURAND"),
                                  QStringLiteral("Luc"));
        QFAIL("a number given twice was stored after the reset");
    } catch (const db::DbError& error) {
        QCOMPARE(error.kind(), db::DbError::Kind::Duplicate);
    }
}

void TestReinitialisation::theEveningIsKeptBeforeTheWipe_data() {
    QTest::addColumn<int>("round1"); // results entered in each round, of 8 seated
    QTest::addColumn<int>("round2");
    QTest::addColumn<bool>("locked"); // the wipe fails
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("two complete rounds, a tie") << 8 << 8 << false << QList<int>{1, 2};
    QTest::newRow("a round half entered stays out") << 8 << 4 << false << QList<int>{1};
    QTest::newRow("no complete round keeps nothing") << 4 << 0 << false << QList<int>{};
    QTest::newRow("a failed wipe keeps nothing") << 8 << 8 << true << QList<int>{};
}

void TestReinitialisation::theEveningIsKeptBeforeTheWipe() {
    QFETCH(int, round1);
    QFETCH(int, round2);
    QFETCH(bool, locked);
    QFETCH(QList<int>, kept);
    TestDatabase base;
    FakeShell shell(base.directory());
    db::DataControl DataReinit;
    const auto evening = [&base](int round1, int round2) {
        base.drawTournament(8, 3);
        // Ties after round 1, which share a place.
        const int points[] = {20, 0, 0, -20};
        for (int i = 1; i <= round1; ++i)
            base.connection().execute(QStringLiteral("INSERT INTO Resultats VALUES (1, ?1, ?2)"),
                                      {i, points[(i - 1) % 4]});
        for (int i = 1; i <= round2; ++i)
            base.connection().execute(QStringLiteral("INSERT INTO Resultats VALUES (2, ?1, ?2)"),
                                      {i, i % 2 ? 7.5 : -7.5});
    };
    evening(round1, round2);
    if (locked)
        base.connection().executeNative(
            QStringLiteral("CREATE TRIGGER verrou BEFORE DELETE ON Resultats "
                           "BEGIN SELECT RAISE(ABORT, 'résultats verrouillés'); END"));
    // What the export would write, or, while a round is half entered, the rounds complete.
    auto exported = db::standings(base.connection(), 3);
    if (!std::holds_alternative<db::Standings>(exported))
        exported = db::standings(base.connection(), 3, db::RoundsRanked::CompleteSoFar);
    const db::Standings expected = std::get<db::Standings>(exported);

    MessageBox::Script script;
    script.answer(MessageBox::Answer::Yes);
    registration::reinitialiserBase(shell, DataReinit,
                                    QDateTime(QDate(2026, 12, 10), QTime(23, 5)));
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")).toInt(),
             locked ? 8 : 0);
    const QList<db::Evening> evenings = db::evenings(base.connection());
    QCOMPARE(evenings.size(), kept.isEmpty() ? 0 : 1);
    if (kept.isEmpty())
        return;
    QCOMPARE(evenings[0].date, QDate(2026, 12, 10));
    QCOMPARE(evenings[0].rounds, kept);
    const std::optional<db::Standings> stored =
        db::eveningStandings(base.connection(), evenings[0].number);
    QVERIFY(stored);
    QCOMPARE(stored->rounds, expected.rounds);
    QCOMPARE(common::rankingLines(*stored), common::rankingLines(expected));

    // The same players a week later: the same known players, two evenings each.
    evening(8, 8);
    script.answer(MessageBox::Answer::Yes);
    registration::reinitialiserBase(shell, DataReinit,
                                    QDateTime(QDate(2026, 12, 17), QTime(23, 0)));
    const QList<db::KnownPlayer> known = db::knownPlayers(base.connection());
    QCOMPARE(known.size(), 8);
    for (const db::KnownPlayer& player : known)
        QCOMPARE(player.evenings, 2);
}

VELMORA_TEST_MAIN(TestReinitialisation)
#include "tst_reinitialisation.moc"
