#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"

#include <QtTest>

namespace {

// Eight drawn players over two rounds, one registered after the draw, and the results of
// round 1 and of one table of round 2.
void seedTournament(TestDatabase& base) {
    struct Player {
        int code;
        const char* nom;
        const char* prenom;
        int seat;
        const char* seatName;
        int round1;
        int round2;
    };
    const Player players[] = {
        {1, "DUPONT", "Jean", 1, "Nord", 1001, 2002}, {2, "MARTIN", "Paul", 2, "Est", 1001, 2001},
        {3, "ÉMILE", "Marc", 3, "Sud", 1001, 2002},   {4, "EMILE", "Anne", 4, "Ouest", 1001, 2001},
        {5, "FABRE", "Luc", 1, "Nord", 1002, 2001},   {6, "BERNARD", "Léa", 2, "Est", 1002, 2002},
        {7, "DUPONT", "Alice", 3, "Sud", 1002, 2001}, {8, "CÔTE", "Rémi", 4, "Ouest", 1002, 2002},
    };
    for (const Player& p : players) {
        base.addPlayer(p.code, QString::fromUtf8(p.nom), QString::fromUtf8(p.prenom), p.seat,
                       QString::fromUtf8(p.seatName));
        base.connection().executeNative(
            QStringLiteral("UPDATE Inscriptions SET CodeEquipe01 = %1, CodeEquipe02 = %2 WHERE "
                           "CodeIndividuel = %3")
                .arg(p.round1)
                .arg(p.round2)
                .arg(p.code));
    }
    base.addPlayer(9, QStringLiteral("NOUVEAU"), QStringLiteral("Jo"));
    base.connection().executeNative(QStringLiteral(
        "INSERT INTO Resultats VALUES (1, 1, 10), (1, 2, -5), (1, 3, -5), (1, 4, 0), (1, 5, 20), "
        "(1, 6, -10), (1, 7, -10), (1, 8, 0), (2, 2, 3), (2, 4, -1), (2, 5, -1), (2, 7, -1)"));
}

// The values of one field, row after row from the first, as text.
QString column(db::DataControl& data, const QString& field) {
    QStringList values;
    db::RecordSet& rs = data.Recordset();
    if (rs.Eof() && rs.Bof())
        return QString();
    rs.MoveFirst();
    while (!rs.Eof()) {
        values.append(rs.Fields(field).Value().toString());
        rs.MoveNext();
    }
    return values.join(u' ');
}

} // namespace

class TestRecordSet : public QObject {
    Q_OBJECT
private slots:
    void statementsRunAsWritten_data();
    void statementsRunAsWritten();
    void rowsComeInTheSourcesOwnOrder_data();
    void rowsComeInTheSourcesOwnOrder();
    void namesSortAsAFrenchReaderExpects();
    void currentRowShowsTheFileAsItIsNow_data();
    void currentRowShowsTheFileAsItIsNow();
    void rolledBackRowsLeaveEverySet_data();
    void rolledBackRowsLeaveEverySet();
    void writesGoToTheFieldShown_data();
    void writesGoToTheFieldShown();
    void sourceParametersKeepTheirValues_data();
    void sourceParametersKeepTheirValues();
    void handlesOutlivingTheirCloseAreHarmless_data();
    void handlesOutlivingTheirCloseAreHarmless();
    void statementsInUseOutliveTheCache();
    void parametersCarryValuesSafely();
    void samePathWrittenTwoWaysIsOneDatabase();
    void lookupsCostWhatTheirRowsCost();
    void emptySetIsAtBothEnds();
    void movingThroughTheRows();
    void addNewIsStoredAtOnceAndSeenEverywhere();
    void editChangesTheCurrentRowInTheFile();
    void fieldNamesIgnoreCase();
    void writtenValuesAreConverted_data();
    void writtenValuesAreConverted();
    void findFirstMakesTheFirstMatchCurrent();
    void findFirstWorksOnGroupedRows();
    void findFirstReadsTheFieldsShown_data();
    void findFirstReadsTheFieldsShown();
    void wholeTableStatements();
    void closedObjectOpensAgainOnRefresh();
    void misuseIsReportedNotIgnored();
};

