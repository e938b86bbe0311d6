#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "results/Scores.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"

#include <QtTest>

using results::Refusal;

namespace {

const QString kCodeUnknown = QStringLiteral("Ce numéro d'équipe n'existe pas !!!");
const QString kNotDigits = QStringLiteral(
    "L'équipe ne s'écrit qu'avec des chiffres !!!\n\nLe premier est la manche (1 à 7), les trois "
    "suivants le numéro de la table (3012 : table 12 de la manche 3).");

// Eight players seated in rounds 1 and 3, each table in an order other than the players'
// numbers, a table of round 2 that a hand-edited file left with three players, and a table of
// five in round 4, its fifth a player who plays no other round.
struct Tournament : TestDatabase {
    db::DataControl DataResultats;

    Tournament() {
        for (int i = 1; i <= 9; ++i)
            addPlayer(i, QStringLiteral("NOM%1").arg(i), QStringLiteral("Jean"));
        seatTable(1001, {3, 2, 5, 6});
        seatTable(1002, {7, 8, 1, 4});
        seatTable(3012, {7, 2, 1, 6});
        seatTable(3001, {3, 8, 5, 4});
        seatTable(2005, {3, 8, 1});
        seatTable(4002, {7, 8, 5, 6, 9}); // the seats they hold all evening
    }
    // The table's players, as the window shows them, and the scores typed beside them.
    std::optional<Refusal> store(const QString& code, const QStringList& scores) {
        const results::Table table = results::lookUpTable(DataResultats, path(), code);
        QList<results::ScoreRow> rows(std::max<qsizetype>(results::kSeats, scores.size()));
        for (int n = 0; n < rows.size(); ++n) {
            if (n < table.players.size())
                rows[n] = {QString::number(table.players[n].number), table.players[n].name, {}};
            rows[n].score = scores.value(n);
        }
        return results::storeScores(DataResultats, path(), code, rows);
    }
    // Every stored result: round, player, points and how the points are stored.
    QString stored() {
        QStringList rows;
        auto stmt =
            connection().prepare(QStringLiteral("SELECT Manche, CodeIndividuel, Points || '', "
                                                "typeof(Points) FROM Resultats ORDER BY rowid"));
        while (stmt->step())
            rows.append(QStringLiteral("%1 %2 %3 %4")
                            .arg(stmt->column(0).toString(), stmt->column(1).toString(),
                                 stmt->column(2).toString(), stmt->column(3).toString()));
        return rows.join(u'|');
    }
};

} // namespace

class TestScores : public QObject {
    Q_OBJECT
private slots:
    void lookUpTable_data();
    void lookUpTable();
    void storeScores_data();
    void storeScores();
    void aTableIsStoredOnce();
    void aFailedWriteStoresNothing();
};

void TestScores::lookUpTable_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("players");
    const QString round = QStringLiteral(
        "Le premier caractère de l'équipe représente la manche,\n\nil ne peut être ");
    // clang-format off
    QTest::newRow("empty") << "" << "La saisie de l'équipe est obligatoire !!!" << "";
    QTest::newRow("three characters") << "301" << "L'équipe se saisi en 4 caractères !!!" << "";
    QTest::newRow("round 8") << "8001" << round + "supérieur à 7 !!!" << "";
    QTest::newRow("round 0") << "0001" << round + "égal à 0 !!!" << "";
    QTest::newRow("round never drawn") << "7001" << kCodeUnknown << "";
    QTest::newRow("table beyond the last") << "3013" << kCodeUnknown << "";
    QTest::newRow("letter inside") << "1a01" << kNotDigits << "";
    QTest::newRow("letter first, round above 7 if read") << "a001" << kNotDigits << "";
    QTest::newRow("sign") << "-001" << kNotDigits << "";
    QTest::newRow("blank") << "1 01" << kNotDigits << "";
    QTest::newRow("SQL comment") << "1;--" << kNotDigits << "";
    QTest::newRow("other digits than 0-9") << QStringLiteral("1\u0662\u0660\u0661") << kNotDigits << "";
    QTest::newRow("seat order, round 3") << "3012" << ""
        << "7 NOM7 Jean|2 NOM2 Jean|1 NOM1 Jean|6 NOM6 Jean";
    QTest::newRow("seat order, round 1") << "1002" << ""
        << "7 NOM7 Jean|8 NOM8 Jean|1 NOM1 Jean|4 NOM4 Jean";
    QTest::newRow("three players only") << "2005" << "" << "3 NOM3 Jean|8 NOM8 Jean|1 NOM1 Jean";
    // clang-format on
}

void TestScores::lookUpTable() {
    QFETCH(QString, code);
    QFETCH(QString, refusal);
    QFETCH(QString, players);
    Tournament t;
    const results::Table table = results::lookUpTable(t.DataResultats, t.path(), code);
    QCOMPARE(table.refusal ? table.refusal->text : QString(), refusal);
    if (table.refusal) {
        QCOMPARE(table.refusal->title, "Erreur de saisie");
        QCOMPARE(table.refusal->scoreRow, 0);
    }
    QStringList shown;
    for (const results::Player& p : table.players)
        shown.append(QStringLiteral("%1 %2").arg(p.number).arg(p.name));
    QCOMPARE(shown.join(u'|'), players);
    // A code that is not four digits is refused before any statement is made of it.
    if (refusal == kNotDigits || code.size() != 4)
        QVERIFY(t.DataResultats.RecordSource.isEmpty());
}

