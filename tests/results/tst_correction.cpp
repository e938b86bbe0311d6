#include "db/Connection.h"
#include "db/DataControl.h"
#include "reports/Ranking.h"
#include "results/Correction.h"
#include "results/Deals.h"
#include "results/StoredScores.h"
#include "support/OpenedWindow.h"
#include "support/RecordingSurface.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

using results::Refusal;
using ui::MessageBox;

namespace {

const QDateTime kWhen(QDate(2026, 12, 9), QTime(23, 2, 41));
const QString kTitle = QStringLiteral("Correction des résultats|");

// Sixteen players, three rounds, each table four consecutive numbers; tables 1001 and 1002
// of round 1 stored: 10, -5, -5, 0 and 1, 2, -3, 0 in seat order.
struct Stored : OpenedWindow<results::Correction> {
    db::DataControl DataResultats;

    Stored() {
        base.drawTournament(16, 3);
        store(QStringLiteral("1001"), {"10", "-5", "-5", "0"});
        store(QStringLiteral("1002"), {"1", "2", "-3", "0"});
    }
    QList<results::ScoreRow> rows(const QString& code, const QStringList& scores) {
        const results::Table table = results::lookUpTable(DataResultats, base.path(), code);
        QList<results::ScoreRow> typed(table.players.size());
        for (int n = 0; n < table.players.size(); ++n)
            typed[n] = {QString::number(table.players[n].number), table.players[n].name,
                        scores.value(n)};
        return typed;
    }
    std::optional<Refusal> store(const QString& code, const QStringList& scores) {
        return results::storeScores(DataResultats, base.path(), code, rows(code, scores));
    }
    // The points of round 1, player by player, and every line of the log.
    QString state() {
        return base.scalar("SELECT group_concat(CodeIndividuel || '=' || Points, ' ') FROM "
                           "(SELECT * FROM Resultats ORDER BY Manche, CodeIndividuel)")
                   .toString() +
               u'#' +
               base.scalar("SELECT group_concat(Moment || ' ' || Operation || ' ' || CodeEquipe "
                           "|| ' ' || Manche || ' ' || Ancien1 || ' ' || Ancien2 || ' ' || "
                           "Ancien3 || ' ' || Ancien4 || ' ' || ifnull(Nouveau1, '-') || ' ' "
                           "|| ifnull(Nouveau4, '-'), '|') FROM CorrectionsResultats")
                   .toString();
    }
};

QString told(const std::optional<Refusal>& refusal) {
    return refusal ? refusal->title + u'|' + refusal->text : QString();
}

} // namespace

class TestCorrection : public QObject {
    Q_OBJECT
private slots:
    void refusals_data();
    void refusals();
    void correctionIsStoredLoggedAndRanked();
    void deletionLetsTheTableBeEnteredAgain();
    void aFailureMidwayChangesNothing_data();
    void aFailureMidwayChangesNothing();
    void missingTablesRoundByRound();
    void aTableOfFiveIsOneTableOfFiveScores();
    void windowCorrectsWithTheResultsWindowsKeys();
    void aCorrectedDealRescoresTheTable_data();
    void aCorrectedDealRescoresTheTable();
};

void TestCorrection::refusals_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("scores"); // empty: only looked up
    QTest::addColumn<QString>("refusal");
    const QString mistyped = QStringLiteral("Erreur de saisie|");
    // clang-format off
    QTest::newRow("empty code") << "" << QStringList{} << mistyped + "La saisie de l'équipe est obligatoire !!!";
    QTest::newRow("three characters") << "101" << QStringList{} << mistyped + "L'équipe se saisi en 4 caractères !!!";
    QTest::newRow("round 8") << "8001" << QStringList{} << mistyped + "Le premier caractère de l'équipe représente la manche,\n\nil ne peut être supérieur à 7 !!!";
    QTest::newRow("not four digits") << "1a01" << QStringList{"1", "-1", "0", "0"} << mistyped + "L'équipe ne s'écrit qu'avec des chiffres !!!\n\nLe premier est la manche (1 à 7), les trois suivants le numéro de la table (3012 : table 12 de la manche 3).";
    QTest::newRow("no such table") << "1099" << QStringList{} << mistyped + "Ce numéro d'équipe n'existe pas !!!";
    QTest::newRow("not entered yet") << "2001" << QStringList{"1", "-1", "0", "0"}
        << kTitle + "La table 2001 n'a pas encore été saisie !!!\n\nSes scores se saisissent par le menu Fichier, Saisie des résultats.";
    QTest::newRow("a score missing") << "1001" << QStringList{"1", "", "-1", "0"} << mistyped + "La saisie du score de NOM998 Jean est obligatoire !!!";
    QTest::newRow("not zero") << "1001" << QStringList{"10", "-5", "-5", "0,5"}
        << mistyped + "La somme des 4 scores devrait être égale à 0,\n\nor cette somme est égale à 0,5\n\nVeuillez reprendre !!!";
    // clang-format on
}

