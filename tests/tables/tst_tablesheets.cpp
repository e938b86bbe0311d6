#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/PlayerKeys.h"
#include "reports/PainterSurface.h"
#include "reports/RouteCards.h"
#include "reports/ScoreSheets.h"
#include "support/FakeShell.h"
#include "support/RecordingSurface.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "tables/TableKeys.h"
#include "ui/MessageBox.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kAddress = QStringLiteral("http://192.168.1.20:8080/");

// Eight players drawn for two rounds, every table keyed, and the score sheets of round 1
// printed with score entry at the tables started or not.
struct Sheets : TestDatabase {
    FakeShell shell{directory()};
    db::DataControl DataEditions;
    ui::MessageBox::Script script;

    explicit Sheets(int deals) {
        drawTournament(8, 2, deals);
        tables::makeMissingKeys(connection());
    }
    QString key(int code) {
        return scalar(QStringLiteral("SELECT Cle FROM ClesTables WHERE CodeEquipe = %1").arg(code))
            .toString();
    }
    void print(reports::PrintSurface& Printer, bool started) {
        shell.entryAddress = started ? kAddress : QString();
        script.answerInput(QStringLiteral("1"));
        reports::ScoreSheets(shell, DataEditions, Printer).print();
    }
    QString pdf(bool started) {
        reports::PainterSurface Printer(directory() + (started ? "avec" : "sans"));
        print(Printer, started);
        return Printer.files().value(0);
    }
};

// "word x y" for every word of a PDF's first page, in millimetres from the printable area's
// corner, rounded to a tenth.
QStringList words(const QString& pdf) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                     QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed>")};
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\"[^>]*>([^<]*)</word>"));
    const double mm = 25.4 / 72, margin = reports::PainterSurface::kPdfMarginMm;
    QStringList found;
    for (const auto& m : word.globalMatch(QString::fromUtf8(pdftotext.readAllStandardOutput())))
        found.append(QStringLiteral("%1 %2 %3")
                         .arg(m.captured(3))
                         .arg(qRound(10 * (m.captured(1).toDouble() * mm - margin)) / 10.0)
                         .arg(qRound(10 * (m.captured(2).toDouble() * mm - margin)) / 10.0));
    return found;
}

// What the QR codes of a PDF's first page say, rendered as a printer would.
QString qrText(const QString& pdf, const QString& folder) {
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-f"),
                  QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                  QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, folder + "/page"});
    if (!render.waitForFinished(30000) || render.exitCode() != 0)
        return QStringLiteral("<pdftoppm failed>");
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"),
               {QStringLiteral("--raw"), QStringLiteral("-q"), folder + "/page.png"});
    if (!zbar.waitForFinished(30000))
        return QStringLiteral("<zbarimg failed>");
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

} // namespace

class TestTableSheets : public QObject {
    Q_OBJECT
private slots:
    void keyAndQrCodeBelowTheGrid_data();
    void keyAndQrCodeBelowTheGrid();
    void printedQrCodeOpensTheTable();
    void routeCardsReadBack();
};

void TestTableSheets::keyAndQrCodeBelowTheGrid_data() {
    QTest::addColumn<int>("deals");
    QTest::newRow("15 deals, the longest grid") << 15;
    QTest::newRow("12 deals") << 12;
}

