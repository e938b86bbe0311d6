#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "registration/Registration.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"

#include <QtTest>

class TestSchema : public QObject {
    Q_OBJECT
private slots:
    void standardClientReadsWritesAndChecksTheFile_data();
    void standardClientReadsWritesAndChecksTheFile();
    void firstBuildFileIsUpgradedWithItsRowsUnchanged();
    void playerNumbersStayUnique_data();
    void playerNumbersStayUnique();
};

void TestSchema::standardClientReadsWritesAndChecksTheFile_data() {
    QTest::addColumn<bool>("firstBuild");
    QTest::newRow("registrations in a fresh file") << false;
    QTest::newRow("file of the first build, upgraded") << true;
}

void TestSchema::standardClientReadsWritesAndChecksTheFile() {
    QFETCH(bool, firstBuild);
    auto base = firstBuild ? std::make_unique<TestDatabase>(
                                 QList<std::pair<int, QString>>{{1, QStringLiteral("ZOLA")}})
                           : std::make_unique<TestDatabase>();
    if (firstBuild) {
        QVERIFY(db::upgradeDatabase(base->connection()).upgraded);
    } else {
        db::DataControl data;
        registration::storePlayer(data, base->path(), 1, QStringLiteral("ZOLA"),
                                  QStringLiteral("Jean"));
    }
    base->closeMain();
    QCOMPARE(standardClient(base->path(),
                            QStringLiteral("select count(*) from Inscriptions where Position > 5;\n"
                                           "insert into Inscriptions (CodeIndividuel, Nom) values "
                                           "(2, 'ABEL');\n"
                                           "select Nom from Inscriptions order by Nom;\n"
                                           "PRAGMA integrity_check;\n")),
             "0\nABEL\nZOLA\nok");
}

void TestSchema::firstBuildFileIsUpgradedWithItsRowsUnchanged() {
    TestDatabase base({{1, QStringLiteral("DUPONT")},
                       {2, QString::fromUtf8("ÉMILE")},
                       {3, QStringLiteral("MARTIN")}});
    // A gap in the row ids, and a result, as a real tournament leaves them.
    base.connection().executeNative(
        QStringLiteral("DELETE FROM Inscriptions WHERE CodeIndividuel = 2"));
    base.addPlayer(4, QString::fromUtf8("Zoé"), QStringLiteral("Luc"));
    base.connection().executeNative(QStringLiteral("INSERT INTO Resultats VALUES (1, 3, -2.5)"));
    // Every row as it was; the settings gain the draw's choices (repeated meetings, tables of
    // five) and the deals entered one by one, all off.
    const QString before = contents(base.connection())
                               .replace(QStringLiteral("Parametres|1|4|10\n"),
                                        QStringLiteral("Parametres|1|4|10|0|0|0\n"));
    const db::SchemaCheck check = db::upgradeDatabase(base.connection());
    QVERIFY(check.upgraded);
    QVERIFY(check.duplicateNumbers.isEmpty());
    QCOMPARE(contents(base.connection()), before);
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE sql LIKE "
                                        "'%FRENCH%'"))
                 .toInt(),
             0);
    QVERIFY(!base.connection().inTransaction());
    // Done once: the next opening finds nothing to do.
    QVERIFY(!db::upgradeDatabase(base.connection()).upgraded);
    QCOMPARE(contents(base.connection()), before);
}

void TestSchema::playerNumbersStayUnique_data() {
    QTest::addColumn<bool>("firstBuild"); // the file holds two players numbered 3
    QTest::newRow("fresh file") << false;
    QTest::newRow("first-build file giving 3 twice") << true;
}

void TestSchema::playerNumbersStayUnique() {
    QFETCH(bool, firstBuild);
    if (firstBuild) {
        TestDatabase base({{1, QStringLiteral("DUPONT")},
                           {3, QStringLiteral("MARTIN")},
                           {3, QStringLiteral("ZOLA")}});
        // Every row kept, and told again at every opening until a reset wipes them.
        for (int opening = 0; opening < 2; ++opening)
            QCOMPARE(db::upgradeDatabase(base.connection()).duplicateNumbers, QList<qint64>{3});
        QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")).toInt(), 3);
        return;
    }
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    base.addPlayer(3, QStringLiteral("MARTIN"), QStringLiteral("Paul"));
    db::DataControl data;
    // One more than the highest, past the gap left at 2.
    QCOMPARE(registration::nextPlayerNumber(data, base.path()), 4);
    try {
        registration::storePlayer(data, base.path(), 3, QStringLiteral("ZOLA"),
                                  QStringLiteral("Émile"));
        QFAIL("a number given twice was stored");
    } catch (const db::DbError& error) {
        QCOMPARE(error.kind(), db::DbError::Kind::Duplicate);
    }
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")).toInt(), 2);
}

VELMORA_TEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