void TestCorrection::refusals() {
    QFETCH(QString, code);
    QFETCH(QStringList, scores);
    QFETCH(QString, refusal);
    Stored s;
    const QString before = s.state();
    if (!scores.isEmpty()) {
        QCOMPARE(told(results::correctScores(s.DataResultats, s.base.path(), code,
                                             s.rows(QStringLiteral("1001"), scores), kWhen)),
                 refusal);
        // The deletion refuses a code exactly as the correction does.
        if (!refusal.contains(u"score"))
            QCOMPARE(told(results::deleteScores(s.DataResultats, s.base.path(), code, kWhen)),
                     refusal);
    } else {
        QCOMPARE(told(results::lookUpStoredTable(s.DataResultats, s.base.path(), code).refusal),
                 refusal);
    }
    QCOMPARE(s.state(), before);
    QVERIFY(!s.DataResultats.Recordset().isOpen());
}

void TestCorrection::correctionIsStoredLoggedAndRanked() {
    Stored s;
    s.store(QStringLiteral("1003"), {"0", "0", "0", "0"});
    s.store(QStringLiteral("1004"), {"0", "0", "0", "0"});
    QVERIFY(!results::correctScores(s.DataResultats, s.base.path(), QStringLiteral("1001"),
                                    s.rows(QStringLiteral("1001"), {"12,5", "-7", "-5", "-0,5"}),
                                    kWhen));
    QCOMPARE(s.state(), "1=12.5 2=-7.0 3=-5.0 4=-0.5 5=1.0 6=2.0 7=-3.0 8=0.0 9=0.0 10=0.0 11=0.0 "
                        "12=0.0 13=0.0 14=0.0 15=0.0 16=0.0#2026-12-09 23:02:41 Correction 1001 "
                        "1 10.0 -5.0 -5.0 0.0 12.5 -0.5");
    const results::StoredTable shown =
        results::lookUpStoredTable(s.DataResultats, s.base.path(), QStringLiteral("1001"));
    QCOMPARE(QStringList(shown.scores.begin(), shown.scores.end()),
             QStringList({"12,5", "-7", "-5", "-0,5"}));
    QCOMPARE(shown.lastChange, "Dernière correction le 09/12/2026 à 23:02 : 10 ; -5 ; -5 ; 0 "
                               "devenus 12,5 ; -7 ; -5 ; -0,5.");
    // The same scores again change nothing and log nothing.
    QVERIFY(!results::correctScores(s.DataResultats, s.base.path(), QStringLiteral("1001"),
                                    s.rows(QStringLiteral("1001"), {"12,5", "-7", "-5", "-0,5"}),
                                    kWhen.addSecs(60)));
    QCOMPARE(s.base.scalar("SELECT count(*) FROM CorrectionsResultats").toInt(), 1);
    // The ranking printed next puts player 1 first with his corrected points.
    RecordingSurface paper;
    MessageBox::Script script;
    db::DataControl DataEditions, DataInscriptions;
    reports::Ranking(s.shell, DataEditions, DataInscriptions, paper).print();
    QVERIFY(paper.lines(1).contains("1:10,30  1 "));
    QVERIFY(paper.lines(1).contains("1:68,30  12,5 "));
}