void TestRecordSet::statementsRunAsWritten_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("values");
    QTest::newRow("players by number") << "Select * from Inscriptions order by CodeIndividuel"
                                       << "CODEINDIVIDUEL"
                                       << "1 2 3 4 5 6 7 8 9";
    QTest::newRow("unseated by name")
        << "Select * from Inscriptions where Position = 0 order by NOM"
        << "NOM"
        << "NOUVEAU";
    QTest::newRow("draw candidates")
        << "Select * from Inscriptions where CodeIndividuel < 9 and Position = 2 and CodeEquipe03 "
           "= 0 order by CodeIndividuel"
        << "CodeIndividuel"
        << "2 6";
    QTest::newRow("first round code") << "Select CodeEquipe01 from Inscriptions"
                                      << "CODEEQUIPE01"
                                      << "1001 1001 1001 1001 1002 1002 1002 1002 0";
    QTest::newRow("table list round 1")
        << "Select * from Inscriptions where CodeEquipe01  <> 0 and Mid(CodeEquipe01, 1, 1) = 1 "
           "order by Nom, Prenom"
        << "CodeIndividuel"
        << "6 8 7 1 4 3 5 2";
    QTest::newRow("table list round 3, never drawn")
        << "Select * from Inscriptions where CodeEquipe03  <> 0 and Mid(CodeEquipe03, 1, 1) = 3 "
           "order by Nom, Prenom"
        << "CodeIndividuel"
        << "";
    QTest::newRow("score sheets round 2")
        << "Select * from Inscriptions where Mid(CodeEquipe02, 1, 1) = 2 order by CodeEquipe02, "
           "Position"
        << "CodeIndividuel"
        << "5 2 7 4 1 6 3 8";
    QTest::newRow("one table in seat order")
        << "Select * from Inscriptions where CodeEquipe02 = 2001 order by Position"
        << "POSITION2"
        << "Nord Est Sud Ouest";
    QTest::newRow("results of a round") << "Select * from Resultats where Manche = 1"
                                        << "CodeIndividuel"
                                        << "1 2 3 4 5 6 7 8";
    QTest::newRow("rounds with results")
        << "Select Manche from Resultats group by Manche order by Manche"
        << "MANCHE"
        << "1 2";
    QTest::newRow("ranking, players")
        << "Select CodeIndividuel, Sum(Points) AS Score from Resultats group by CodeIndividuel "
           "order by Sum(Points) desc, CodeIndividuel"
        << "CodeIndividuel"
        << "5 1 8 4 2 3 6 7";
    QTest::newRow("ranking, totals")
        << "Select CodeIndividuel, Sum(Points) AS Score from Resultats group by CodeIndividuel "
           "order by Sum(Points) desc, CodeIndividuel"
        << "SCORE"
        << "19 10 0 -1 -2 -5 -10 -11";
    QTest::newRow("settings") << "Parametres"
                              << "MANCHES"
                              << "3";
}

void TestRecordSet::statementsRunAsWritten() {
    QFETCH(QString, source);
    QFETCH(QString, field);
    QFETCH(QString, values);
    TestDatabase base;
    seedTournament(base);
    db::DataControl data;
    refreshed(data, base, source);
    QCOMPARE(column(data, field), values);
}

void TestRecordSet::rowsComeInTheSourcesOwnOrder_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("values");
    // Registered in the order 3, 1, 2 (ZOLA c, ABEL a, MARTIN b).
    QTest::newRow("table, in the file's order") << "Inscriptions"
                                                << "CodeIndividuel"
                                                << "3 1 2";
    QTest::newRow("select without order") << "Select * from Inscriptions"
                                          << "CodeIndividuel"
                                          << "3 1 2";
    QTest::newRow("one field without order") << "Select CodeIndividuel from Inscriptions"
                                             << "CodeIndividuel"
                                             << "3 1 2";
    QTest::newRow("by number") << "Select * from Inscriptions order by CodeIndividuel"
                               << "CodeIndividuel"
                               << "1 2 3";
    QTest::newRow("by column number") << "Select Nom, Prenom from Inscriptions order by 1"
                                      << "Nom"
                                      << "ABEL MARTIN ZOLA";
    QTest::newRow("ending with a comment")
        << "Select * from Inscriptions where Position = 0 -- sans place"
        << "CodeIndividuel"
        << "3 1 2";
    QTest::newRow("by a renamed field")
        << "Select Prenom AS Nom, CodeIndividuel from Inscriptions order by Nom desc"
        << "Nom"
        << "c b a";
}

void TestRecordSet::rowsComeInTheSourcesOwnOrder() {
    QFETCH(QString, source);
    QFETCH(QString, field);
    QFETCH(QString, values);
    TestDatabase base;
    base.addPlayer(3, QStringLiteral("ZOLA"), QStringLiteral("c"));
    base.addPlayer(1, QStringLiteral("ABEL"), QStringLiteral("a"));
    base.addPlayer(2, QStringLiteral("MARTIN"), QStringLiteral("b"));
    db::DataControl data;
    refreshed(data, base, source);
    QCOMPARE(column(data, field), values);
    data.Recordset().MoveLast();
    QCOMPARE(data.Recordset().Fields(field).Value().toString(), values.section(u' ', -1));
}

void TestRecordSet::namesSortAsAFrenchReaderExpects() {
    TestDatabase base;
    const char* const names[] = {"FABRE",  "émile", "ZOLA",       "ÉMILE", "DUPONT",   "CÔTE",
                                 "Dupont", "EMILE", "D'ALEMBERT", "COTE",  "DE GAULLE"};
    int code = 0;
    for (const char* name : names)
        base.addPlayer(++code, QString::fromUtf8(name), QStringLiteral("X"));
    db::DataControl data;
    refreshed(data, base,
              QStringLiteral("Select * from Inscriptions where Position = 0 order by NOM"));
    QCOMPARE(column(data, QStringLiteral("NOM")),
             QString::fromUtf8("COTE CÔTE D'ALEMBERT DE GAULLE Dupont DUPONT EMILE émile ÉMILE "
                               "FABRE ZOLA"));

    // First names too, behind the surname.
    base.connection().executeNative(QStringLiteral("DELETE FROM Inscriptions"));
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Fabrice"));
    base.addPlayer(2, QStringLiteral("DUPONT"), QString::fromUtf8("Émile"));
    base.addPlayer(3, QStringLiteral("DUPONT"), QStringLiteral("Eric"));
    data.RecordSource = QStringLiteral("Select * from Inscriptions order by Nom, Prenom");
    data.Refresh();
    QCOMPARE(column(data, QStringLiteral("PRENOM")), QString::fromUtf8("Émile Eric Fabrice"));
}

