#include "common/Cause.h"
#include "common/Deals.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "results/Scores.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"

#include <QtTest>
#include <numeric>

using results::Refusal;

Q_DECLARE_METATYPE(db::Deal)

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

// A deal, its extras one letter each: poignées s, d, t; petit au bout A (taker), D (defence);
// chelem C (announced, made), N (made unannounced), F (announced, failed).
db::Deal deal(int number, int taker, int contract, int bouts, double points,
              const QString& extras = {}) {
    db::Deal d{number, taker, contract, bouts, int(points * 2)};
    for (const QChar c : extras) {
        d.simple += c == u's';
        d.doubled += c == u'd';
        d.triple += c == u't';
        d.petitAuBout = c == u'A' ? 1 : c == u'D' ? 2 : d.petitAuBout;
        d.chelem = c == u'C' ? 1 : c == u'N' ? 2 : c == u'F' ? 3 : d.chelem;
    }
    return d;
}

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
    void scoreDeal_data();
    void scoreDeal();
    void checkDeal_data();
    void checkDeal();
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

void TestScores::scoreDeal_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<db::Deal>("deal");
    QTest::addColumn<QList<int>>("points");
    // Worked out by hand: (25 + difference) x 1, 2, 4, 6; the taker three times a defender.
    // clang-format off
    QTest::newRow("prise, no bout, exactly 56") << 4 << deal(1, 1, 1, 0, 56) << QList<int>{75, -25, -25, -25};
    QTest::newRow("prise, no bout, half a point short") << 4 << deal(1, 1, 1, 0, 55.5) << QList<int>{-78, 26, 26, 26};
    QTest::newRow("prise, 1 bout, half a point over") << 4 << deal(1, 1, 1, 1, 51.5) << QList<int>{78, -26, -26, -26};
    QTest::newRow("garde, 1 bout, made by 10") << 4 << deal(1, 1, 2, 1, 61) << QList<int>{210, -70, -70, -70};
    QTest::newRow("garde, 2 bouts, failed by a lot") << 4 << deal(1, 1, 2, 2, 20) << QList<int>{-276, 92, 92, 92};
    QTest::newRow("garde sans, 2 bouts, 40,5") << 4 << deal(1, 1, 3, 2, 40.5) << QList<int>{-312, 104, 104, 104};
    QTest::newRow("garde contre, 3 bouts, every point") << 4 << deal(1, 1, 4, 3, 91) << QList<int>{1440, -480, -480, -480};
    QTest::newRow("another seat takes") << 4 << deal(1, 3, 1, 0, 60) << QList<int>{-29, -29, 87, -29};
    QTest::newRow("all passed") << 4 << deal(1, 0, 0, 0, 0) << QList<int>{0, 0, 0, 0};
    QTest::newRow("petit au bout, taker, made") << 4 << deal(1, 1, 1, 1, 52, "A") << QList<int>{108, -36, -36, -36};
    QTest::newRow("petit au bout, taker, failed") << 4 << deal(1, 1, 1, 1, 50, "A") << QList<int>{-48, 16, 16, 16};
    QTest::newRow("petit au bout, defence, made") << 4 << deal(1, 1, 2, 2, 45, "D") << QList<int>{114, -38, -38, -38};
    QTest::newRow("petit au bout, defence, failed") << 4 << deal(1, 1, 2, 1, 45, "D") << QList<int>{-246, 82, 82, 82};
    QTest::newRow("poignée simple, made") << 4 << deal(1, 1, 1, 2, 41, "s") << QList<int>{135, -45, -45, -45};
    QTest::newRow("poignée double, failed") << 4 << deal(1, 1, 2, 1, 50, "d") << QList<int>{-246, 82, 82, 82};
    QTest::newRow("two simples, unmultiplied") << 4 << deal(1, 2, 3, 3, 40, "ss") << QList<int>{-156, 468, -156, -156};
    QTest::newRow("five: triple and simple") << 5 << deal(1, 2, 1, 1, 51, "ts") << QList<int>{0, 255, -85, -85, -85};
    QTest::newRow("chelem announced and made") << 4 << deal(1, 1, 4, 3, 91, "CA") << QList<int>{2820, -940, -940, -940};
    QTest::newRow("chelem made unannounced") << 4 << deal(1, 1, 2, 3, 91, "N") << QList<int>{1080, -360, -360, -360};
    QTest::newRow("chelem announced and failed") << 4 << deal(1, 1, 3, 3, 80, "F") << QList<int>{228, -76, -76, -76};
    QTest::newRow("five: seat 1 deals the first") << 5 << deal(1, 2, 1, 1, 51) << QList<int>{0, 75, -25, -25, -25};
    QTest::newRow("five: seat 2 deals the seventh") << 5 << deal(7, 5, 2, 0, 50) << QList<int>{62, 0, 62, 62, -186};
    QTest::newRow("five: seat 5 deals the fifth") << 5 << deal(5, 4, 4, 2, 41) << QList<int>{-150, -150, -150, 450, 0};
    // clang-format on
}

void TestScores::scoreDeal() {
    QFETCH(int, players);
    QFETCH(db::Deal, deal);
    QFETCH(QList<int>, points);
    QCOMPARE(common::checkDeal(deal, players), std::nullopt);
    const QList<int> scored = common::scoreDeal(deal, players);
    QCOMPARE(scored, points);
    QCOMPARE(std::accumulate(scored.begin(), scored.end(), 0), 0);
}

void TestScores::checkDeal_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<db::Deal>("deal");
    QTest::addColumn<QString>("refusal");
    // clang-format off
    QTest::newRow("the dealer of five takes") << 5 << deal(3, 3, 1, 1, 60) << "Le donneur ne joue pas cette donne";
    QTest::newRow("a sixth seat") << 5 << deal(1, 6, 1, 1, 60) << "Choisissez le preneur";
    QTest::newRow("no contract") << 4 << deal(1, 1, 0, 1, 60) << "Choisissez le contrat";
    QTest::newRow("four bouts") << 4 << deal(1, 1, 1, 4, 60) << "de 0 à 3 bouts";
    QTest::newRow("more than the deck") << 4 << deal(1, 1, 1, 3, 91.5) << "entre 13,5 et 91 points";
    QTest::newRow("no bout, too many points") << 4 << deal(1, 1, 1, 0, 78) << "entre 0 et 77,5 points";
    QTest::newRow("two triples") << 4 << deal(1, 1, 1, 1, 60, "tt") << "une seule triple";
    QTest::newRow("five poignées") << 4 << deal(1, 1, 1, 1, 60, "sssdd") << "Une poignée au plus";
    QTest::newRow("simple and double at four") << 4 << deal(1, 1, 1, 1, 60, "sd") << "plus d'atouts";
    QTest::newRow("the defence's petit, 3 bouts taken") << 4 << deal(1, 1, 1, 3, 60, "D") << "au plus 2 bouts";
    QTest::newRow("the taker's petit without a bout") << 4 << deal(1, 1, 1, 0, 60, "A") << "au moins 1 bout";
    // clang-format on
}

void TestScores::checkDeal() {
    QFETCH(int, players);
    QFETCH(db::Deal, deal);
    QFETCH(QString, refusal);
    const std::optional<QString> refused = common::checkDeal(deal, players);
    QVERIFY(refused);
    QVERIFY2(refused->contains(refusal), qPrintable(*refused));
}

VELMORA_TEST_GUILESS_MAIN(TestScores)
#include "tst_scores.moc"