void TestCorrection::deletionLetsTheTableBeEnteredAgain() {
    Stored s;
    QVERIFY(!results::deleteScores(s.DataResultats, s.base.path(), QStringLiteral("1002"), kWhen));
    QCOMPARE(s.state(), "1=10.0 2=-5.0 3=-5.0 4=0.0#2026-12-09 23:02:41 Suppression 1002 1 1.0 "
                        "2.0 -3.0 0.0 - -");
    QCOMPARE(results::lookUpStoredTable(s.DataResultats, s.base.path(), QStringLiteral("1002"))
                 .refusal->text.left(36),
             "La table 1002 n'a pas encore été sai");
    QVERIFY(!s.store(QStringLiteral("1002"), {"4", "-4", "0", "0"}));
    const results::StoredTable again =
        results::lookUpStoredTable(s.DataResultats, s.base.path(), QStringLiteral("1002"));
    QCOMPARE(again.scores[0], "4");
    QCOMPARE(again.lastChange, "Scores supprimés le 09/12/2026 à 23:02 ; ils étaient : 1 ; 2 ; "
                               "-3 ; 0.");
}

void TestCorrection::aFailureMidwayChangesNothing_data() {
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<QString>("trigger");
    QTest::newRow("correction, third score")
        << false << "BEFORE INSERT ON Resultats WHEN NEW.CodeIndividuel = 3";
    QTest::newRow("correction, the log") << false << "BEFORE INSERT ON CorrectionsResultats";
    QTest::newRow("deletion, third score")
        << true << "BEFORE DELETE ON Resultats WHEN OLD.CodeIndividuel = 3";
}

void TestCorrection::aFailureMidwayChangesNothing() {
    QFETCH(bool, deleting);
    QFETCH(QString, trigger);
    Stored s;
    s.base.connection().executeNative(
        QStringLiteral("CREATE TRIGGER panne %1 BEGIN SELECT RAISE(ABORT, 'disque plein'); END")
            .arg(trigger));
    const QString before = s.state();
    const std::optional<Refusal> refused =
        deleting
            ? results::deleteScores(s.DataResultats, s.base.path(), QStringLiteral("1001"), kWhen)
            : results::correctScores(s.DataResultats, s.base.path(), QStringLiteral("1001"),
                                     s.rows(QStringLiteral("1001"), {"9", "-4", "-5", "0"}), kWhen);
    QVERIFY(refused);
    QVERIFY2(refused->text.startsWith("Les scores de la table 1001 n'ont pas pu être modifiés") &&
                 refused->text.endsWith("\n\nLes scores enregistrés restent tels qu'ils étaient."),
             qPrintable(refused->text));
    QCOMPARE(s.state(), before);
    QVERIFY(!s.base.connection().inTransaction());
}

void TestCorrection::missingTablesRoundByRound() {
    Stored s;
    QCOMPARE(results::describe(results::roundTables(s.DataResultats, s.base.path())),
             "Manche 1 : 2 tables saisies sur 4. Manquent : 1003, 1004.\n"
             "Manche 2 : aucune table saisie sur 4.\n"
             "Manche 3 : aucune table saisie sur 4.");
    s.store(QStringLiteral("1003"), {"0", "0", "0", "0"});
    QCOMPARE(results::describe(results::roundTables(s.DataResultats, s.base.path(), 1)),
             "Manche 1 : 3 tables saisies sur 4. Manque : 1004.");
    s.store(QStringLiteral("1004"), {"0", "0", "0", "0"});
    QCOMPARE(results::describe(results::roundTables(s.DataResultats, s.base.path(), 1)),
             "Manche 1 : les 4 tables sont saisies.");
    QVERIFY(!s.DataResultats.Recordset().isOpen());
}