void TestRecordSet::currentRowShowsTheFileAsItIsNow_data() {
    QTest::addColumn<QString>("change"); // made by another object once the row was read
    QTest::addColumn<bool>("takenBack"); // inside a transaction rolled back
    QTest::addColumn<QString>("shown");  // surname of the current row afterwards; empty: gone
    QTest::addColumn<QString>("next");   // and of the next row
    QTest::newRow("edited through a record set") << "edit" << false << "LEBRUN"
                                                 << "MARTIN";
    QTest::newRow("changed by a statement")
        << "UPDATE Inscriptions SET Nom = 'LEBRUN' WHERE CodeIndividuel = 1" << false << "LEBRUN"
        << "MARTIN";
    QTest::newRow("change taken back")
        << "UPDATE Inscriptions SET Nom = 'LEBRUN' WHERE CodeIndividuel = 1" << true << "DUPONT"
        << "MARTIN";
    QTest::newRow("deleted") << "DELETE * from Inscriptions where CodeIndividuel = 1" << false << ""
                             << "MARTIN";
    QTest::newRow("all deleted, a new player taking the first row id")
        << "DELETE * from Inscriptions" << false << ""
        << "";
    QTest::newRow("deletion taken back")
        << "DELETE * from Inscriptions where CodeIndividuel = 1" << true << "DUPONT"
        << "MARTIN";
    QTest::newRow("all deleted and the first row id taken, then all taken back")
        << "DELETE * from Inscriptions" << true << "DUPONT"
        << "MARTIN";
}

void TestRecordSet::currentRowShowsTheFileAsItIsNow() {
    QFETCH(QString, change);
    QFETCH(bool, takenBack);
    QFETCH(QString, shown);
    QFETCH(QString, next);
    TestDatabase base;
    seedTournament(base);
    db::DataControl reader;
    refreshed(reader, base, QStringLiteral("Select * from Inscriptions order by CodeIndividuel"));
    db::RecordSet& rs = reader.Recordset();
    QCOMPARE(rs.Fields(QStringLiteral("Nom")).Value().toString(), "DUPONT");
    db::DataControl writer;
    writer.DatabaseName = base.path();
    {
        db::Transaction guard(writer.Database());
        if (change == u"edit") {
            db::RecordSet& row = writer.Refresh(
                base.path(), QStringLiteral("Select * from Inscriptions where CodeIndividuel = 1"));
            row.Edit();
            row.Fields(QStringLiteral("NOM")).setValue(QStringLiteral("LEBRUN"));
            row.Update();
        } else {
            writer.Database().Execute(change);
        }
        // A new player may take the row id of one deleted.
        base.addPlayer(10, QStringLiteral("NOUVEAU"), QStringLiteral("Léo"));
        if (!takenBack)
            guard.commit();
    }
    const auto surname = [&rs](const QString& expected) {
        if (!expected.isEmpty()) {
            QCOMPARE(rs.Fields(QStringLiteral("Nom")).Value().toString(), expected);
            return;
        }
        // A deleted row is never shown, nor written, neither in its place nor in another's.
        QVERIFY_THROWS_EXCEPTION(db::DbError, rs.Fields(QStringLiteral("Nom")).Value());
        try {
            rs.Edit();
            rs.Fields(QStringLiteral("Prenom")).setValue(QStringLiteral("Changé"));
            rs.Update();
            QFAIL("a deleted row was written");
        } catch (const db::DbError&) {
            rs.CancelUpdate();
        }
    };
    surname(shown);
    rs.MoveNext();
    surname(next);
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions WHERE Prenom = "
                                        "'Changé'"))
                 .toInt(),
             0);
}

void TestRecordSet::rolledBackRowsLeaveEverySet_data() {
    QTest::addColumn<bool>("byTheOtherSet"); // which of two sets on Resultats adds the rows
    QTest::newRow("added by the set itself") << false;
    QTest::newRow("added by another set") << true;
}

void TestRecordSet::rolledBackRowsLeaveEverySet() {
    QFETCH(bool, byTheOtherSet);
    TestDatabase base;
    db::DataControl sets[2];
    for (db::DataControl& data : sets)
        refreshed(data, base, QStringLiteral("Resultats"));
    db::DataControl& writer = sets[byTheOtherSet ? 1 : 0];
    const auto add = [&writer](int player) {
        writer.Recordset().AddNew();
        writer.Recordset().Fields(QStringLiteral("MANCHE")).setValue(1);
        writer.Recordset().Fields(QStringLiteral("CODEINDIVIDUEL")).setValue(player);
        writer.Recordset().Fields(QStringLiteral("POINTS")).setValue(0);
        writer.Recordset().Update();
    };
    {
        db::Transaction guard(writer.Database());
        for (int player = 1; player <= 4; ++player)
            add(player);
        QCOMPARE(writer.Recordset().RecordCount(), 4);
    }
    for (db::DataControl& data : sets) {
        QVERIFY(data.Recordset().Eof() && data.Recordset().Bof());
        QCOMPARE(data.Recordset().RecordCount(), 0);
    }
    // The next row may take a row id the rollback freed: it shows once.
    add(9);
    QCOMPARE(column(writer, QStringLiteral("CodeIndividuel")), "9");
}

