#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/PlayerKeys.h"
#include "reports/SeasonRanking.h"
#include "support/FakeShell.h"
#include "support/PrintReport.h"
#include "support/RecordingSurface.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QtTest>

using ui::MessageBox;

namespace {

const QString kImpossible = QStringLiteral("\n\nEdition impossible !!!");

// A tournament file, the main window as the reports see it, and the paper they draw on.
struct Editions : TestDatabase {
    FakeShell shell{directory()};
    db::DataControl DataEditions;
    db::DataControl DataInscriptions;
    RecordingSurface Printer;
    MessageBox::Script script;

    Editions() { Printer.log = &shell.log; }

    void print(const QString& report) {
        printReport(report, shell, DataEditions, DataInscriptions, Printer);
    }
    // Every seated player scores his own number in each of these rounds.
    void score(const QList<int>& rounds, int upToPlayer = 9999) {
        for (const int r : rounds)
            connection().executeNative(
                QStringLiteral("INSERT INTO Resultats SELECT ?1, CodeIndividuel, CodeIndividuel "
                               "FROM Inscriptions WHERE Position > 0 AND CodeIndividuel <= ?2"),
                {r, upToPlayer});
    }
    void run(const QString& sql) {
        for (const QString& statement : sql.split(u';', Qt::SkipEmptyParts))
            connection().executeNative(statement);
    }
    QString messages() const {
        QStringList texts;
        for (const MessageBox::Shown& box : script.shown())
            if (box.icon != MessageBox::Icon::Input)
                texts.append(box.title + u'|' + box.text);
        return texts.join(u'#');
    }
};

// The printed result against what a row of a test expects; a first failure ends the test.
#define VERIFY_PRINTED(...)                                                                        \
    do {                                                                                           \
        verify(__VA_ARGS__);                                                                       \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

void verify(const Editions& e, const QString& message, const QList<int>& pages,
            const QStringList& present, const QStringList& absent, bool withFont = false) {
    QCOMPARE(e.messages(), message);
    QCOMPARE(e.Printer.pages, pages);
    const QStringList lines = e.Printer.lines(1, withFont);
    for (const QString& line : present)
        QVERIFY2(lines.contains(line), qPrintable(line));
    for (const QString& line : absent)
        QVERIFY2(!lines.contains(line), qPrintable(line));
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void mainWindowEndsAsItBegan_data();
    void mainWindowEndsAsItBegan();
    void aDamagedFileEndsTheReportCleanly();
    void tableList_data();
    void tableList();
    void scoreSheets_data();
    void scoreSheets();
    void filledScoreSheets_data();
    void filledScoreSheets();
    void ranking_data();
    void ranking();
    void seasonRanking_data();
    void seasonRanking();
    void routeCards_data();
    void routeCards();
};

void TestReports::mainWindowEndsAsItBegan_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("failAtEndDoc");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("killed");
    const QStringList refused = {"hourglass", "cartes hidden", "cartes shown", "arrow"};
    const QStringList printed = {
        "hourglass",      "cartes hidden", "message shown", "document started",
        "message hidden", "cartes shown",  "arrow"};
    QStringList threeDocuments = printed;
    threeDocuments.insert(4, "document started");
    threeDocuments.insert(4, "document started");
    QStringList failedAtSecond = printed;
    failedAtSecond.insert(4, "document started");
    QTest::newRow("list refused") << "table list" << 0 << 0 << refused << 0;
    QTest::newRow("list printed") << "table list" << 8 << 0 << threeDocuments << 0;
    QTest::newRow("list, printer fails at the second round")
        << "table list" << 8 << 2 << failedAtSecond << 1;
    QTest::newRow("sheets refused") << "score sheets" << 0 << 0 << refused << 0;
    QTest::newRow("sheets printed") << "score sheets" << 4 << 0 << printed << 0;
    QTest::newRow("ranking refused") << "ranking" << 8 << 0 << refused << 0;
    QTest::newRow("ranking printed") << "ranking" << -8 << 0 << printed << 0;
}

void TestReports::mainWindowEndsAsItBegan() {
    QFETCH(QString, report);
    QFETCH(int, players);
    QFETCH(int, failAtEndDoc);
    Editions e;
    e.drawTournament(qAbs(players), 3);
    if (players < 0)
        e.score({1});
    e.Printer.failAtEndDoc = failAtEndDoc;
    e.script.answerInput(QStringLiteral("1"));
    e.print(report);

    QTEST(e.shell.log, "log");
    QTEST(e.Printer.killed, "killed");
    QVERIFY(!e.DataEditions.Recordset().isOpen());
    QVERIFY(!e.DataInscriptions.Recordset().isOpen());
    if (failAtEndDoc)
        QCOMPARE(e.messages(),
                 "Edition de la liste des tables|L'impression s'est arrêtée : le disque est "
                 "plein.\n\nRelancez l'édition une fois le problème réglé.");
}

void TestReports::aDamagedFileEndsTheReportCleanly() {
    Editions e;
    e.drawTournament(8, 3);
    e.run(QStringLiteral("DROP TABLE Parametres"));
    e.print(QStringLiteral("table list"));
    QVERIFY(
        e.messages().startsWith("Edition de la liste des tables|Le tournoi n'a pas pu être lu : "));
    QVERIFY(e.messages().endsWith(kImpossible));
    QCOMPARE(e.shell.log, QStringList({"hourglass", "cartes hidden", "cartes shown", "arrow"}));
    QVERIFY(e.Printer.pages.isEmpty());
    QVERIFY(!e.DataEditions.Recordset().isOpen());
}

void TestReports::tableList_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    const QString title = QStringLiteral("Edition de la liste des tables|");
    // clang-format off
    QTest::newRow("no registration") << 0 << "" << title + "Il n'y a aucun inscrit !!!" + kImpossible
        << QList<int>{} << QStringList{} << QStringList{};
    QTest::newRow("no draw") << 8 << "UPDATE Inscriptions SET CodeEquipe01 = 0"
        << title + "La constitution des tables n'est pas faite !!!" + kImpossible
        << QList<int>{} << QStringList{} << QStringList{};
    // Player 8 comes first by name; each table holds four consecutive numbers.
    QTest::newRow("8 players, 3 rounds") << 8 << "" << "" << QList<int>{1, 1, 1}
        << QStringList{"1:10,0 Page : 1 / 1", "1:10,10 Liste des tables de la manche n° 1",
                       "1:9,25 Code", "1:25,25 Nom, prénom", "1:67,25 Position", "1:87,25 Table",
                       "1:10,30  8 ", "1:20,30 NOM992 Jean", "1:68,30 Ouest", "1:90,30 002",
                       "1:10,65  1 ", "1:68,65 Nord", "1:90,65 001"}
        << QStringList{"1:104,25 Code", "1:10,70  0 "};
    // A late registrant sits first among the table's keys (no seat), not in the list.
    QTest::newRow("registered after the draw") << 8
        << "INSERT INTO Inscriptions (rowid, CodeIndividuel, Nom, Prenom, Position) VALUES (-1, 9, 'AAA', 'Zoé', 0)"
        << "" << QList<int>{1, 1, 1} << QStringList{"1:10,30  8 ", "1:10,65  1 "}
        << QStringList{"1:20,30 AAA Zoé", "1:10,70  1 "};
    QTest::newRow("same surname, by first name") << 8
        << "UPDATE Inscriptions SET Nom = 'AAA', Prenom = 'Paul' WHERE CodeIndividuel = 1;"
           "UPDATE Inscriptions SET Nom = 'AAA', Prenom = 'Albert' WHERE CodeIndividuel = 2"
        << "" << QList<int>{1, 1, 1}
        << QStringList{"1:20,30 AAA Albert", "1:20,35 AAA Paul", "1:10,40  8 "} << QStringList{};
    QTest::newRow("52 players") << 52 << "" << "" << QList<int>{1, 1, 1}
        << QStringList{"1:104,25 Code", "1:182,25 Table", "1:10,275  3 ", "1:105,30  2 ",
                       "1:115,35 NOM999 Jean", "1:163,35 Nord", "1:185,35 001"}
        << QStringList{"1:105,40  0 "};
    QTest::newRow("100 players") << 100 << "" << "" << QList<int>{1, 1, 1}
        << QStringList{"1:10,0 Page : 1 / 1", "1:105,275  1 "} << QStringList{};
    QTest::newRow("100 seated, 4 registered after the draw") << 100
        << "INSERT INTO Inscriptions (CodeIndividuel, Nom, Prenom, Position) SELECT CodeIndividuel + 100, Nom, Prenom, 0 FROM Inscriptions WHERE CodeIndividuel <= 4"
        << "" << QList<int>{1, 1, 1} << QStringList{"1:10,0 Page : 1 / 1", "1:104,25 Code"}
        << QStringList{"1:10,0 Page : 1 / 2"};
    QTest::newRow("48 seated, 4 registered after the draw") << 48
        << "INSERT INTO Inscriptions (CodeIndividuel, Nom, Prenom, Position) SELECT CodeIndividuel + 48, Nom, Prenom, 0 FROM Inscriptions WHERE CodeIndividuel <= 4"
        << "" << QList<int>{1, 1, 1} << QStringList{"1:10,265  1 "} << QStringList{"1:104,25 Code"};
    // Seats taken back by hand from the last two: 150 expected, so exactly 50 left for page 2,
    // which shows its left headings only, whatever rows the codes still give.
    QTest::newRow("exactly 50 left for a page") << 152
        << "UPDATE Inscriptions SET Position = 0 WHERE CodeIndividuel > 150"
        << "" << QList<int>{2, 2, 2}
        << QStringList{"1:104,25 Code", "2:10,0 Page : 2 / 2", "2:9,25 Code", "2:105,30  2 "}
        << QStringList{"2:104,25 Code"};
    QTest::newRow("a table of five") << 9 << "UPDATE Inscriptions SET Position = 5, Position2 = 'Cinquième', CodeEquipe01 = 1002, CodeEquipe02 = 2001, CodeEquipe03 = 3002 WHERE CodeIndividuel = 9"
        << "" << QList<int>{1, 1, 1} << QStringList{"1:10,30  9 ", "1:68,30 Cinquième", "1:90,30 002", "1:10,70  1 "} << QStringList{};
    QTest::newRow("round 3 not drawn") << 8 << "UPDATE Inscriptions SET CodeEquipe03 = 0"
        << title + "La manche 3 n'a pas été tirée !!!\n\nRien n'a été imprimé pour cette manche. "
                   "Pour la tirer sans toucher aux manches jouées : menu Fichier, Arrivées et "
                   "départs, « Refaire les manches à venir »."
        << QList<int>{1, 1} << QStringList{"1:10,30  8 "} << QStringList{};
    QTest::newRow("104 players") << 104 << "" << "" << QList<int>{2, 2, 2}
        << QStringList{"1:10,0 Page : 1 / 2", "2:10,0 Page : 2 / 2",
                       "2:10,10 Liste des tables de la manche n° 1", "2:9,25 Code",
                       "2:10,30  4 ", "2:10,45  1 "}
        << QStringList{"2:104,25 Code", "2:10,50  0 "};
    // clang-format on
}