void TestCorrection::aTableOfFiveIsOneTableOfFiveScores() {
    Stored s;
    // Player 17 plays round 2 only, the fifth at table 2001.
    s.base.addPlayer(17, QStringLiteral("NOM983"), QStringLiteral("Jean"));
    s.base.seatTable(2001, {13, 14, 15, 16, 17});
    QVERIFY(!s.store("2001", {"8", "-2", "-2", "-2", "-2"}));
    QCOMPARE(results::describe(results::roundTables(s.DataResultats, s.base.path())),
             "Manche 1 : 2 tables saisies sur 4. Manquent : 1003, 1004.\nManche 2 : 1 table saisie "
             "sur 4. Manquent : 2002, 2003, 2004.\nManche 3 : aucune table saisie sur 4.");
    QVERIFY(!results::correctScores(s.DataResultats, s.base.path(), "2001",
                                    s.rows("2001", {"4", "-1", "-1", "-1", "-1"}), kWhen));
    QVERIFY(!results::deleteScores(s.DataResultats, s.base.path(), "1002", kWhen));
    QCOMPARE(s.base.scalar("SELECT group_concat(CodeEquipe || ' ' || ifnull(Ancien5, '-') || ' ' "
                           "|| ifnull(Nouveau5, '-'), '|') FROM CorrectionsResultats"),
             QVariant("2001 -2.0 -1.0|1002 - -"));
    QCOMPARE(results::lookUpStoredTable(s.DataResultats, s.base.path(), "2001").lastChange.mid(44),
             "8 ; -2 ; -2 ; -2 ; -2 devenus 4 ; -1 ; -1 ; -1 ; -1.");
    // A table lacking one player's score is not entered.
    s.base.connection().executeNative(
        QStringLiteral("DELETE FROM Resultats WHERE CodeIndividuel = 17"));
    QCOMPARE(results::describe(results::roundTables(s.DataResultats, s.base.path(), 2)),
             "Manche 2 : aucune table saisie sur 4.");
}

void TestCorrection::windowCorrectsWithTheResultsWindowsKeys() {
    Stored s;
    QVERIFY(s.open());
    results::Correction* w = s.window;
    QCOMPARE(w->windowTitle(), "Correction des résultats");
    QCOMPARE(w->Manquantes->toPlainText().section(u'\n', 0, 0),
             "Manche 1 : 2 tables saisies sur 4. Manquent : 1003, 1004.");
    QTest::keyClicks(w->SaisieEquipe, QStringLiteral("1001"));
    QTest::keyClick(w->SaisieEquipe, Qt::Key_Return);
    QCOMPARE((QStringList{w->Score01->text(), w->Score02->text(), w->Score03->text(),
                          w->Score04->text()}),
             QStringList({"10", "-5", "-5", "0"}));
    QCOMPARE(w->Nom01->text(), "NOM999 Jean");
    QVERIFY(!w->SaisieEquipe->isEnabled());
    QCOMPARE(QApplication::focusWidget(), w->Score01);
    // "Supprimer" asks first, "Non" by default: a hasty Enter deletes nothing.
    MessageBox::Script script;
    QTest::mouseClick(w->Supprimer, Qt::LeftButton);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().buttons, MessageBox::Buttons::NoYes);
    QVERIFY(w->Score01->isVisible());
    // Enter walks to "Valider" without selecting, as in the results window.
    w->Score01->setFocus();
    QTest::keyClick(w->Score01, Qt::Key_Backspace);
    QTest::keyClick(w->Score01, Qt::Key_Backspace);
    QTest::keyClicks(w->Score01, QStringLiteral("12"));
    QTest::keyClick(w->Score01, Qt::Key_Return);
    QTest::keyClick(w->Score02, Qt::Key_Backspace);
    QTest::keyClicks(w->Score02, QStringLiteral("7"));
    for (ui::Saisie* score : {w->Score02, w->Score03, w->Score04})
        QTest::keyClick(score, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w->Valider);
    QTest::keyClick(w->Valider, Qt::Key_Space);
    QCOMPARE(s.state().section(u'#', 0, 0).section(u' ', 0, 1), "1=12.0 2=-7.0");
    QCOMPARE(w->DerniereCorrection->text(), "Les scores de la table 1001 sont enregistrés.");
    QVERIFY(w->SaisieEquipe->isEnabled() && w->SaisieEquipe->text().isEmpty());
    QVERIFY(!w->Score01->isVisible());
}