void TestRecordSet::writesGoToTheFieldShown_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("stored"); // Nom/Prenom of player 1 afterwards; empty: refused
    QTest::newRow("a field as it is") << "Select Nom from Inscriptions"
                                      << "ZOÉ/Jean";
    QTest::newRow("a field renamed") << "Select Prenom AS Nom, CodeIndividuel from Inscriptions"
                                     << "DUPONT/ZOÉ";
    QTest::newRow("a computed field") << "Select Nom || Prenom AS Nom from Inscriptions"
                                      << "";
    QTest::newRow("a constant") << "Select 'X' AS Nom, Prenom from Inscriptions"
                                << "";
}

void TestRecordSet::writesGoToTheFieldShown() {
    QFETCH(QString, source);
    QFETCH(QString, stored);
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    db::DataControl data;
    refreshed(data, base, source);
    data.Recordset().Edit();
    if (stored.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(
            db::DbError, data.Recordset().Fields(QStringLiteral("Nom")).setValue(u"ZOÉ"_qs));
        stored = QStringLiteral("DUPONT/Jean");
    } else {
        data.Recordset().Fields(QStringLiteral("Nom")).setValue(u"ZOÉ"_qs);
        data.Recordset().Update();
        QCOMPARE(data.Recordset().Fields(QStringLiteral("Nom")).Value().toString(), u"ZOÉ"_qs);
    }
    QCOMPARE(
        base.scalar(QStringLiteral("SELECT Nom || '/' || Prenom FROM Inscriptions")).toString(),
        stored);
}

void TestRecordSet::sourceParametersKeepTheirValues_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QVariantList>("parameters");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("values");
    QTest::newRow("number in the select list")
        << "Select ?1 AS Tour, Nom from Inscriptions where Position = ?2 order by CodeIndividuel"
        << QVariantList{7, 0} << "Tour"
        << "7 7 7";
    QTest::newRow("text in the select list")
        << "Select Nom, ?2 AS Salle from Inscriptions where CodeIndividuel < ?1"
        << QVariantList{3, QStringLiteral("B")} << "Salle"
        << "B B";
    QTest::newRow("name found by a parameter")
        << "Select ?1 AS Tour, Nom from Inscriptions where CodeIndividuel = ?2"
        << QVariantList{5, 3} << "Nom"
        << "ZOLA";
}

void TestRecordSet::sourceParametersKeepTheirValues() {
    QFETCH(QString, source);
    QFETCH(QVariantList, parameters);
    QFETCH(QString, field);
    QFETCH(QString, values);
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("ABEL"), QStringLiteral("a"));
    base.addPlayer(2, QStringLiteral("MARTIN"), QStringLiteral("b"));
    base.addPlayer(3, QStringLiteral("ZOLA"), QStringLiteral("c"));
    db::DataControl data;
    refreshed(data, base, source, parameters);
    QCOMPARE(column(data, field), values);
}

void TestRecordSet::handlesOutlivingTheirCloseAreHarmless_data() {
    QTest::addColumn<QString>("held"); // what is still held when the access object closes
    QTest::addColumn<int>("rows");     // rows of Resultats in the file at the end
    QTest::newRow("transaction rolled back after the close") << "rollback" << 0;
    QTest::newRow("transaction committed after the close") << "commit" << 1;
    QTest::newRow("statement run after the close") << "statement" << 1;
}

void TestRecordSet::handlesOutlivingTheirCloseAreHarmless() {
    QFETCH(QString, held);
    QFETCH(int, rows);
    // A file without a password, opened by name: the access object's close is its last one.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain.dat"));
    db::createDatabase(path, QString());
    db::DataControl data;
    data.DatabaseName = path;
    if (held == u"statement") {
        auto insert =
            data.Database().connection().prepare(QStringLiteral("INSERT INTO Resultats VALUES "
                                                                "(1, 1, 0)"));
        data.Database().Close();
        QVERIFY(!insert->step());
    } else {
        db::Transaction guard(data.Database());
        data.Database().Execute(QStringLiteral("INSERT INTO Resultats VALUES (1, 1, 0)"));
        data.Database().Close();
        if (held == u"commit")
            guard.commit();
    }
    data.RecordSource = QStringLiteral("Resultats");
    data.Refresh();
    QCOMPARE(data.Recordset().RecordCount(), rows);
}

