#include "db/Connection.h"
#include "db/DataControl.h"
#include "reports/RankingExport.h"
#include "reports/SeasonRanking.h"
#include "support/FakeShell.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using ui::MessageBox;

namespace {

const QDateTime kWhen(QDate(2026, 12, 9), QTime(23, 40, 12));

// Both files read back by Python's own csv module and HTML parser, as a spreadsheet and a
// browser would read them: the spreadsheet's rows, and the page's language, paragraphs, table
// cells and any address it would fetch.
const char* const kReader = R"(
import csv, json, sys
from html.parser import HTMLParser
rows = list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline=''), delimiter=';'))
class Page(HTMLParser):
    def __init__(self):
        super().__init__(); self.lang = ''; self.paragraphs = []; self.cells = []
        self.fetches = []; self.text = None; self.row = None
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == 'html': self.lang = a.get('lang', '')
        if 'src' in a or (tag == 'link' and 'href' in a): self.fetches.append(tag)
        if tag == 'tr': self.row = []
        if tag in ('p', 'td', 'th'): self.text = ''
    def handle_data(self, data):
        if self.text is not None: self.text += data
    def handle_endtag(self, tag):
        if tag == 'p': self.paragraphs.append(self.text)
        if tag in ('td', 'th'): self.row.append(self.text)
        if tag == 'tr': self.cells.append(self.row)
        if tag in ('p', 'td', 'th'): self.text = None
page = Page(); page.feed(open(sys.argv[2], encoding='utf-8').read())
print(json.dumps({'csv': rows, 'lang': page.lang, 'paragraphs': page.paragraphs,
                  'cells': page.cells, 'fetches': page.fetches}))
)";

// The CSV file and the page as a spreadsheet and a browser read them; empty, with the reader's
// complaint, when they could not be read.
QJsonObject readBack(const QStringList& files, QString* failure) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kReader), files.at(0), files.at(1)});
    if (!python.waitForFinished(30000))
        return {};
    *failure = QString::fromUtf8(python.readAllStandardError());
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QList<QStringList> lists(const QJsonValue& value) {
    QList<QStringList> rows;
    for (const QJsonValue& row : value.toArray()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells.append(cell.toString());
        rows.append(cells);
    }
    return rows;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void rankingAsClubsPublishIt_data();
    void rankingAsClubsPublishIt();
    void seasonPublishedAlike();
};

