#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"

#include <QtTest>

namespace {

int count(TestDatabase& base, const char* table) {
    return base.scalar(QStringLiteral("SELECT count(*) FROM ") + QLatin1StringView(table)).toInt();
}

void addResult(db::DataControl& data, int round, int player, const QVariant& points) {
    data.Recordset().AddNew();
    data.Recordset().Fields(QStringLiteral("MANCHE")).setValue(round);
    data.Recordset().Fields(QStringLiteral("CODEINDIVIDUEL")).setValue(player);
    data.Recordset().Fields(QStringLiteral("POINTS")).setValue(points);
    data.Recordset().Update();
}

} // namespace

class TestTransaction : public QObject {
    Q_OBJECT
private slots:
    void rolledBackLeavesNoTrace();
    void committedIsKept();
    void failureHalfWayTakesBackTheFirstWrites();
    void innerGuardRollsBackOnlyItsOwnWrites();
    void engineRollbackKeepsItsMessage();
};

void TestTransaction::rolledBackLeavesNoTrace() {
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Resultats"));
    {
        db::Transaction guard(data.Database());
        addResult(data, 1, 1, 10);
        data.Database().Execute(QStringLiteral("DELETE * from Inscriptions"));
        QCOMPARE(count(base, "Resultats"), 1); // seen inside the transaction
    }
    QCOMPARE(count(base, "Resultats"), 0);
    QCOMPARE(count(base, "Inscriptions"), 1);
    QVERIFY(!base.connection().inTransaction());
}

void TestTransaction::committedIsKept() {
    TestDatabase base;
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Resultats"));
    {
        db::Transaction guard(data.Database());
        for (int player = 1; player <= 4; ++player)
            addResult(data, 1, player, 0);
        guard.commit();
    }
    QCOMPARE(count(base, "Resultats"), 4);
    QVERIFY(!base.connection().inTransaction());
    // Committed means on disk: a second connection reads the rows.
    base.closeMain();
    data.Database().Close();
    auto other = db::OpenDatabase(base.path(), false, false, QStringLiteral(";pwd=kqz475"));
    auto stmt = other->prepare(QStringLiteral("SELECT count(*) FROM Resultats"));
    QVERIFY(stmt->step());
    QCOMPARE(stmt->column(0).toInt(), 4);
}

void TestTransaction::failureHalfWayTakesBackTheFirstWrites() {
    TestDatabase base;
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Resultats"));
    try {
        db::Transaction guard(data.Database());
        addResult(data, 2, 1, 5);
        addResult(data, 2, 2, -5);
        addResult(data, 2, 3, QStringLiteral("abc")); // refused by the engine
        guard.commit();
        QFAIL("a score that is no number was stored");
    } catch (const db::DbError&) {
    }
    QCOMPARE(count(base, "Resultats"), 0);
    // The connection is usable again, outside any transaction.
    addResult(data, 2, 1, 0);
    QCOMPARE(count(base, "Resultats"), 1);
    QVERIFY(!base.connection().inTransaction());
}

void TestTransaction::innerGuardRollsBackOnlyItsOwnWrites() {
    TestDatabase base;
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Resultats"));
    {
        db::Transaction outer(data.Database());
        addResult(data, 1, 1, 1);
        {
            db::Transaction inner(data.Database());
            addResult(data, 1, 2, 2);
        }
        addResult(data, 1, 3, 3);
        outer.commit();
    }
    QCOMPARE(base.scalar(QStringLiteral("SELECT group_concat(CodeIndividuel) FROM Resultats"))
                 .toString(),
             "1,3");
}

void TestTransaction::engineRollbackKeepsItsMessage() {
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Inscriptions")); // record sets read after the rollback
    try {
        db::Transaction guard(data.Database());
        data.Database().Execute(
            QStringLiteral("INSERT OR ROLLBACK INTO Inscriptions (CodeIndividuel) VALUES (1)"));
        guard.commit();
        QFAIL("a number was stored twice");
    } catch (const db::DbError& error) {
        QCOMPARE(error.kind(), db::DbError::Kind::Duplicate);
        QVERIFY2(error.message().contains(QStringLiteral("UNIQUE")), qPrintable(error.message()));
    }
    QCOMPARE(count(base, "Inscriptions"), 1);
    QCOMPARE(data.Recordset().RecordCount(), 1);
}

VELMORA_TEST_GUILESS_MAIN(TestTransaction)
#include "tst_transaction.moc"