void TestRecordSet::statementsInUseOutliveTheCache() {
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    db::Connection& connection = base.connection();
    std::vector<std::unique_ptr<db::Statement>> held;
    for (int i = 0; i < 100; ++i)
        held.push_back(connection.prepare(QStringLiteral("SELECT %1 + CodeIndividuel FROM "
                                                         "Inscriptions")
                                              .arg(i)));
    // Many more texts than the cache keeps, each run and handed back.
    for (int i = 0; i < 200; ++i)
        connection.executeNative(QStringLiteral("SELECT %1").arg(i));
    for (int i = 0; i < 100; ++i) {
        QVERIFY(held[size_t(i)]->step());
        QCOMPARE(held[size_t(i)]->column(0).toInt(), i + 1);
    }
}

void TestRecordSet::parametersCarryValuesSafely() {
    TestDatabase base;
    const QString name = QStringLiteral("x'); DROP TABLE Inscriptions; --");
    base.addPlayer(1, QStringLiteral("D'ALEMBERT"), QStringLiteral("Jean"));
    base.addPlayer(2, name, QStringLiteral("Paul"));
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Select * from Inscriptions where Nom = ?1"),
              {QStringLiteral("D'ALEMBERT")});
    QCOMPARE(column(data, QStringLiteral("CodeIndividuel")), "1");
    data.RecordSource = QStringLiteral("Inscriptions");
    data.Parameters.clear();
    data.Refresh();
    data.Recordset().FindFirst(QStringLiteral("Nom = ?1 and Prenom = ?2"),
                               {name, QStringLiteral("Paul")});
    QVERIFY(!data.Recordset().NoMatch());
    QCOMPARE(data.Recordset().Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), 2);
    data.Database().Execute(QStringLiteral("UPDATE Inscriptions SET Position2 = ?1 WHERE Nom = ?2"),
                            {QStringLiteral("Est"), name});
    QCOMPARE(base.scalar(QStringLiteral("SELECT Position2 FROM Inscriptions WHERE CodeIndividuel "
                                        "= 2"))
                 .toString(),
             "Est");
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")).toInt(), 2);
}

void TestRecordSet::samePathWrittenTwoWaysIsOneDatabase() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl data;
    data.DatabaseName = base.directory() + QStringLiteral("/./Velmora.dat");
    data.RecordSource = QStringLiteral("Inscriptions");
    data.Refresh();
    QCOMPARE(&data.Database().connection(), &base.connection());
    // A statement on the database leaves the open set as it was.
    data.Database().Execute(QStringLiteral("DELETE * from Resultats"));
    data.Recordset().MoveLast();
    QCOMPARE(data.Recordset().RecordCount(), 9);
}

void TestRecordSet::lookupsCostWhatTheirRowsCost() {
    // A player found by number on the whole table (FindFirst) costs a few statements, never
    // one per player.
    TestDatabase base;
    {
        db::Transaction adding(base.connection());
        for (int i = 1; i <= 400; ++i)
            base.addPlayer(i, QStringLiteral("NOM%1").arg((i * 7919) % 400), QStringLiteral("P"));
        adding.commit();
    }
    db::DataControl data;
    for (const int code : {1, 200, 400}) {
        const quint64 before = base.connection().statementCount();
        db::RecordSet& players = data.Refresh(base.path(), QStringLiteral("Inscriptions"));
        players.FindFirst(QStringLiteral("CodeIndividuel = ") + QString::number(code));
        QCOMPARE(players.Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), code);
        data.Database().Close();
        QVERIFY2(base.connection().statementCount() - before <= 3,
                 qPrintable(QString::number(base.connection().statementCount() - before)));
    }
}

void TestRecordSet::emptySetIsAtBothEnds() {
    TestDatabase base;
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Inscriptions"));
    QVERIFY(data.Recordset().Eof());
    QVERIFY(data.Recordset().Bof());
    QCOMPARE(data.Recordset().RecordCount(), 0);
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Recordset().MoveLast());
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Recordset().MoveFirst());
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Recordset().Fields(QStringLiteral("Nom")).Value());
}

void TestRecordSet::movingThroughTheRows() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl data;
    refreshed(data, base,
              QStringLiteral("Select * from Inscriptions order by CodeIndividuel desc"));
    db::RecordSet& rs = data.Recordset();
    // The first row is current at once.
    QVERIFY(!rs.Eof() && !rs.Bof());
    QCOMPARE(rs.Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), 9);
    rs.MoveLast();
    QCOMPARE(rs.RecordCount(), 9);
    QCOMPARE(rs.Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), 1);
    rs.MoveNext();
    QVERIFY(rs.Eof());
    QVERIFY(!rs.Bof());
    QVERIFY_THROWS_EXCEPTION(db::DbError, rs.MoveNext());
    rs.MoveFirst();
    rs.MoveNext();
    QCOMPARE(rs.Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), 8);
    rs.MovePrevious();
    rs.MovePrevious();
    QVERIFY(rs.Bof());
    QVERIFY(!rs.Eof());
    QVERIFY_THROWS_EXCEPTION(db::DbError, rs.MovePrevious());
    QVERIFY_THROWS_EXCEPTION(db::DbError, rs.Fields(QStringLiteral("Nom")).Value());
}