void TestTableSheets::keyAndQrCodeBelowTheGrid() {
    QFETCH(int, deals);
    Sheets s(deals);
    // Table 1002 drawn since the last start: no key yet, so nothing more on its sheet.
    s.connection().executeNative(QStringLiteral("DELETE FROM ClesTables WHERE CodeEquipe = 1002"));
    RecordingSurface off, on;
    s.print(off, false);
    s.print(on, true);
    QCOMPARE(s.script.shown().size(), 2); // the round asked, nothing else
    QCOMPARE(on.pages, off.pages);
    QCOMPARE(on.documentNames, off.documentNames);
    QVERIFY(off.pictures.isEmpty());

    // Everything the sheet shows without table entry is there, unmoved; the rest below it.
    const QStringList without = off.lines(0, true);
    QStringList added = on.lines(0, true);
    for (const QString& line : without)
        QVERIFY2(added.removeOne(line), qPrintable(line));
    QCOMPARE(on.boxes.size(), off.boxes.size());
    for (int i = 0; i < on.boxes.size(); ++i) {
        QCOMPARE(on.boxes[i].y2, off.boxes[i].y2);
        QVERIFY(on.boxes[i].y2 <= 250);
    }
    const QString key = s.key(1001);
    QCOMPARE(added, QStringList({"1:10,256 Arial 11 bold Scores saisis par téléphone",
                                 "1:10,262 Arial 10 Photographiez le code ci-contre, ou ouvrez "
                                 "l'adresse :",
                                 "1:10,267 Arial 10 bold " + kAddress,
                                 "1:10,274 Arial 10 Table :", "1:24,273 Arial 14 bold 1001",
                                 "1:50,274 Arial 10 Clé :", "1:61,273 Arial 14 bold " + key}));
    for (const RecordingSurface::Text& t : on.texts)
        if (t.document == 1 && t.y >= 252)
            QVERIFY(t.y + 8 < 287);
    QCOMPARE(on.pictures.size(), 1);
    const RecordingSurface::Picture& qr = on.pictures.first();
    QCOMPARE(qr.document, 1);
    QVERIFY(qr.y > 250 && qr.y + qr.height <= 287 && qr.x + qr.width <= 200);
    QCOMPARE(qr.width, qr.height);
    QVERIFY(qr.image.width() >= 21 + 8 && qr.image.width() == qr.image.height());
}

void TestTableSheets::printedQrCodeOpensTheTable() {
    Sheets s(15);
    const QString without = s.pdf(false), with = s.pdf(true);
    QVERIFY(!without.isEmpty() && !with.isEmpty());
    // The sheet's own words stay where they were, whatever the key block adds below them.
    QStringList printed = words(with);
    for (const QString& word : words(without))
        QVERIFY2(printed.removeOne(word), qPrintable(word));
    for (const QString& word : printed)
        QVERIFY2(word.section(u' ', 2).toDouble() > 250, qPrintable(word));
    QVERIFY2(
        printed.filter(QRegularExpression("^" + s.key(1001) + " 6\\d(\\.\\d)? 27\\d")).size() == 1,
        qPrintable(printed.join(u'|')));
    QCOMPARE(qrText(without, s.directory()), "");
    QCOMPARE(qrText(with, s.directory()), kAddress + "?table=1001&cle=" + s.key(1001));
}

void TestTableSheets::routeCardsReadBack() {
    Sheets s(12);
    db::addMissingPlayerKeys(s.connection(), tables::newKey);
    s.shell.playerPage = kAddress + "joueur";
    reports::PainterSurface Printer(s.directory() + "cartes");
    reports::RouteCards(s.shell, s.DataEditions, Printer).print();
    const QString pdf = Printer.files().value(0);
    // Each card's words by the card they stand on: number, tables by round, key; and the QRs.
    QMap<int, QStringList> cards;
    for (const QString& word : words(pdf)) {
        const QStringList f = word.split(u' ');
        cards[2 * int(f[2].toDouble() / 71) + int(f[1].toDouble() / 98)].append(f[0]);
    }
    QStringList seen, pages, decoded = qrText(pdf, s.directory()).split(u'\n');
    for (const QStringList& card : std::as_const(cards))
        seen.append(card.value(card.indexOf(QStringLiteral("N°")) + 1) + u' ' +
                    card.filter(QRegularExpression("^(\\d{4}|[2-9A-HJKMNP-Z]{6})$")).join(u' '));
    for (int n = 1; n <= 8; ++n)
        pages.append(kAddress + "joueur?numero=" + QString::number(n));
    seen.sort();
    QCOMPARE(seen.join(u'|'), s.scalar("SELECT group_concat(CodeIndividuel || ' ' || CodeEquipe01 "
                                       "|| ' ' || CodeEquipe02 || ' ' || Cle, '|') FROM (SELECT * "
                                       "FROM Inscriptions JOIN ClesJoueurs USING (CodeIndividuel) "
                                       "ORDER BY CodeIndividuel)")
                                  .toString());
    decoded.sort();
    QCOMPARE(decoded, pages);
}

VELMORA_TEST_MAIN(TestTableSheets)
#include "tst_tablesheets.moc"