void TestReports::tableList() {
    QFETCH(int, players);
    QFETCH(QString, sql);
    Editions e;
    e.drawTournament(players, 3);
    e.run(sql);
    e.print(QStringLiteral("table list"));
    QFETCH(QString, message);
    QFETCH(QList<int>, pages);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    VERIFY_PRINTED(e, message, pages, present, absent);
    // A name has the room up to the seat's column; nothing else is held in.
    for (const auto& t : e.Printer.texts)
        if (t.y >= 30)
            QCOMPARE(t.width, t.x == 20 || t.x == 115 ? 47.0 : 0.0);
    if (message.isEmpty() && !pages.isEmpty()) {
        QCOMPARE(e.Printer.documentNames.last(), "Liste des tables - manche 3");
        QVERIFY(e.Printer.lines(3).contains("1:10,10 Liste des tables de la manche n° 3"));
        // Every row in Times New Roman 12, regular; the headings in Arial 10.
        QCOMPARE(e.Printer.lines(1, true).filter("1:10,30 Times New Roman 12  ").size(), 1);
        QVERIFY(e.Printer.lines(1, true).contains("1:9,25 Arial 10 Code"));
    }
}

void TestReports::scoreSheets_data() {
    QTest::addColumn<QString>("answer"); // "cancel" cancels the input box
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("document"); // the sheet looked at, from 1
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<int>("boxes"); // of that sheet
    const QString title = QStringLiteral("Edition des grilles de comptage des points|");
    const QString noRound = QStringLiteral("Erreur de saisie|Numéro de manche inexistant !!!");
    const QList<int> twelve(12, 1);
    // clang-format off
    QTest::newRow("no registration") << "1" << "DELETE FROM Inscriptions" << title + "Il n'y a aucun inscrit !!!" + kImpossible
        << 0 << QList<int>{} << QStringList{} << 0;
    QTest::newRow("no draw") << "1" << "UPDATE Inscriptions SET CodeEquipe01 = 0"
        << title + "La constitution des tables n'est pas faite !!!" + kImpossible
        << 0 << QList<int>{} << QStringList{} << 0;
    // A table code's round digit is checked as a round: 4001 beyond the 3 rounds, 0001, 8001.
    for (const char* answer : {"", " 1", "1 ", "03", "8", "a", "-1", "cancel", "4", "4001", "0001",
                               "8001", "30l2", "30012", " 3012"})
        QTest::newRow(qPrintable(QStringLiteral("answer '%1'").arg(answer))) << answer << "" << noRound
            << 0 << QList<int>{} << QStringList{} << 0;
    // 48 players, 12 tables a round, seats turned round so that seat order is not number order.
    const QString turned = "UPDATE Inscriptions SET Position = 5 - Position, Position2 = CASE "
        "Position2 WHEN 'Nord' THEN 'Ouest' WHEN 'Est' THEN 'Sud' WHEN 'Sud' THEN 'Est' ELSE 'Nord' END";
    QTest::newRow("table 12 of round 3") << "3" << turned << "" << 12 << twelve
        << QStringList{"1:10,10 Grille de comptage des points", "1:10,25 Manche n° :", "1:33,24 3",
                       "1:70,25 Table n° :", "1:90,24 012", "1:140,25 Equipe n° :", "1:162,24  3012 ",
                       "1:10,40  40 ", "1:25,40 NOM960", "1:60,40 Jean", "1:100,40 Nord",
                       "1:10,55  37 ", "1:100,55 Ouest", "1:68,78  40 ", "1:128,78  37 ",
                       "1:42,88 Partie 01", "1:42,228 Partie 15", "1:44,243 Total :"}
        << 84;
    // A lost sheet printed again alone, by its table's code.
    QTest::newRow("table 3012 alone") << "3012" << turned << "" << 1 << QList<int>{1}
        << QStringList{"1:90,24 012", "1:162,24  3012 ", "1:10,40  40 ", "1:25,40 NOM960",
                       "1:100,40 Nord", "1:10,55  37 ", "1:44,243 Total :"} << 84;
    QTest::newRow("table 1001 alone, the first") << "1001" << "" << "" << 1 << QList<int>{1}
        << QStringList{"1:162,24  1001 ", "1:10,40  1 ", "1:10,55  4 "} << 84;
    QTest::newRow("a table not drawn") << "3013" << "" << "Erreur de saisie|Numéro de table "
        "inexistant !!!\n\nLes tables de la manche 3 vont de 3001 à 3012." << 0 << QList<int>{}
        << QStringList{} << 0;
    QTest::newRow("table 000") << "2000" << "" << "Erreur de saisie|Numéro de table "
        "inexistant !!!\n\nLes tables de la manche 2 vont de 2001 à 2012." << 0 << QList<int>{}
        << QStringList{} << 0;
    QTest::newRow("a table of a round not drawn") << "3001" << "UPDATE Inscriptions SET CodeEquipe03 = 0"
        << title + "La manche 3 n'a pas été tirée !!!\n\nRien n'a été imprimé pour cette manche. "
                   "Pour la tirer sans toucher aux manches jouées : menu Fichier, Arrivées et "
                   "départs, « Refaire les manches à venir »." << 0 << QList<int>{} << QStringList{} << 0;
    QTest::newRow("no deal") << "1" << "UPDATE Parametres SET Parties = 0" << "" << 1 << twelve
        << QStringList{"1:44,93 Total :", "1:33,24 1"} << 9;
    QTest::newRow("negative deals") << "1" << "UPDATE Parametres SET Parties = -3" << "" << 1 << twelve
        << QStringList{"1:44,93 Total :"} << 9;
    QTest::newRow("round not drawn") << "3" << "UPDATE Inscriptions SET CodeEquipe03 = 0"
        << title + "La manche 3 n'a pas été tirée !!!\n\nRien n'a été imprimé pour cette manche. "
                   "Pour la tirer sans toucher aux manches jouées : menu Fichier, Arrivées et "
                   "départs, « Refaire les manches à venir »." << 0 << QList<int>{} << QStringList{} << 0;
    QTest::newRow("a table of three") << "2" << "UPDATE Inscriptions SET CodeEquipe02 = 0 WHERE CodeIndividuel = 5"
        << title + "La table 2003 n'a pas quatre joueurs !!!\n\nSa grille n'a pas été imprimée ; les autres l'ont été."
        << 2 << QList<int>(11, 1) << QStringList{"1:162,24  2002 "} << 84;
    // Player 49 the fifth of table 12: deal d sat out by seat ((d - 1) mod 5) + 1.
    QTest::newRow("a table of five") << "1012" << "INSERT INTO Inscriptions (CodeIndividuel, Nom, Prenom, Position, Position2, CodeEquipe01) VALUES (49, 'AAA', 'Zoé', 5, 'Cinquième', 1012)"
        << "" << 1 << QList<int>{1} << QStringList{"1:10,60  49 ", "1:100,60 Cinquième", "1:64,78  45 ", "1:128,78  49 ", "1:65,88 mort",
           "1:81,98 mort", "1:97,108 mort", "1:113,118 mort", "1:129,128 mort", "1:65,138 mort",
           "1:40,252 À chaque donne, le joueur marqué « mort » donne et ne joue pas."} << 101;
    // clang-format on
}