void TestRecordSet::addNewIsStoredAtOnceAndSeenEverywhere() {
    TestDatabase base;
    db::DataControl registration;
    refreshed(registration, base, QStringLiteral("Inscriptions"));
    db::RecordSet& rs = registration.Recordset();
    rs.AddNew();
    rs.Fields(QStringLiteral("NOM")).setValue(QStringLiteral("D'ALEMBERT"));
    rs.Fields(QStringLiteral("PRENOM")).setValue(QStringLiteral(" "));
    rs.Fields(QStringLiteral("CODEINDIVIDUEL")).setValue(QStringLiteral("1"));
    rs.Fields(QStringLiteral("POSITION")).setValue(0);
    rs.Update();
    // Still the same position: the set was empty, so it stays past its end.
    QVERIFY(rs.Eof());

    // Another object on the shared connection sees it...
    db::DataControl other;
    refreshed(other, base, QStringLiteral("Select * from Inscriptions where CodeIndividuel = 1"));
    QCOMPARE(other.Recordset().Fields(QStringLiteral("Nom")).Value().toString(), "D'ALEMBERT");
    QCOMPARE(other.Recordset().Fields(QStringLiteral("Prenom")).Value().toString(), " ");
    QVERIFY(other.Recordset().Fields(QStringLiteral("Position2")).Value().isNull());

    // ...and so does a second, independent connection: the row is committed, not pending.
    base.closeMain();
    registration.Database().Close();
    other.Database().Close();
    auto reopened = db::OpenDatabase(base.path(), false, false, QString::fromUtf16(db::kConnect));
    auto stmt = reopened->prepare(QStringLiteral("SELECT Nom, CodeIndividuel FROM Inscriptions"));
    QVERIFY(stmt->step());
    QCOMPARE(stmt->column(0).toString(), "D'ALEMBERT");
    QCOMPARE(stmt->column(1).typeId(), QMetaType::LongLong);
}

void TestRecordSet::editChangesTheCurrentRowInTheFile() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl settings;
    refreshed(settings, base, QStringLiteral("Parametres"));
    settings.Recordset().Edit();
    settings.Recordset().Fields(QStringLiteral("MANCHES")).setValue(QStringLiteral("7"));
    settings.Recordset().Fields(QStringLiteral("PARTIES")).setValue(QStringLiteral("15"));
    // Read back before Update: the value written, as the field will hold it.
    QCOMPARE(settings.Recordset().Fields(QStringLiteral("Parties")).Value(), QVariant(15LL));
    settings.Recordset().Update();
    QCOMPARE(settings.Recordset().Fields(QStringLiteral("Manches")).Value().toInt(), 7);
    settings.Database().Close();

    db::DataControl reader;
    refreshed(reader, base, QStringLiteral("Parametres"));
    QCOMPARE(reader.Recordset().Fields(QStringLiteral("Manches")).Value(), QVariant(7LL));
    QCOMPARE(reader.Recordset().Fields(QStringLiteral("Parties")).Value(), QVariant(15LL));
    reader.Recordset().MoveLast();
    QCOMPARE(reader.Recordset().RecordCount(), 1);

    // Editing the third of a sorted set changes that player and no other.
    db::DataControl draw;
    refreshed(draw, base, QStringLiteral("Select * from Inscriptions order by CodeIndividuel"));
    draw.Recordset().MoveNext();
    draw.Recordset().MoveNext();
    draw.Recordset().Edit();
    draw.Recordset().Fields(QStringLiteral("CODEEQUIPE03")).setValue(QStringLiteral("3012"));
    draw.Recordset().Update();
    QCOMPARE(draw.Recordset().Fields(QStringLiteral("CodeEquipe03")).Value(), QVariant(3012LL));
    QCOMPARE(base.scalar(QStringLiteral("SELECT group_concat(CodeIndividuel) FROM Inscriptions "
                                        "WHERE CodeEquipe03 = 3012"))
                 .toString(),
             "3");
}

void TestRecordSet::fieldNamesIgnoreCase() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Inscriptions"));
    for (const QString& name : {QStringLiteral("NOM"), QStringLiteral("nom"), QStringLiteral("Nom"),
                                QStringLiteral("nOm")})
        QCOMPARE(data.Recordset().Fields(name).Value().toString(), "DUPONT");
    QVERIFY_THROWS_EXCEPTION(db::DbError,
                             data.Recordset().Fields(QStringLiteral("Surnom")).Value());
}

