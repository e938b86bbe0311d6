#include "db/SqlDialect.h"
#include "support/TestMain.h"

#include <QtTest>

class TestSqlDialect : public QObject {
    Q_OBJECT
private slots:
    void rewritesForTheEngine_data();
    void rewritesForTheEngine();
    void parametersMoveUp_data();
    void parametersMoveUp();
    void recognisesSingleTableSources_data();
    void recognisesSingleTableSources();
};

void TestSqlDialect::rewritesForTheEngine_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("native");
    QTest::newRow("delete star") << "DELETE * from Inscriptions"
                                 << "DELETE from Inscriptions";
    QTest::newRow("delete star, other case") << "delete  *  FROM Resultats where Manche = 2"
                                             << "delete  FROM Resultats where Manche = 2";
    QTest::newRow("plain delete untouched") << "DELETE from Resultats"
                                            << "DELETE from Resultats";
    QTest::newRow("update qualified")
        << "UPDATE Inscriptions SET Inscriptions.Position = 0, Inscriptions.CodeEquipe01 = 0"
        << "UPDATE Inscriptions SET Position = 0, CodeEquipe01 = 0";
    QTest::newRow("update keeps where qualifiers")
        << "UPDATE Inscriptions SET Inscriptions.Position = 1 WHERE Inscriptions.Nom = 'A.B'"
        << "UPDATE Inscriptions SET Position = 1 WHERE Inscriptions.Nom = 'A.B'";
    QTest::newRow("update other table's name kept")
        << "UPDATE Inscriptions SET Position = Resultats.Manche"
        << "UPDATE Inscriptions SET Position = Resultats.Manche";
    QTest::newRow("literal with star untouched") << "SELECT * FROM T WHERE Nom = 'DELETE * from'"
                                                 << "SELECT * FROM T WHERE Nom = 'DELETE * from'";
    QTest::newRow("names sort in French")
        << "Select * from Inscriptions where CodeEquipe01  <> 0 order by Nom, Prenom"
        << "Select * from Inscriptions where CodeEquipe01  <> 0 order by Nom COLLATE FRENCH, "
           "Prenom COLLATE FRENCH";
    QTest::newRow("French order keeps the direction and other terms")
        << "SELECT * FROM Inscriptions ORDER BY Position, NOM desc, Inscriptions.Prenom ASC;"
        << "SELECT * FROM Inscriptions ORDER BY Position, NOM COLLATE FRENCH desc, "
           "Inscriptions.Prenom COLLATE FRENCH ASC;";
    QTest::newRow("order already chosen, or by an expression, untouched")
        << "SELECT * FROM T ORDER BY Nom COLLATE NOCASE, upper(Prenom)"
        << "SELECT * FROM T ORDER BY Nom COLLATE NOCASE, upper(Prenom)";
    QTest::newRow("names outside the order untouched")
        << "SELECT Nom FROM T WHERE Prenom = 'order by Nom' ORDER BY CodeIndividuel"
        << "SELECT Nom FROM T WHERE Prenom = 'order by Nom' ORDER BY CodeIndividuel";
    QTest::newRow("literal with qualifier untouched")
        << "UPDATE Inscriptions SET Nom = 'Inscriptions.Nom'"
        << "UPDATE Inscriptions SET Nom = 'Inscriptions.Nom'";
}

void TestSqlDialect::rewritesForTheEngine() {
    QFETCH(QString, written);
    QFETCH(QString, native);
    QCOMPARE(db::toNative(written), native);
}

void TestSqlDialect::parametersMoveUp_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("shifted"); // by 3
    QTest::newRow("numbered") << "Nom = ?1 and Tour = ?12"
                              << "Nom = ?4 and Tour = ?15";
    QTest::newRow("bare, after the highest so far") << "a = ? and b = ?5 and c = ?"
                                                    << "a = ?4 and b = ?8 and c = ?9";
    QTest::newRow("named, once per name") << "a = :nom or b = @nom or c = :nom or d = $y"
                                          << "a = ?4 or b = ?5 or c = ?4 or d = ?6";
    QTest::newRow("number joined to a keyword") << "a = ?1AND b = ?2"
                                                << "a = ?4AND b = ?5";
    QTest::newRow("inside a text, untouched") << "Nom = '?1' and Prenom = ?1"
                                              << "Nom = '?1' and Prenom = ?4";
}

void TestSqlDialect::parametersMoveUp() {
    QFETCH(QString, written);
    QFETCH(QString, shifted);
    QCOMPARE(db::shiftParameters(written, 3), shifted);
}

void TestSqlDialect::recognisesSingleTableSources_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("simple");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("tail");
    QTest::newRow("table name") << "Inscriptions" << true << "Inscriptions"
                                << "*"
                                << "";
    QTest::newRow("table name with blanks") << "  Parametres " << true << "Parametres"
                                            << "*"
                                            << "";
    QTest::newRow("ordered") << "Select * from Inscriptions order by CodeIndividuel" << true
                             << "Inscriptions"
                             << "*"
                             << " order by CodeIndividuel";
    QTest::newRow("one field") << "Select CodeEquipe01 from Inscriptions" << true << "Inscriptions"
                               << "CodeEquipe01"
                               << "";
    QTest::newRow("Mid in where")
        << "Select * from Inscriptions where CodeEquipe01  <> 0 and Mid(CodeEquipe01, 1, 1) = 1 "
           "order by Nom, Prenom"
        << true << "Inscriptions"
        << "*"
        << " where CodeEquipe01  <> 0 and Mid(CodeEquipe01, 1, 1) = 1 order by Nom, Prenom";
    QTest::newRow("sum and group") << "Select CodeIndividuel, Sum(Points) AS Score from Resultats "
                                      "group by CodeIndividuel order by Sum(Points) desc"
                                   << false << ""
                                   << ""
                                   << "";
    QTest::newRow("group only") << "Select Manche from Resultats group by Manche order by Manche"
                                << false << ""
                                << ""
                                << "";
    QTest::newRow("count") << "Select count(*) from Inscriptions" << false << ""
                           << ""
                           << "";
    QTest::newRow("distinct") << "Select distinct Nom from Inscriptions" << false << ""
                              << ""
                              << "";
    QTest::newRow("two tables") << "Select * from Inscriptions, Resultats" << false << ""
                                << ""
                                << "";
    QTest::newRow("join") << "Select * from Inscriptions join Resultats using (CodeIndividuel)"
                          << false << ""
                          << ""
                          << "";
    QTest::newRow("not a select") << "DELETE from Inscriptions" << false << ""
                                  << ""
                                  << "";
}

void TestSqlDialect::recognisesSingleTableSources() {
    QFETCH(QString, source);
    QFETCH(bool, simple);
    const auto select = db::simpleSelect(source);
    QCOMPARE(select.has_value(), simple);
    if (!simple)
        return;
    QFETCH(QString, table);
    QFETCH(QString, columns);
    QFETCH(QString, tail);
    QCOMPARE(select->table, table);
    QCOMPARE(select->columns, columns);
    QCOMPARE(select->tail, tail);
}

VELMORA_TEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
