#include "db/FrenchOrder.h"
#include "support/TestMain.h"

#include <QtTest>

class TestFrenchOrder : public QObject {
    Q_OBJECT
private slots:
    void comparesAsAFrenchReader_data();
    void comparesAsAFrenchReader();
};

void TestFrenchOrder::comparesAsAFrenchReader_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("order"); // sign of first compared with second
    QTest::newRow("accent does not push a name away") << "ÉMILE"
                                                      << "FABRE" << -1;
    QTest::newRow("accented after plain") << "EMILE"
                                          << "ÉMILE" << -1;
    QTest::newRow("accent weighs less than a letter") << "ÉMILE"
                                                      << "EMILF" << -1;
    QTest::newRow("case weighs less than a letter") << "dupont"
                                                    << "DURAND" << -1;
    QTest::newRow("small before capital, as the French collation has it") << "Dupont"
                                                                          << "DUPONT" << -1;
    QTest::newRow("cedilla") << "FRANÇOIS"
                             << "FRANCOISE" << -1;
    QTest::newRow("ligature as two letters") << "CŒUR"
                                             << "COEUS" << -1;
    QTest::newRow("ligature after spelt out") << "COEUR"
                                              << "CŒUR" << -1;
    QTest::newRow("space before letters") << "LE ROY"
                                          << "LEROY" << -1;
    QTest::newRow("apostrophe before letters") << "D'ALEMBERT"
                                               << "DALTON" << -1;
    QTest::newRow("accent typed as a separate mark") << "E\u0301MILE"
                                                     << "FABRE" << -1;
    QTest::newRow("separate mark after plain") << "EMILE"
                                               << "E\u0301MILE" << -1;
    // Equal to the collation, yet different texts: one fixed order, never "the same name".
    QTest::newRow("composed accent against a separate mark") << "ÉMILE"
                                                             << "E\u0301MILE" << 1;
    QTest::newRow("letter with a stroke") << "ØSTERGAARD"
                                          << "PAUL" << -1;
    QTest::newRow("equal texts") << "LÉA"
                                 << "LÉA" << 0;
    QTest::newRow("prefix first") << "MART"
                                  << "MARTIN" << -1;
    QTest::newRow("empty first") << ""
                                 << "A" << -1;
}

void TestFrenchOrder::comparesAsAFrenchReader() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, order);
    QCOMPARE(db::compareFrench(first, second), order);
    QCOMPARE(db::compareFrench(second, first), -order);
    // The engine hands UTF-8 over: the bytes must sort as the text does.
    const QByteArray a = first.toUtf8();
    const QByteArray b = second.toUtf8();
    QCOMPARE(db::compareFrenchUtf8(a.constData(), a.size(), b.constData(), b.size()), order);
    QCOMPARE(db::compareFrenchUtf8(b.constData(), b.size(), a.constData(), a.size()), -order);
}

VELMORA_TEST_GUILESS_MAIN(TestFrenchOrder)
#include "tst_frenchorder.moc"