void TestCorrection::aCorrectedDealRescoresTheTable_data() {
    QTest::addColumn<int>("deal");  // the grid's row
    QTest::addColumn<int>("taker"); // the index chosen in the list; -1 to keep it
    QTest::addColumn<int>("bouts");
    QTest::addColumn<QString>("points"); // typed
    QTest::addColumn<QString>("scores"); // of table 1003, then stored, or the refusal
    // Stored from its deals: 140, 44, -92, -92.
    // clang-format off
    QTest::newRow("the first deal failed by 1") << 0 << -1 << 2 << "40" << "-190|154|18|18";
    QTest::newRow("half points") << 0 << -1 << 2 << "41,5" << "122|50|-86|-86";
    QTest::newRow("the second deal passed") << 1 << 4 << 1 << "60" << "174|-58|-58|-58";
    QTest::newRow("beyond the deck") << 0 << -1 << 2 << "95" << "Les points du preneur se tapent au demi-point près, de 0 à 91 (par exemple 43,5).";
    QTest::newRow("three bouts in ten points") << 0 << -1 << 3 << "10" << "Avec 3 bouts, le preneur a entre 13,5 et 91 points.";
    // clang-format on
}

void TestCorrection::aCorrectedDealRescoresTheTable() {
    QFETCH(int, deal);
    QFETCH(int, taker);
    QFETCH(int, bouts);
    QFETCH(QString, points);
    QFETCH(QString, scores);
    Stored s;
    // Garde, 2 bouts, 45 by Nord; prise, 1 bout, 60 by Est; validated.
    QVERIFY(
        !results::addTableDeal(s.DataResultats, s.base.path(), "1003", db::Deal{1, 1, 2, 2, 90}));
    QVERIFY(
        !results::addTableDeal(s.DataResultats, s.base.path(), "1003", db::Deal{2, 2, 1, 1, 120}));
    const results::DealTotals totals =
        results::dealTotals(results::readDealTable(s.DataResultats, s.base.path(), "1003"), false);
    QVERIFY(!results::storeScores(s.DataResultats, s.base.path(), "1003", totals.rows));
    QVERIFY(s.open());
    results::Correction* w = s.window;
    const int width = w->width();
    QTest::keyClicks(w->SaisieEquipe, QStringLiteral("1001"));
    QTest::keyClick(w->SaisieEquipe, Qt::Key_Return);
    QVERIFY(!w->CadreDonnes->isVisible());
    QCOMPARE(w->width(), width);
    QTest::mouseClick(w->Annuler, Qt::LeftButton);
    QTest::keyClicks(w->SaisieEquipe, QStringLiteral("1003"));
    QTest::keyClick(w->SaisieEquipe, Qt::Key_Return);
    QVERIFY(w->CadreDonnes->isVisible());
    QVERIFY(w->width() > width);
    QCOMPARE(w->Donnes->rowCount(), 3); // two deals and the totals
    QCOMPARE(w->Score01->text(), "140");

    w->Donnes->setCurrentCell(deal, 0);
    if (taker >= 0)
        w->ChoixPreneur->setCurrentIndex(taker);
    w->SaisieBouts->setValue(bouts);
    w->SaisiePoints->setText(points);
    const QString before = s.state();
    MessageBox::Script script;
    QTest::mouseClick(w->CorrigerDonne, Qt::LeftButton);
    const QString stored =
        QStringList{w->Score01->text(), w->Score02->text(), w->Score03->text(), w->Score04->text()}
            .join(u'|');
    if (!scores.front().isDigit() && scores.front() != u'-') {
        QCOMPARE(script.shown().size(), 1);
        QCOMPARE(script.shown().first().text, scores);
        QCOMPARE(s.state(), before);
        QCOMPARE(stored, "140|44|-92|-92");
        return;
    }
    QVERIFY(script.shown().isEmpty());
    QCOMPARE(stored, scores);
    QCOMPARE(s.base
                 .scalar("SELECT group_concat(Points, '|') FROM (SELECT Points FROM Resultats "
                         "WHERE CodeIndividuel BETWEEN 9 AND 12 ORDER BY CodeIndividuel)")
                 .toString()
                 .remove(QStringLiteral(".0")),
             scores);
    QCOMPARE(s.base
                 .scalar("SELECT count(*) FROM CorrectionsResultats WHERE CodeEquipe = 1003 "
                         "AND Operation = 'Correction'")
                 .toInt(),
             1);
    QCOMPARE(w->Donnes->item(2, 1)->text(), scores.section(u'|', 0, 0));
}

VELMORA_TEST_MAIN(TestCorrection)
#include "tst_correction.moc"