void TestExport::rankingAsClubsPublishIt_data() {
    QTest::addColumn<QStringList>("sql"); // the scores of 8 players over 3 rounds, and names
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("lines"); // the spreadsheet's rows after its headings
    const QString jean = QStringLiteral(";Jean;");
    // clang-format off
    QTest::newRow("no result: the ranking's own refusal") << QStringList{}
        << "Edition des résultats|Il n'y a aucun résultat de saisi !!!\n\nEdition impossible !!!" << "" << QStringList{};
    QTest::newRow("equal totals share a place, the next skips")
        << QStringList{"INSERT INTO Resultats VALUES (1, 1, 10), (1, 2, -10), (1, 3, 5), (1, 4, -5), (1, 5, 5), "
           "(1, 6, -5), (1, 7, 0), (1, 8, 0)"}
        << "" << "Résultats de la manche 1"
        << QStringList{"1;1;NOM999" + jean + "10;10", "2;3;NOM997" + jean + "5;5", "2;5;NOM995" + jean + "5;5",
                       "4;7;NOM993" + jean + "0;0", "4;8;NOM992" + jean + "0;0", "6;4;NOM996" + jean + "-5;-5",
                       "6;6;NOM994" + jean + "-5;-5", "8;2;NOM998" + jean + "-10;-10"};
    QTest::newRow("decimals exact: 0,1 + 0,2 ties with 0,3")
        << QStringList{"INSERT INTO Resultats SELECT r, CodeIndividuel, 0 FROM Inscriptions, (SELECT 1 AS r UNION SELECT 2) "
           "WHERE CodeIndividuel > 3",
           "INSERT INTO Resultats VALUES (1, 1, 0.1), (2, 1, 0.2), (1, 2, 0.3), (2, 2, 0), (1, 3, -0.4), (2, 3, -0.2)"}
        << "" << "Résultats des manches 1 et 2"
        << QStringList{"1;1;NOM999" + jean + "0,1;0,2;0,3", "1;2;NOM998" + jean + "0,3;0;0,3",
                       "3;4;NOM996" + jean + "0;0;0", "3;5;NOM995" + jean + "0;0;0", "3;6;NOM994" + jean + "0;0;0",
                       "3;7;NOM993" + jean + "0;0;0", "3;8;NOM992" + jean + "0;0;0", "8;3;NOM997" + jean + "-0,4;-0,2;-0,6"};
    QTest::newRow("a name with a semicolon, quotes and markup; round 2 absent")
        << QStringList{"UPDATE Inscriptions SET Nom = 'DU;PONT \"LE\" <b>', Prenom = 'Zoé' WHERE CodeIndividuel = 1",
           "INSERT INTO Resultats SELECT r, CodeIndividuel, 9 - CodeIndividuel FROM Inscriptions, "
           "(SELECT 1 AS r UNION SELECT 3)"}
        << "" << ""
        << QStringList{"1;1;DU;PONT \"LE\" <b>;Zoé;8;8;16", "2;2;NOM998" + jean + "7;7;14",
                       "3;3;NOM997" + jean + "6;6;12", "4;4;NOM996" + jean + "5;5;10",
                       "5;5;NOM995" + jean + "4;4;8", "6;6;NOM994" + jean + "3;3;6",
                       "7;7;NOM993" + jean + "2;2;4", "8;8;NOM992" + jean + "1;1;2"};
    // A ";" alone must be quoted as well: the leader's line keeps one cell per heading.
    QTest::newRow("a name with a semicolon alone")
        << QStringList{"UPDATE Inscriptions SET Nom = 'DU;PONT', Prenom = 'Anne;Marie' WHERE CodeIndividuel = 1",
           "INSERT INTO Resultats SELECT 1, CodeIndividuel, 9 - CodeIndividuel FROM Inscriptions"}
        << "" << "Résultats de la manche 1"
        << QStringList{"1;1;DU;PONT;Anne;Marie;8;8", "2;2;NOM998" + jean + "7;7",
                       "3;3;NOM997" + jean + "6;6", "4;4;NOM996" + jean + "5;5",
                       "5;5;NOM995" + jean + "4;4", "6;6;NOM994" + jean + "3;3",
                       "7;7;NOM993" + jean + "2;2", "8;8;NOM992" + jean + "1;1"};
    // Players 5 to 8 gone after round 1: their round 2 stays empty and counts 0.
    QTest::newRow("players gone after round 1") << QStringList{"UPDATE Inscriptions SET CodeEquipe02 = 0, CodeEquipe03 = 0 WHERE CodeIndividuel > 4",
           "INSERT INTO Resultats SELECT r, CodeIndividuel, CodeIndividuel FROM Inscriptions, (SELECT 1 AS r UNION SELECT 2) WHERE r = 1 OR CodeIndividuel <= 4"}
        << "" << "Résultats des manches 1 et 2" << QStringList{"1;4;NOM996" + jean + "4;4;8", "1;8;NOM992" + jean + "8;;8", "3;7;NOM993" + jean + "7;;7",
           "4;3;NOM997" + jean + "3;3;6", "4;6;NOM994" + jean + "6;;6", "6;5;NOM995" + jean + "5;;5", "7;2;NOM998" + jean + "2;2;4", "8;1;NOM999" + jean + "1;1;2"};
    // clang-format on
}