void TestRecordSet::writtenValuesAreConverted_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("stored"); // invalid: refused
    QTest::newRow("digits to number") << "Inscriptions"
                                      << "POSITION" << QVariant("12") << QVariant(12LL);
    QTest::newRow("blanks around") << "Inscriptions"
                                   << "POSITION" << QVariant(" 7 ") << QVariant(7LL);
    QTest::newRow("negative") << "Inscriptions"
                              << "POSITION" << QVariant("-3") << QVariant(-3LL);
    QTest::newRow("trailing comma") << "Inscriptions"
                                    << "POSITION" << QVariant("5,") << QVariant(5LL);
    QTest::newRow("decimal comma") << "Resultats"
                                   << "POINTS" << QVariant("2,5") << QVariant(2.5);
    QTest::newRow("decimal point") << "Resultats"
                                   << "POINTS" << QVariant("-0.5") << QVariant(-0.5);
    QTest::newRow("number to text") << "Inscriptions"
                                    << "NOM" << QVariant(12) << QVariant(QStringLiteral("12"));
    QTest::newRow("25 characters")
        << "Inscriptions"
        << "NOM" << QVariant(QString(25, u'A')) << QVariant(QString(25, u'A'));
    QTest::newRow("26 characters") << "Inscriptions"
                                   << "NOM" << QVariant(QString(26, u'A')) << QVariant();
    QTest::newRow("seat name too wide") << "Inscriptions"
                                        << "POSITION2" << QVariant("Ouestt") << QVariant();
    QTest::newRow("letters to number") << "Inscriptions"
                                       << "POSITION" << QVariant("a") << QVariant();
    QTest::newRow("empty to number") << "Inscriptions"
                                     << "POSITION" << QVariant("") << QVariant();
    QTest::newRow("sign alone") << "Inscriptions"
                                << "POSITION" << QVariant("-") << QVariant();
    QTest::newRow("separator alone") << "Resultats"
                                     << "POINTS" << QVariant(",") << QVariant();
}

void TestRecordSet::writtenValuesAreConverted() {
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QVariant, written);
    QFETCH(QVariant, stored);
    TestDatabase base;
    db::DataControl data;
    refreshed(data, base, table);
    data.Recordset().AddNew();
    if (!stored.isValid()) {
        QVERIFY_THROWS_EXCEPTION(db::DbError, data.Recordset().Fields(field).setValue(written));
        data.Recordset().CancelUpdate();
        QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM ") + table).toInt(), 0);
        return;
    }
    data.Recordset().Fields(field).setValue(written);
    data.Recordset().Update();
    const QVariant value = base.scalar(QStringLiteral("SELECT %1 FROM %2").arg(field, table));
    QCOMPARE(value.typeId(), stored.typeId());
    QCOMPARE(value, stored);
}

void TestRecordSet::findFirstMakesTheFirstMatchCurrent() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl results;
    refreshed(results, base, QStringLiteral("Resultats"));
    db::RecordSet& rs = results.Recordset();
    rs.FindFirst(QStringLiteral("Manche = 2 and CodeIndividuel = 4"));
    QVERIFY(!rs.NoMatch());
    QCOMPARE(rs.Fields(QStringLiteral("POINTS")).Value().toDouble(), -1.0);
    rs.FindFirst(QStringLiteral("Manche = 3 and CodeIndividuel = 4"));
    QVERIFY(rs.NoMatch());
    // No match leaves the current row where it was.
    QCOMPARE(rs.Fields(QStringLiteral("MANCHE")).Value().toInt(), 2);
    QCOMPARE(rs.Fields(QStringLiteral("CODEINDIVIDUEL")).Value().toInt(), 4);

    // The first in the set's own order, not in the file's.
    db::DataControl players;
    refreshed(players, base,
              QStringLiteral("Select * from Inscriptions order by CodeIndividuel desc"));
    players.Recordset().FindFirst(QStringLiteral("Nom = 'DUPONT'"));
    QVERIFY(!players.Recordset().NoMatch());
    QCOMPARE(players.Recordset().Fields(QStringLiteral("Prenom")).Value().toString(), "Alice");
    // Only rows of the set count: player 9 is not in it.
    players.RecordSource = QStringLiteral("Select * from Inscriptions where Position <> 0");
    players.Refresh();
    players.Recordset().FindFirst(QStringLiteral("CodeIndividuel = 9"));
    QVERIFY(players.Recordset().NoMatch());
}

void TestRecordSet::findFirstWorksOnGroupedRows() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl data;
    refreshed(
        data, base,
        QStringLiteral(
            "Select CodeIndividuel, Sum(Points) AS Score from Resultats group by CodeIndividuel "
            "order by Sum(Points) desc, CodeIndividuel"));
    data.Recordset().FindFirst(QStringLiteral("Score < 0"));
    QVERIFY(!data.Recordset().NoMatch());
    QCOMPARE(data.Recordset().Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), 4);
    // Criteria compare as on the table: a number field against a text.
    data.Recordset().FindFirst(QStringLiteral("CodeIndividuel = '8'"));
    QVERIFY(!data.Recordset().NoMatch());
    QCOMPARE(data.Recordset().Fields(QStringLiteral("Score")).Value().toInt(), 0);
    data.Recordset().FindFirst(QStringLiteral("Score < ?1"), {-6});
    QCOMPARE(data.Recordset().Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), 6);
    data.Recordset().FindFirst(QStringLiteral("Score > 100"));
    QVERIFY(data.Recordset().NoMatch());
    QCOMPARE(data.Recordset().Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), 6);
    data.Recordset().MoveLast();
    QCOMPARE(data.Recordset().RecordCount(), 8);
    // Grouped rows are read, never written.
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Recordset().Edit());
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Recordset().AddNew());
}