void TestReports::scoreSheets() {
    QFETCH(QString, answer);
    QFETCH(QString, sql);
    QFETCH(int, document);
    Editions e;
    e.drawTournament(48, 3, 15);
    e.run(sql);
    e.script.answerInput(answer == u"cancel" ? std::nullopt : std::optional<QString>(answer));
    e.print(QStringLiteral("score sheets"));
    QFETCH(QString, message);
    QFETCH(QList<int>, pages);
    QFETCH(QStringList, present);
    RecordingSurface& p = e.Printer;
    QCOMPARE(e.messages(), message);
    QCOMPARE(p.pages, pages);
    // The sheets in ascending table code, the round's in one file.
    for (int i = 1; i < p.pages.size(); ++i)
        QVERIFY(p.lines(i).filter("1:162,24 ") < p.lines(i + 1).filter("1:162,24 "));
    if (!pages.isEmpty())
        QCOMPARE(p.documentNames.last(), answer.size() == 4
                                             ? "Grille de comptage - table " + answer
                                             : "Grilles de comptage - manche " + answer);
    if (!document)
        return;
    for (const QString& line : present)
        QVERIFY2(p.lines(document).contains(line), qPrintable(line));
    // Surname and first name each kept out of the next column.
    for (const auto& t : p.texts)
        if (t.document == document && t.y >= 40 && t.y <= 55)
            QCOMPARE(t.width, t.x == 25 ? 34.0 : t.x == 60 ? 39.0 : 0.0);
    QFETCH(int, boxes);
    QList<RecordingSurface::Box> sheet;
    for (const auto& box : p.boxes)
        if (box.document == document)
            sheet.append(box);
    QCOMPARE(sheet.size(), boxes);
    // Every cell 20 by 10 (a player's 16 at a table of five), drawn 3 pixels wide; the total
    // row closes the grid. The players' numbers in bold, one mark "mort" in each deal of five.
    const QStringList numbers = p.lines(document, true).filter(QRegularExpression("^1:\\d+,78 "));
    const int seats = int(numbers.size());
    const double width = seats == 5 ? 16 : 20;
    const int deals = (boxes - 2 * seats - 1) / (seats + 1);
    QCOMPARE(p.lines(document).filter(QRegularExpression(" mort$")).size(), seats == 5 ? deals : 0);
    for (const auto& box : sheet) {
        QCOMPARE(box.x2 - box.x1, box.x1 < 60 ? 20.0 : width);
        QCOMPARE(box.y2 - box.y1, 10.0);
        QCOMPARE(box.width, 3);
    }
    QCOMPARE(sheet.first().x1, 60.0);
    QCOMPARE(sheet.first().y1, 75.0);
    QCOMPARE(sheet.last().x1, 140 - width);
    QCOMPARE(sheet.last().y1, 90.0 + 10 * deals);
    for (const QString& number : numbers)
        QVERIFY2(number.contains(",78 Times New Roman 12 bold "), qPrintable(number));
}