void TestExport::rankingAsClubsPublishIt() {
    QFETCH(QStringList, sql);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QStringList, lines);
    TestDatabase base;
    base.drawTournament(8, 3);
    for (const QString& statement : sql)
        base.connection().executeNative(statement);
    FakeShell shell(base.directory());
    db::DataControl DataEditions, DataInscriptions;
    MessageBox::Script script;
    const QString folder = base.directory() + QStringLiteral("Impressions");
    reports::RankingExport ranking(shell, DataEditions, DataInscriptions, folder, kWhen);
    ranking.write();
    QStringList told;
    for (const MessageBox::Shown& box : script.shown())
        told.append(box.title + u'|' + box.text);
    QCOMPARE(told.join(u'#'), message);
    QCOMPARE(shell.log.last(), "arrow");
    if (!message.isEmpty()) {
        QVERIFY(!QDir(folder).exists() || QDir(folder).isEmpty());
        return;
    }
    QCOMPARE(ranking.files(), QStringList({folder + "/Classement - 2026-12-09 23h40m12.csv",
                                           folder + "/Classement - 2026-12-09 23h40m12.html"}));
    QFile csv(ranking.files().first());
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(csv.read(3) == QByteArray("\xEF\xBB\xBF")); // opens as UTF-8 by a double click

    QString failure;
    const QJsonObject read = readBack(ranking.files(), &failure);
    QVERIFY2(!read.isEmpty(), qPrintable(failure));
    const QList<QStringList> rows = lists(read.value(QStringLiteral("csv")));
    const QStringList headings = rows.value(0);
    QCOMPARE(headings.mid(0, 4), QStringList({"Place", "Numéro", "Nom", "Prénom"}));
    QCOMPARE(headings.last(), "Total");
    QCOMPARE(headings.mid(4, headings.size() - 5),
             sql.join(u' ').contains("UNION SELECT 3")   ? QStringList({"Manche 1", "Manche 3"})
             : sql.join(u' ').contains("UNION SELECT 2") ? QStringList({"Manche 1", "Manche 2"})
                                                         : QStringList({"Manche 1"}));
    // The spreadsheet's cells, each field whole though it holds ";" or quotes.
    QStringList parsed;
    for (const QStringList& row : rows.mid(1))
        parsed.append(row.join(u';'));
    QCOMPARE(parsed, lines);
    QCOMPARE(int(rows.at(1).size()), int(headings.size()));
    // The page: French, self-contained, the ranking's title and the date, the same cells.
    QCOMPARE(read.value(QStringLiteral("lang")).toString(), "fr");
    QVERIFY(read.value(QStringLiteral("fetches")).toArray().isEmpty());
    QStringList paragraphs;
    for (const QJsonValue& p : read.value(QStringLiteral("paragraphs")).toArray())
        paragraphs.append(p.toString());
    QCOMPARE(paragraphs, title.isEmpty() ? QStringList{"9 décembre 2026"}
                                         : QStringList({title, "9 décembre 2026"}));
    QCOMPARE(lists(read.value(QStringLiteral("cells"))), rows);
    QFile html(ranking.files().at(1));
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QByteArray page = html.readAll();
    QVERIFY(page.contains("@media print") && page.contains("name=\"viewport\""));
    QVERIFY(!page.contains("<b>")); // a name is text, never markup
}

// The season's ranking in the same two files: the same reading, its own columns and period.
void TestExport::seasonPublishedAlike() {
    TestDatabase base;
    for (const char* sql :
         {"INSERT INTO Soirees VALUES (1, '2026-09-10', '2026-09-10 23:00:00', 2, 2)",
          "INSERT INTO Soirees VALUES (2, '2026-10-01', '2026-10-01 23:00:00', 2, 1)",
          "INSERT INTO JoueursClub VALUES (1, 'DE LA; \"TOUR\"', 'Ève', 'x')",
          "INSERT INTO JoueursClub VALUES (2, 'ABEL', 'Jo', 'y')",
          "INSERT INTO SoireesJoueurs (Soiree, Joueur, Total) VALUES (1, 1, 12.5), (1, 2, -12.5), "
          "(2, 1, -2)"})
        base.connection().executeNative(QString::fromUtf8(sql));
    FakeShell shell(base.directory());
    db::DataControl DataEditions;
    MessageBox::Script script;
    const QString folder = base.directory() + QStringLiteral("Impressions");
    reports::SeasonRankingExport ranking(shell, DataEditions, QDate(2026, 9, 1), kWhen.date(),
                                         folder, kWhen);
    ranking.write();
    QVERIFY(script.shown().isEmpty());
    QCOMPARE(ranking.files(),
             QStringList({folder + "/Classement de la saison - 2026-12-09 23h40m12.csv",
                          folder + "/Classement de la saison - 2026-12-09 23h40m12.html"}));
    QString failure;
    const QJsonObject read = readBack(ranking.files(), &failure);
    QVERIFY2(!read.isEmpty(), qPrintable(failure));
    const QList<QStringList> rows = lists(read.value(QStringLiteral("csv")));
    QCOMPARE(rows, (QList<QStringList>{{"Place", "Nom", "Prénom", "Soirées", "Total",
                                        "Meilleure soirée", "Moyenne"},
                                       {"1", "DE LA; \"TOUR\"", "Ève", "2", "10,5", "12,5", "5,25"},
                                       {"2", "ABEL", "Jo", "1", "-12,5", "-12,5", "-12,5"}}));
    QStringList paragraphs;
    for (const QJsonValue& p : read.value(QStringLiteral("paragraphs")).toArray())
        paragraphs.append(p.toString());
    QCOMPARE(paragraphs, QStringList({"Du 1 septembre 2026 au 9 décembre 2026 : 2 soirées",
                                      "9 décembre 2026"}));
    QCOMPARE(lists(read.value(QStringLiteral("cells"))), rows);
    QFile html(ranking.files().at(1));
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QByteArray page = html.readAll();
    // The total kept in sight on a phone, the names to the left.
    QVERIFY(page.contains("<th class=\"nombre total\">Total</th>"));
    QVERIFY(page.contains("<td class=\"nom\">ABEL</td>"));
}

VELMORA_TEST_MAIN(TestExport)
#include "tst_export.moc"
