#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private slots:
    void fileIsEncryptedAndNeedsThePassword();
    void wrongPasswordIsRefusedWithoutTouchingTheFile();
    void missingFileIsReportedAndNotCreated();
    void shippedFileHoldsTheThreeTables_data();
    void shippedFileHoldsTheThreeTables();
    void shippedFileHasOneSettingsRowAndNoPlayer();
    void creatingOverAnExistingFileChangesNothing();
    void accessObjectsShareTheMainConnection();
    void withoutMainConnectionTheFileDoesNotOpen();
    void refreshNeverDerivesTheKeyAgain();
    void engineErrorsReachTheCaller();
    void fileStaysOneFileAndEveryCommitReachesTheDisk_data();
    void fileStaysOneFileAndEveryCommitReachesTheDisk();
    void readOnlyConnectionRefusesWrites();
    void oneStatementPerText();
    void sameTextPreparedTwiceRunsTwice();
    void midTakesAPieceOfAField_data();
    void midTakesAPieceOfAField();
};

void TestConnection::fileIsEncryptedAndNeedsThePassword() {
    TestDatabase base;
    const QByteArray head = fileBytes(base.path()).left(16);
    QCOMPARE(head.size(), 16);
    QVERIFY(!head.startsWith("SQLite format 3"));

    // Without the key the engine cannot read it.
    try {
        db::Connection::open(base.path(), QString(), true, false);
        QFAIL("the file opened without its password");
    } catch (const db::DbError& error) {
        QCOMPARE(error.kind(), db::DbError::Kind::NotADatabase);
    }
}

void TestConnection::wrongPasswordIsRefusedWithoutTouchingTheFile() {
    TestDatabase base;
    base.closeMain();
    const QByteArray before = fileBytes(base.path());
    try {
        db::OpenDatabase(base.path(), false, false, QStringLiteral(";pwd=kqz476"));
        QFAIL("a wrong password opened the file");
    } catch (const db::DbError& error) {
        QCOMPARE(error.kind(), db::DbError::Kind::NotADatabase);
        QVERIFY(!error.message().isEmpty());
    }
    QCOMPARE(fileBytes(base.path()), before);
    QVERIFY(!db::openConnection(base.path()));
}

void TestConnection::missingFileIsReportedAndNotCreated() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Velmora.dat"));
    try {
        db::OpenDatabase(path, false, false, QStringLiteral(";pwd=kqz475"));
        QFAIL("a missing file opened");
    } catch (const db::DbError& error) {
        QCOMPARE(error.kind(), db::DbError::Kind::Missing);
    }
    QVERIFY(!QFile::exists(path));
}

void TestConnection::shippedFileHoldsTheThreeTables_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns"); // name:type[:width], in order
    QTest::newRow("Inscriptions")
        << "Inscriptions"
        << "CodeIndividuel:int Nom:text:25 Prenom:text:25 Position:int Position2:text:5 "
           "CodeEquipe01:int CodeEquipe02:int CodeEquipe03:int CodeEquipe04:int "
           "CodeEquipe05:int CodeEquipe06:int CodeEquipe07:int";
    QTest::newRow("Parametres") << "Parametres"
                                << "Manches:int Parties:int EviterRencontres:int TablesDeCinq:int "
                                   "DonneParDonne:int";
    QTest::newRow("Resultats") << "Resultats"
                               << "Manche:int CodeIndividuel:int Points:real";
}

void TestConnection::shippedFileHoldsTheThreeTables() {
    QFETCH(QString, table);
    QFETCH(QString, columns);
    TestDatabase base;
    QStringList seen;
    for (const db::ColumnInfo& c : base.connection().columns(table)) {
        QString kind = c.integer   ? QStringLiteral("int")
                       : c.numeric ? QStringLiteral("real")
                                   : QStringLiteral("text");
        seen.append(c.name + u':' + kind + (c.width ? u':' + QString::number(c.width) : QString()));
    }
    QCOMPARE(seen.join(u' '), columns);
}

void TestConnection::shippedFileHasOneSettingsRowAndNoPlayer() {
    TestDatabase base;
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Parametres")).toInt(), 1);
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")).toInt(), 0);
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Resultats")).toInt(), 0);
    const int rounds = base.scalar(QStringLiteral("SELECT Manches FROM Parametres")).toInt();
    const int deals = base.scalar(QStringLiteral("SELECT Parties FROM Parametres")).toInt();
    QVERIFY(rounds >= 1 && rounds <= 7);
    QVERIFY(deals >= 1 && deals <= 15);
    QVERIFY(db::missingTables(base.connection()).isEmpty());
}