void TestReports::filledScoreSheets_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("filled"); // the question answered Yes
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("sheets");
    QTest::addColumn<QStringList>("present"); // on the first sheet
    QTest::addColumn<QStringList>("absent");
    const QString one = QStringLiteral("Editions|La table 1002 a été saisie donne par donne.\n\n"
                                       "Imprimer sa grille remplie, à faire signer par la table "
                                       "?\n\n");
    // Table 1002 (players 5 to 8): garde, 2 bouts, 45 by Nord; prise, 1 bout, 48,5 by Sud, the
    // petit au bout to the defence; a deal all passed.
    const QStringList grid{"1:162,24  1002 ",
                           "1:61,88 174",
                           "1:81,88 -58",
                           "1:142,88 Nord, Garde, 2 b., 45 pts",
                           "1:101,98 -114",
                           "1:121,98 38",
                           "1:142,98 Sud, Prise, 1 b., 48,5 pts",
                           "1:142,108 Donne passée",
                           "1:61,243 212",
                           "1:81,243 -20",
                           "1:101,243 -172",
                           "1:121,243 -20",
                           "1:40,252 Grille remplie d'après les 3 donnes saisies à la table.",
                           "1:40,260 Signatures :"};
    // clang-format off
    QTest::newRow("the round, filled") << "1" << true << one + "Non : les grilles vides de toute la manche." << 1 << grid << QStringList{};
    QTest::newRow("the round, blank") << "1" << false << one + "Non : les grilles vides de toute la manche." << 12
        << QStringList{"1:162,24  1001 ", "1:44,243 Total :"} << QStringList{"1:61,88 174"};
    QTest::newRow("the table alone, filled") << "1002" << true << one + "Non : sa grille vide." << 1 << grid << QStringList{};
    QTest::newRow("another table, no question") << "1003" << false << "" << 1
        << QStringList{"1:162,24  1003 "} << QStringList{"1:40,260 Signatures :"};
    // clang-format on
}