void TestScores::storeScores_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("scores");
    QTest::addColumn<QString>("refusal"); // empty: stored
    QTest::addColumn<int>("focus");
    QTest::addColumn<bool>("emptied");
    QTest::addColumn<QString>("stored");
    const auto sum = [](const char* s) {
        return QStringLiteral("La somme des 4 scores devrait être égale à 0,\n\nor cette somme "
                              "est égale à %1\n\nVeuillez reprendre !!!")
            .arg(QLatin1String(s));
    };
    const auto notANumber = [](const char* who) {
        return QStringLiteral("Le score de %1 n'est pas un nombre !!!\n\nTapez un nombre entier "
                              "ou décimal, par exemple 25, -12 ou 2,5.")
            .arg(QLatin1String(who));
    };
    // clang-format off
    QTest::newRow("whole scores, round of the code")
        << "3012" << QStringList{"10", "-5", "-5", "0"} << "" << 0 << false
        << "3 7 10.0 real|3 2 -5.0 real|3 1 -5.0 real|3 6 0.0 real";
    QTest::newRow("all zero") << "1001" << QStringList{"0", "0", "0", "0"} << "" << 0 << false
        << "1 3 0.0 real|1 2 0.0 real|1 5 0.0 real|1 6 0.0 real";
    QTest::newRow("decimal comma")
        << "3001" << QStringList{"2,5", "-1,2", "-1,3", "0"} << "" << 0 << false
        << "3 3 2.5 real|3 8 -1.2 real|3 5 -1.3 real|3 4 0.0 real";
    QTest::newRow("point, sign, blanks around; zero in decimals, not in binary")
        << "3001" << QStringList{"0.1", "+0,2", " -0,3", ",0 "} << "" << 0 << false
        << "3 3 0.1 real|3 8 0.2 real|3 5 -0.3 real|3 4 0.0 real";
    QTest::newRow("four decimals") << "3001" << QStringList{",1234", ",0006", "-,124", "-0"}
        << "" << 0 << false << "3 3 0.1234 real|3 8 0.0006 real|3 5 -0.124 real|3 4 0.0 real";
    QTest::newRow("second score missing") << "3012" << QStringList{"10", "", "-5", "-5"}
        << "La saisie du score de NOM2 Jean est obligatoire !!!" << 2 << false << "";
    QTest::newRow("only the first missing one named") << "3012" << QStringList{"x", "1", "", ""}
        << "La saisie du score de NOM1 Jean est obligatoire !!!" << 3 << false << "";
    QTest::newRow("sum 5") << "3012" << QStringList{"10", "10", "-10", "-5"} << sum("5") << 1
        << true << "";
    QTest::newRow("sum -0,1") << "3012" << QStringList{"0,1", "0,2", "-0,3", "-0,1"}
        << sum("-0,1") << 1 << true << "";
    QTest::newRow("sum 12,125") << "3012" << QStringList{"12", ",125", "0", "0"}
        << sum("12,125") << 1 << true << "";
    QTest::newRow("letters") << "3012" << QStringList{"abc", "0", "0", "0"} << notANumber("NOM7 Jean")
        << 1 << false << "";
    QTest::newRow("lone minus") << "3012" << QStringList{"0", "-", "0", "0"} << notANumber("NOM2 Jean")
        << 2 << false << "";
    QTest::newRow("lone comma") << "3012" << QStringList{"0", "0", ",", "0"} << notANumber("NOM1 Jean")
        << 3 << false << "";
    QTest::newRow("blank inside") << "3012" << QStringList{"0", "0", "0", "1 2"} << notANumber("NOM6 Jean")
        << 4 << false << "";
    QTest::newRow("two commas") << "3012" << QStringList{"1,2,3", "0", "0", "0"} << notANumber("NOM7 Jean")
        << 1 << false << "";
    QTest::newRow("exponent") << "3012" << QStringList{"1e5", "0", "0", "0"} << notANumber("NOM7 Jean")
        << 1 << false << "";
    QTest::newRow("blanks only") << "3012" << QStringList{"0", "  ", "0", "0"} << notANumber("NOM2 Jean")
        << 2 << false << "";
    QTest::newRow("five decimals") << "3012" << QStringList{"0", "0", "0", ",00001"} << notANumber("NOM6 Jean")
        << 4 << false << "";
    QTest::newRow("three players only") << "2005" << QStringList{"1", "-1", "0", "0"}
        << "La table 2005 compte 3 joueurs au lieu de 4 !!!\n\nSes scores ne peuvent pas être enregistrés."
        << 0 << false << "";
    QTest::newRow("table of five") << "4002" << QStringList{"10", "-4", "-3", "-2", "-1"} << ""
        << 0 << false << "4 7 10.0 real|4 8 -4.0 real|4 5 -3.0 real|4 6 -2.0 real|4 9 -1.0 real";
    QTest::newRow("five, the fifth missing") << "4002" << QStringList{"1", "-1", "0", "0", ""}
        << "La saisie du score de NOM9 Jean est obligatoire !!!" << 5 << false << "";
    QTest::newRow("five, sum 1") << "4002" << QStringList{"10", "-4", "-3", "-2", "0"}
        << "La somme des 5 scores devrait être égale à 0,\n\nor cette somme est égale à 1\n\nVeuillez reprendre !!!" << 1 << true << "";
    QTest::newRow("five, four of them given") << "4002" << QStringList{"1", "-1", "0", "0"}
        << "Les joueurs donnés ne sont pas ceux de la table 4002 !!!\n\nSes scores ne peuvent pas être enregistrés."
        << 0 << false << "";
    // clang-format on
}