void TestConnection::creatingOverAnExistingFileChangesNothing() {
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    const QByteArray before = fileBytes(base.path());
    QVERIFY_THROWS_EXCEPTION(db::DbError,
                             db::createDatabase(base.path(), QString::fromUtf16(db::kPassword)));
    QCOMPARE(fileBytes(base.path()), before);
}

void TestConnection::accessObjectsShareTheMainConnection() {
    TestDatabase base;
    db::DataControl writer;
    refreshed(writer, base, QStringLiteral("Inscriptions"));
    QCOMPARE(&writer.Database().connection(), &base.connection());

    db::DataControl reader;
    refreshed(reader, base, QStringLiteral("Inscriptions"));
    QVERIFY(reader.Recordset().Eof());

    writer.Recordset().AddNew();
    writer.Recordset().Fields(QStringLiteral("NOM")).setValue(QStringLiteral("MARTIN"));
    writer.Recordset().Update();
    writer.Database().Close();

    reader.Refresh();
    QVERIFY(!reader.Recordset().Eof());
    QCOMPARE(reader.Recordset().Fields(QStringLiteral("Nom")).Value().toString(), "MARTIN");
}

void TestConnection::withoutMainConnectionTheFileDoesNotOpen() {
    TestDatabase base;
    base.closeMain();
    db::DataControl data;
    data.DatabaseName = base.path();
    data.RecordSource = QStringLiteral("Inscriptions");
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Refresh());
}

void TestConnection::refreshNeverDerivesTheKeyAgain() {
    TestDatabase base;
    for (int i = 1; i <= 20; ++i)
        base.addPlayer(i, QStringLiteral("NOM%1").arg(i), QStringLiteral("Prénom"));
    // Every opening after a Close goes through the main connection again: no second
    // connection, so no second key derivation.
    db::DataControl data;
    data.DatabaseName = base.path();
    for (int i = 0; i < 3; ++i) {
        data.RecordSource = QStringLiteral("Select * from Inscriptions where Position = 0");
        data.Refresh();
        QCOMPARE(&data.Database().connection(), &base.connection());
        data.Recordset().MoveLast();
        QCOMPARE(data.Recordset().RecordCount(), 20);
        data.Database().Close();
    }
}

void TestConnection::engineErrorsReachTheCaller() {
    TestDatabase base;
    db::DataControl data;
    data.DatabaseName = base.path();
    data.RecordSource = QStringLiteral("Select * from Joueurs");
    try {
        data.Refresh();
        QFAIL("a missing table gave no error");
    } catch (const db::DbError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("Joueurs")), qPrintable(error.message()));
    }
    try {
        data.Database().Execute(QStringLiteral("DELETE * form Resultats"));
        QFAIL("a wrong statement gave no error");
    } catch (const db::DbError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("syntax error")),
                 qPrintable(error.message()));
    }
}

void TestConnection::fileStaysOneFileAndEveryCommitReachesTheDisk_data() {
    QTest::addColumn<QString>("pragma");
    QTest::addColumn<QString>("value");
    QTest::newRow("rollback journal, removed after each commit") << "journal_mode"
                                                                 << "delete";
    QTest::newRow("full sync, the journal's removal synced too") << "synchronous"
                                                                 << "3";
}

void TestConnection::fileStaysOneFileAndEveryCommitReachesTheDisk() {
    QFETCH(QString, pragma);
    QFETCH(QString, value);
    TestDatabase base;
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Inscriptions"));
    QCOMPARE(base.scalar(QStringLiteral("PRAGMA ") + pragma).toString(), value);
    data.Database().Execute(QStringLiteral("DELETE * from Resultats"));
    QCOMPARE(QDir(base.directory()).entryList(QDir::Files), QStringList{"Velmora.dat"});
}

void TestConnection::readOnlyConnectionRefusesWrites() {
    TestDatabase base;
    base.closeMain();
    auto readOnly = db::OpenDatabase(base.path(), false, true, QStringLiteral(";pwd=kqz475"));
    try {
        readOnly->execute(QStringLiteral("DELETE * from Parametres"));
        QFAIL("a read-only connection wrote");
    } catch (const db::DbError& error) {
        QCOMPARE(error.kind(), db::DbError::Kind::ReadOnly);
    }
    auto stmt = readOnly->prepare(QStringLiteral("SELECT count(*) FROM Parametres"));
    QVERIFY(stmt->step());
    QCOMPARE(stmt->column(0).toInt(), 1);
}