void TestReports::filledScoreSheets() {
    QFETCH(QString, answer);
    QFETCH(bool, filled);
    QFETCH(QString, question);
    QFETCH(int, sheets);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    Editions e;
    e.drawTournament(48, 3, 15);
    e.run("INSERT INTO Donnes VALUES (1002, 1, 1, 1, 2, 2, 45, 0, 0, 0, 0, 0);"
          "INSERT INTO Donnes VALUES (1002, 1, 2, 3, 1, 1, 48.5, 0, 0, 0, 2, 0);"
          "INSERT INTO Donnes VALUES (1002, 1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0)");
    e.script.answerInput(answer);
    e.script.answer(filled ? MessageBox::Answer::Yes : MessageBox::Answer::No);
    e.print(QStringLiteral("score sheets"));
    QCOMPARE(e.messages(), question);
    QCOMPARE(e.Printer.pages.size(), sheets);
    const QStringList lines = e.Printer.lines(1);
    for (const QString& line : present)
        QVERIFY2(lines.contains(line), qPrintable(line));
    for (const QString& line : absent)
        QVERIFY2(!lines.contains(line), qPrintable(line));
}

void TestReports::ranking_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QList<int>>("rounds"); // scored in full
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    const QString title = QStringLiteral("Edition des résultats|");
    const QString t12 = QStringLiteral("Times New Roman 12 ");
    // clang-format off
    QTest::newRow("no result") << 16 << QList<int>{} << ""
        << title + "Il n'y a aucun résultat de saisi !!!" + kImpossible << QList<int>{} << QStringList{} << QStringList{};
    QTest::newRow("round 2 incomplete") << 16 << QList<int>{1} << "INSERT INTO Resultats SELECT 2, CodeIndividuel, 0 FROM Inscriptions WHERE CodeIndividuel <= 12"
        << title + "Il manque des résultats de la manche 2" + kImpossible << QList<int>{} << QStringList{} << QStringList{};
    QTest::newRow("round 2 with one row too many") << 16 << QList<int>{1, 2} << "INSERT INTO Resultats VALUES (2, 1, 0)"
        << title + "Il manque des résultats de la manche 2" + kImpossible << QList<int>{} << QStringList{} << QStringList{};
    QTest::newRow("rounds 1 and 2, round 3 empty") << 16 << QList<int>{1, 2} << "" << "" << QList<int>{1}
        << QStringList{"1:10,0 Times New Roman 12 bold Page : 1 / 1",
                       "1:10,10 Times New Roman 18 bold Résultats des manches 1 et 2",
                       "1:9,25 Arial 10 Code", "1:25,25 Arial 10 Nom, prénom", "1:67,25 Arial 10 Score",
                       "1:10,30 " + t12 + "bold  16 ", "1:20,30 " + t12 + "bold NOM984 Jean",
                       "1:68,30 " + t12 + "bold  32 ", "1:10,35 " + t12 + " 15 ", "1:10,105 " + t12 + " 1 "}
        << QStringList{"1:104,25 Arial 10 Code"};
    QTest::newRow("18 registered, 16 seated") << 18 << QList<int>{1} << "" << "" << QList<int>{1}
        << QStringList{"1:10,10 Times New Roman 18 bold Résultats de la manche 1"} << QStringList{};
    QTest::newRow("four registered after the draw") << 16 << QList<int>{1}
        << "INSERT INTO Inscriptions (CodeIndividuel, Nom, Prenom, Position) SELECT CodeIndividuel + 16, Nom, Prenom, 0 FROM Inscriptions WHERE CodeIndividuel <= 4"
        << "" << QList<int>{1} << QStringList{"1:10,105 " + t12 + " 1 "} << QStringList{};
    QTest::newRow("equal totals") << 16 << QList<int>{1} << "UPDATE Resultats SET Points = 2.5" << "" << QList<int>{1}
        << QStringList{"1:10,30 " + t12 + "bold  1 ", "1:68,30 " + t12 + "bold  2,5 ",
                       "1:10,35 " + t12 + " 2 ", "1:68,35 " + t12 + " 2,5 "} << QStringList{};
    // 0,1 + 0,2 is 0,30000000000000004 in binary: it ties with 0,3 all the same.
    QTest::newRow("totals in decimal") << 16 << QList<int>{1, 2}
        << "UPDATE Resultats SET Points = 0.3 WHERE CodeIndividuel = 1 AND Manche = 1;"
           "UPDATE Resultats SET Points = 0 WHERE CodeIndividuel = 1 AND Manche = 2;"
           "UPDATE Resultats SET Points = 0.1 WHERE CodeIndividuel = 2 AND Manche = 1;"
           "UPDATE Resultats SET Points = 0.2 WHERE CodeIndividuel = 2 AND Manche = 2;"
           "UPDATE Resultats SET Points = -12.25 WHERE CodeIndividuel = 3"
        << "" << QList<int>{1}
        << QStringList{"1:10,95 " + t12 + " 1 ", "1:68,95 " + t12 + " 0,3 ", "1:10,100 " + t12 + " 2 ",
                       "1:68,100 " + t12 + " 0,3 ", "1:10,105 " + t12 + " 3 ", "1:68,105 " + t12 + "-24,5 "}
        << QStringList{};
    QTest::newRow("player not registered") << 16 << QList<int>{1} << "UPDATE Resultats SET CodeIndividuel = 99 WHERE CodeIndividuel = 16"
        << "" << QList<int>{1} << QStringList{"1:10,30 " + t12 + "bold  99 ", "1:20,35 " + t12 + "NOM985 Jean"}
        << QStringList{"1:20,30 " + t12 + "bold NOM984 Jean"};
    QTest::newRow("52 seated") << 52 << QList<int>{1} << "" << "" << QList<int>{1}
        << QStringList{"1:104,25 Arial 10 Code", "1:162,25 Arial 10 Score", "1:10,275 " + t12 + " 3 ",
                       "1:105,30 " + t12 + " 2 ", "1:115,35 " + t12 + "NOM999 Jean", "1:163,35 " + t12 + " 1 "}
        << QStringList{};
    QTest::newRow("100 seated") << 100 << QList<int>{1} << "" << "" << QList<int>{1}
        << QStringList{"1:10,0 Times New Roman 12 bold Page : 1 / 1", "1:105,275 " + t12 + " 1 "} << QStringList{};
    QTest::newRow("104 seated") << 104 << QList<int>{1} << "" << "" << QList<int>{2}
        << QStringList{"1:10,0 Times New Roman 12 bold Page : 1 / 2", "2:10,0 Times New Roman 12 bold Page : 2 / 2",
                       "2:10,10 Times New Roman 18 bold Résultats de la manche 1", "2:9,25 Arial 10 Code",
                       "2:10,30 " + t12 + " 4 ", "2:10,45 " + t12 + " 1 "}
        << QStringList{"2:104,25 Arial 10 Code"};
    QTest::newRow("rounds 1 and 3") << 16 << QList<int>{1, 3} << "" << "" << QList<int>{1}
        << QStringList{"1:10,30 " + t12 + "bold  16 ", "1:68,30 " + t12 + "bold  32 "}
        << QStringList{};
    QTest::newRow("round 3 alone: no title") << 16 << QList<int>{3} << "" << "" << QList<int>{1}
        << QStringList{"1:68,30 " + t12 + "bold  16 "} << QStringList{};
    QTest::newRow("rounds 1 and 5: no title") << 16 << QList<int>{1, 5} << "" << "" << QList<int>{1}
        << QStringList{"1:68,30 " + t12 + "bold  32 "} << QStringList{};
    QTest::newRow("round 2 empty, one table of round 3") << 16 << QList<int>{1}
        << "INSERT INTO Resultats SELECT 3, CodeIndividuel, 0 FROM Inscriptions WHERE CodeIndividuel <= 4"
        << title + "Il manque des résultats de la manche 3" + kImpossible << QList<int>{} << QStringList{} << QStringList{};
    // Player 17 the fifth of table 4 in round 1, then gone: both rounds complete.
    QTest::newRow("a table of five, then gone") << 16 << QList<int>{1, 2}
        << "INSERT INTO Inscriptions (CodeIndividuel, Nom, Prenom, Position, Position2, CodeEquipe01) VALUES (17, 'AAA', 'Zoé', 5, 'Cinquième', 1004);INSERT INTO Resultats VALUES (1, 17, -17)"
        << "" << QList<int>{1} << QStringList{"1:10,110 " + t12 + " 17 ", "1:20,110 " + t12 + "AAA Zoé", "1:68,110 " + t12 + "-17 "} << QStringList{};
    QTest::newRow("totals beyond any score") << 16 << QList<int>{1}
        << "UPDATE Resultats SET Points = 1e20 WHERE CodeIndividuel = 2;"
           "UPDATE Resultats SET Points = -9.3e14 WHERE CodeIndividuel = 3"
        << "" << QList<int>{1}
        << QStringList{"1:68,30 " + t12 + "bold  100000000000000000000 ",
                       "1:68,105 " + t12 + "-930000000000000 "} << QStringList{};
    // clang-format on
}