void TestScores::storeScores() {
    QFETCH(QString, code);
    QFETCH(QStringList, scores);
    QFETCH(QString, refusal);
    QFETCH(int, focus);
    QFETCH(bool, emptied);
    QFETCH(QString, stored);
    Tournament t;
    const std::optional<Refusal> refused = t.store(code, scores);
    QCOMPARE(refused ? refused->text : QString(), refusal);
    if (refused) {
        QCOMPARE(refused->title,
                 QString(code == "2005" || refusal.startsWith("Les") ? "Saisie des résultats"
                                                                     : "Erreur de saisie"));
        QCOMPARE(refused->scoreRow, focus);
        QCOMPARE(refused->scoresEmptied, emptied);
    }
    QCOMPARE(t.stored(), stored);
}

void TestScores::aTableIsStoredOnce() {
    Tournament t;
    QVERIFY(!t.store(QStringLiteral("3012"), {"10", "-5", "-5", "0"}));
    // The other table of the round is free; the same table, even with other scores, is not.
    QVERIFY(!t.store(QStringLiteral("3001"), {"1", "-1", "0", "0"}));
    const std::optional<Refusal> again = t.store(QStringLiteral("3012"), {"4", "-4", "0", "0"});
    QVERIFY(again);
    QCOMPARE(again->text, "La saisie du score de NOM7 Jean est déjà dans la base !!!");
    QCOMPARE(again->title, "Erreur de saisie");
    QCOMPARE(again->scoreRow, 0);
    QVERIFY(!again->scoresEmptied);
    QCOMPARE(t.scalar(QStringLiteral("SELECT count(*) FROM Resultats")).toInt(), 8);
    // Round 1 is another round for the same players.
    QVERIFY(!t.store(QStringLiteral("1002"), {"4", "-4", "0", "0"}));
    // A table of five likewise, whichever of its players already holds a score of the round.
    t.connection().executeNative("INSERT INTO Resultats (Manche, CodeIndividuel) VALUES (4, 5)");
    QCOMPARE(t.store("4002", {"1", "-1", "0", "0", "0"}).value_or(Refusal{}).text,
             "La saisie du score de NOM5 Jean est déjà dans la base !!!");
    QCOMPARE(t.scalar("SELECT count(*) FROM Resultats WHERE Manche = 4").toInt(), 1);
}

void TestScores::aFailedWriteStoresNothing() {
    Tournament t;
    // The third of the four writes fails, as a full disk would make it.
    t.connection().executeNative(QStringLiteral(
        "CREATE TRIGGER plein BEFORE INSERT ON Resultats WHEN (SELECT count(*) FROM Resultats) = 2 "
        "BEGIN SELECT RAISE(ABORT, 'disque plein'); END"));
    common::setLogDirectory(t.directory());
    const std::optional<Refusal> failed = t.store(QStringLiteral("3012"), {"10", "-5", "-5", "0"});
    common::setLogDirectory(QString());
    QVERIFY(failed);
    QCOMPARE(failed->title, "Saisie des résultats");
    // The organiser reads the cause in French; the engine's own words go to the log.
    QVERIFY2(
        failed->text.startsWith(
            "Les scores de la table 3012 n'ont pas pu être enregistrés "
            ": le fichier du tournoi a refusé l'opération (le détail est noté dans Velmora.log)"),
        qPrintable(failed->text));
    QFile log(t.directory() + QStringLiteral("Velmora.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(log.readAll()).contains("disque plein"));
    QVERIFY(failed->text.endsWith("\n\nAucun des quatre scores n'a été enregistré ; la table "
                                  "peut être validée à nouveau."));
    QCOMPARE(t.stored(), "");
    t.connection().executeNative(QStringLiteral("DROP TRIGGER plein"));
    QVERIFY(!t.store(QStringLiteral("3012"), {"10", "-5", "-5", "0"}));
    QCOMPARE(t.stored(), "3 7 10.0 real|3 2 -5.0 real|3 1 -5.0 real|3 6 0.0 real");
}

VELMORA_TEST_GUILESS_MAIN(TestScores)
#include "tst_scores.moc"