void TestConnection::oneStatementPerText() {
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    base.connection().executeNative(QStringLiteral("INSERT INTO Resultats VALUES (1, 1, 0)"));
    db::DataControl data;
    data.DatabaseName = base.path();
    // The engine would run the first and drop the second without a word.
    QVERIFY_THROWS_EXCEPTION(
        db::DbError, data.Database().Execute(
                         QStringLiteral("DELETE * from Resultats; DELETE * from Inscriptions")));
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Resultats")).toInt(), 1);
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")).toInt(), 1);
    // A closing semicolon, blanks or a comment are no second statement.
    data.Database().Execute(QStringLiteral("DELETE * from Resultats ; -- fin"));
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Resultats")).toInt(), 0);
}

void TestConnection::sameTextPreparedTwiceRunsTwice() {
    TestDatabase base;
    for (int i = 1; i <= 3; ++i)
        base.addPlayer(i, QStringLiteral("NOM%1").arg(i), QStringLiteral("P"));
    const QString sql = QStringLiteral("SELECT CodeIndividuel FROM Inscriptions ORDER BY 1");
    auto outer = base.connection().prepare(sql);
    QVERIFY(outer->step());
    QCOMPARE(outer->column(0).toInt(), 1);
    {
        auto inner = base.connection().prepare(sql);
        QVERIFY(inner->step());
        QCOMPARE(inner->column(0).toInt(), 1);
        QVERIFY(inner->step());
    }
    QVERIFY(outer->step());
    QCOMPARE(outer->column(0).toInt(), 2);
}

void TestConnection::midTakesAPieceOfAField_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("value"); // invalid: an error
    QTest::newRow("round digit equals a number") << "Mid(3012, 1, 1) = 3" << QVariant(1LL);
    QTest::newRow("other round") << "Mid(3012, 1, 1) = 2" << QVariant(0LL);
    QTest::newRow("no table") << "Mid(0, 1, 1) = 1" << QVariant(0LL);
    QTest::newRow("digits of a number") << "Mid(3012, 2, 3)" << QVariant(12LL);
    QTest::newRow("text keeps its zeros") << "Mid('0012', 1, 4)" << QVariant("0012");
    QTest::newRow("to the end") << "Mid('DUPONT', 2)" << QVariant("UPONT");
    QTest::newRow("beyond the end") << "Mid('DUPONT', 9, 2)" << QVariant("");
    QTest::newRow("accented letters") << "Mid('ÉLODIE', 1, 2)" << QVariant("ÉL");
    QTest::newRow("null field") << "Mid(NULL, 1, 1) IS NULL" << QVariant(1LL);
    QTest::newRow("null start") << "Mid('abc', NULL) IS NULL" << QVariant(1LL);
    QTest::newRow("start 0") << "Mid('abc', 0, 1)" << QVariant();
    QTest::newRow("negative length") << "Mid('abc', 1, -1)" << QVariant();
    // A whole number is cut from its digits, as its text would be.
    QTest::newRow("a lone minus sign") << "Mid(-5, 1, 1)" << QVariant("-");
    QTest::newRow("a negative number") << "Mid(-12, 1)" << QVariant(-12LL);
    QTest::newRow("a number's end") << "Mid(3012, 9, 1)" << QVariant("");
    QTest::newRow("a number, start 0") << "Mid(3012, 0, 1)" << QVariant();
    QTest::newRow("19 digits stay text")
        << "Mid(1234567890123456789, 1)" << QVariant("1234567890123456789");
}

void TestConnection::midTakesAPieceOfAField() {
    QFETCH(QString, expression);
    QFETCH(QVariant, value);
    TestDatabase base;
    if (!value.isValid()) {
        QVERIFY_THROWS_EXCEPTION(db::DbError, base.scalar(QStringLiteral("SELECT ") + expression));
        return;
    }
    const QVariant got = base.scalar(QStringLiteral("SELECT ") + expression);
    QCOMPARE(got.typeId(), value.typeId());
    QCOMPARE(got, value);
}

VELMORA_TEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