void TestReports::ranking() {
    QFETCH(int, players);
    QFETCH(QList<int>, rounds);
    QFETCH(QString, sql);
    Editions e;
    e.drawTournament(players, 3);
    e.score(rounds);
    e.run(sql);
    e.print(QStringLiteral("ranking"));
    QFETCH(QString, message);
    QFETCH(QList<int>, pages);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    VERIFY_PRINTED(e, message, pages, present, absent, true);
    if (pages.isEmpty())
        return;
    for (const auto& t : e.Printer.texts)
        if (t.y >= 30)
            QCOMPARE(t.width, t.x == 20 || t.x == 115 ? 47.0 : 0.0);
    // The leader alone in bold; the title line empty when the rounds are not 1 to n.
    int bold = 0;
    for (const auto& t : e.Printer.texts)
        bold += t.bold && t.y >= 30;
    QCOMPARE(bold, 3);
    const bool titled = !e.Printer.lines(1).filter(QRegularExpression("^1:10,10 ")).isEmpty();
    const QString stored = e.scalar("SELECT group_concat(Manche) FROM (SELECT DISTINCT Manche "
                                    "FROM Resultats ORDER BY Manche)")
                               .toString();
    QCOMPARE(titled, QStringLiteral("1,2,3,4,5,6,7").startsWith(stored + u','));
}