void TestRecordSet::findFirstReadsTheFieldsShown_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QVariantList>("sourceParameters");
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<QVariantList>("parameters");
    QTest::addColumn<int>("found"); // player number, 0 for no match
    // Player 1 is X Y, player 2 is Y X.
    QTest::newRow("renamed field") << "Select Prenom AS Nom, CodeIndividuel from Inscriptions"
                                   << QVariantList() << "Nom = 'X'" << QVariantList() << 2;
    QTest::newRow("computed field")
        << "Select Nom || Prenom AS NomPrenom, CodeIndividuel from Inscriptions" << QVariantList()
        << "NomPrenom = ?1" << QVariantList{QStringLiteral("YX")} << 2;
    QTest::newRow("source and criteria both numbered from 1")
        << "Select ?1 AS Tour, Prenom AS Nom, CodeIndividuel from Inscriptions" << QVariantList{7}
        << "Nom = ?1 and Tour = 7" << QVariantList{QStringLiteral("Y")} << 1;
    QTest::newRow("named parameter") << "Inscriptions" << QVariantList() << "Nom = :nom"
                                     << QVariantList{QStringLiteral("Y")} << 2;
    QTest::newRow("criteria ending with a comment")
        << "Select Prenom AS Nom, CodeIndividuel from Inscriptions" << QVariantList()
        << "Nom = 'Y' -- the first one" << QVariantList() << 1;
    QTest::newRow("bare parameter on grouped rows")
        << "Select CodeIndividuel, count(*) AS N from Inscriptions group by CodeIndividuel"
        << QVariantList() << "CodeIndividuel = ? and N = ?" << QVariantList{2, 1} << 2;
    QTest::newRow("criteria ending with a comment, on grouped rows")
        << "Select CodeIndividuel, count(*) AS N from Inscriptions group by CodeIndividuel"
        << QVariantList() << "CodeIndividuel = 2 -- le second" << QVariantList() << 2;
    QTest::newRow("no match on grouped rows")
        << "Select CodeIndividuel, count(*) AS N from Inscriptions group by CodeIndividuel"
        << QVariantList() << "N = ?1" << QVariantList{2} << 0;
}

void TestRecordSet::findFirstReadsTheFieldsShown() {
    QFETCH(QString, source);
    QFETCH(QVariantList, sourceParameters);
    QFETCH(QString, criteria);
    QFETCH(QVariantList, parameters);
    QFETCH(int, found);
    TestDatabase base;
    base.addPlayer(1, QStringLiteral("X"), QStringLiteral("Y"));
    base.addPlayer(2, QStringLiteral("Y"), QStringLiteral("X"));
    db::DataControl data;
    refreshed(data, base, source, sourceParameters);
    data.Recordset().FindFirst(criteria, parameters);
    QCOMPARE(data.Recordset().NoMatch(), found == 0);
    if (found)
        QCOMPARE(data.Recordset().Fields(QStringLiteral("CodeIndividuel")).Value().toInt(), found);
}

void TestRecordSet::wholeTableStatements() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Inscriptions"));
    data.Database().Execute(QStringLiteral(
        "UPDATE Inscriptions SET Inscriptions.Position = 0, Inscriptions.CodeEquipe01 = 0, "
        "Inscriptions.CodeEquipe02 = 0, Inscriptions.CodeEquipe03 = 0, Inscriptions.CodeEquipe04 "
        "= 0, Inscriptions.CodeEquipe05 = 0, Inscriptions.CodeEquipe06 = 0, "
        "Inscriptions.CodeEquipe07 = 0"));
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions WHERE Position <> 0 OR "
                                        "CodeEquipe01 <> 0 OR CodeEquipe02 <> 0"))
                 .toInt(),
             0);
    // The seat names stay: only numbers are reset.
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions WHERE Position2 = "
                                        "'Nord'"))
                 .toInt(),
             2);

    data.Refresh();
    data.Database().Execute(QStringLiteral("DELETE * from Resultats"));
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Resultats")).toInt(), 0);
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")).toInt(), 9);

    // A row deleted under an open set is reported, not read as empty.
    data.Database().Execute(QStringLiteral("DELETE * from Inscriptions"));
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Recordset().Fields(QStringLiteral("Nom")).Value());
}

void TestRecordSet::closedObjectOpensAgainOnRefresh() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Inscriptions"));
    data.Database().Close();
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Recordset().RecordCount());
    data.Refresh();
    data.Recordset().MoveLast();
    QCOMPARE(data.Recordset().RecordCount(), 9);
}

void TestRecordSet::misuseIsReportedNotIgnored() {
    TestDatabase base;
    seedTournament(base);
    db::DataControl data;
    refreshed(data, base, QStringLiteral("Inscriptions"));
    db::RecordSet& rs = data.Recordset();
    QVERIFY_THROWS_EXCEPTION(db::DbError, rs.Update());
    QVERIFY_THROWS_EXCEPTION(db::DbError,
                             rs.Fields(QStringLiteral("Nom")).setValue(QStringLiteral("X")));
    // Moving away drops an edit that was not stored.
    rs.Edit();
    rs.Fields(QStringLiteral("Nom")).setValue(QStringLiteral("CHANGE"));
    rs.MoveNext();
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions WHERE Nom = 'CHANGE'"))
                 .toInt(),
             0);
    data.RecordSource.clear();
    QVERIFY_THROWS_EXCEPTION(db::DbError, data.Refresh());
}

VELMORA_TEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