void TestReports::routeCards_data() {
    QTest::addColumn<int>("players"); // below 0: score entry at the tables started, keys made
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    // Player 8 first by name (1002, 2001, 3002, Ouest), player 1 last; cards of 98 by 71 mm.
    // clang-format off
    QTest::newRow("8 players, 3 rounds") << 8 << "" << "" << QList<int>{1}
        << QStringList{"1:4,8 N° 8", "1:28,9 NOM992 Jean", "1:19,22 002", "1:32,22 1002", "1:46,22 Ouest",
                       "1:32,27 2001", "1:32,32 3002", "1:102,221 N° 1", "1:130,235 1001", "1:144,235 Nord"}
        << QStringList{"1:8,37 4", "1:67,44 Votre clé :"};
    // Nine: a page of eight, and the ninth, first by name, at a table of five.
    QTest::newRow("a table of five") << 9 << "UPDATE Inscriptions SET Position = 5, Position2 = 'Cinquième', CodeEquipe01 = 1002, CodeEquipe02 = 2001, CodeEquipe03 = 3002 WHERE CodeIndividuel = 9"
        << "" << QList<int>{2}
        << QStringList{"1:4,8 N° 9", "1:46,22 Cinquième", "1:32,27 2001", "2:4,8 N° 1", "2:46,22 Nord"} << QStringList{};
    // Player 8 sat Est in round 1 before a redraw made him Ouest; player 3 left after round 2.
    QTest::newRow("a seat kept by a redraw, a player gone") << 8
        << "INSERT INTO PlacesManches (CodeIndividuel, Manche, Position) VALUES (8, 1, 2);"
           "UPDATE Inscriptions SET CodeEquipe03 = 0 WHERE CodeIndividuel = 3"
        << "" << QList<int>{1}
        << QStringList{"1:46,22 Est", "1:46,27 Ouest", "1:144,164 Sud", "1:116,174 pas de table"}
        << QStringList{"1:46,22 Ouest", "1:130,174 3001"};
    QTest::newRow("table entry started, one key missing") << -8 << "DELETE FROM ClesJoueurs WHERE CodeIndividuel = 7"
        << "Edition des feuilles de route|Un joueur n'a pas encore de clé : sa feuille de route ne porte ni clé ni "
           "code à photographier.\n\nImprimez de nouveau les feuilles de route."
        << QList<int>{1} << QStringList{"1:67,48 CLE8", "1:165,261 CLE1", "1:4,66 http://192.168.1.20:8080/joueur"}
        << QStringList{"1:102,66 http://192.168.1.20:8080/joueur"};
    // clang-format on
}

void TestReports::routeCards() {
    QFETCH(int, players);
    QFETCH(QString, sql);
    Editions e;
    e.drawTournament(qAbs(players), 3);
    if (players < 0) {
        db::addMissingPlayerKeys(e.connection(),
                                 [n = 0]() mutable { return "CLE" + QString::number(++n); });
        e.shell.playerPage = QStringLiteral("http://192.168.1.20:8080/joueur");
    }
    e.run(sql);
    e.print(QStringLiteral("route cards"));
    QFETCH(QString, message);
    QFETCH(QList<int>, pages);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    VERIFY_PRINTED(e, message, pages, present, absent);
    // Every registered player once, each in his own cut-out box; a QR code on each keyed card.
    QList<int> numbers, everyone(qAbs(players));
    for (const RecordingSurface::Text& t : e.Printer.texts)
        if (t.text.startsWith(u"N° "))
            numbers.append(t.text.mid(3).toInt());
    std::iota(everyone.begin(), everyone.end(), 1);
    std::sort(numbers.begin(), numbers.end());
    QCOMPARE(numbers, everyone);
    QCOMPARE(int(e.Printer.boxes.size()), qAbs(players));
    QCOMPARE(int(e.Printer.pictures.size()), players < 0 ? 7 : 0);
}

void TestReports::seasonRanking_data() {
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    const QDate september(2026, 9, 1);
    // clang-format off
    QTest::newRow("a tie shares a place, a player absent once") << september << QDate(2026, 10, 1) << "" << QList<int>{1}
        << QStringList{"1:10,10 Classement de la saison", "1:10,18 Du 1 septembre 2026 au 1 octobre 2026 : 2 soirées",
                       "1:10,30 1", "1:22,30 ARNAUD Paul", "1:100,30 2", "1:122,30 20", "1:148,30 30", "1:176,30 10",
                       "1:10,35 1", "1:22,35 BÉRAUD Léa", "1:122,35 20",
                       "1:10,40 3", "1:22,40 CLÉMENT Max", "1:100,40 1", "1:122,40 -40", "1:176,40 -40"}
        << QStringList{"1:122,40 460"};
    QTest::newRow("the last day of the period counts, the next not") << september << QDate(2026, 9, 30) << "" << QList<int>{1}
        << QStringList{"1:10,18 Du 1 septembre 2026 au 30 septembre 2026 : 1 soirée", "1:22,30 ARNAUD Paul",
                       "1:122,30 30", "1:22,35 BÉRAUD Léa", "1:10,35 2", "1:10,40 3"}
        << QStringList{"1:122,30 20"};
    QTest::newRow("the day before counts once in the period") << QDate(2026, 8, 31) << QDate(2026, 10, 1) << "" << QList<int>{1}
        << QStringList{"1:22,30 CLÉMENT Max", "1:122,30 460", "1:100,30 2"} << QStringList{};
    QTest::newRow("no evening in the period") << QDate(2025, 9, 1) << QDate(2025, 12, 31)
        << "Classement de la saison|Aucune soirée n'a été gardée du 01/09/2025 au 31/12/2025." + kImpossible
        << QList<int>{} << QStringList{} << QStringList{};
    // clang-format on
}

void TestReports::seasonRanking() {
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    Editions e;
    e.run(QStringLiteral(
        "INSERT INTO Soirees VALUES (1, '2026-08-31', '2026-08-31 23:00:00', 1, 1);"
        "INSERT INTO Soirees VALUES (2, '2026-09-10', '2026-09-10 23:00:00', 1, 3);"
        "INSERT INTO Soirees VALUES (3, '2026-10-01', '2026-10-01 23:00:00', 1, 2);"
        "INSERT INTO Soirees VALUES (4, '2026-10-02', '2026-10-02 23:00:00', 1, 1);"
        "INSERT INTO JoueursClub VALUES (1, 'BÉRAUD', 'Léa', 'BERAUD	LEA');"
        "INSERT INTO JoueursClub VALUES (2, 'ARNAUD', 'Paul', 'ARNAUD	PAUL');"
        "INSERT INTO JoueursClub VALUES (3, 'CLÉMENT', 'Max', 'CLEMENT	MAX');"
        "INSERT INTO SoireesJoueurs (Soiree, Joueur, Total) VALUES (1, 3, 500), (2, 2, 30), "
        "(2, 1, 10), (2, 3, -40), (3, 2, -10), (3, 1, 10), (4, 1, 1000)"));
    reports::SeasonRanking(e.shell, e.DataEditions, from, to, e.Printer).print();
    QFETCH(QString, message);
    QFETCH(QList<int>, pages);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    VERIFY_PRINTED(e, message, pages, present, absent);
    QCOMPARE(e.shell.cartes, true);
}

VELMORA_TEST_MAIN(TestReports)
#include "tst_reports.moc"
