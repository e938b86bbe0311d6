#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/PlayerKeys.h"
#include "reports/PainterSurface.h"
#include "reports/RankingExport.h"
#include "reports/ScoreSheets.h"
#include "support/FakeShell.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "tables/PlayerPages.h"
#include "tables/TableKeys.h"
#include "tables/TableServer.h"
#include "ui/MessageBox.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QtTest>

namespace {

// The browser script's lines; it runs while this thread serves it, for 90 s at most.
QStringList browse(const QStringList& arguments) {
    QProcess browser;
    browser.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&browser, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(90000, &loop, &QEventLoop::quit);
    browser.start(QStringLiteral("/usr/bin/python3"),
                  QStringList{QStringLiteral(VELMORA_FILL_SCORES)} + arguments);
    loop.exec();
    browser.kill(); // if it has not finished in time
    browser.waitForFinished(5000);
    QStringList lines =
        QString::fromUtf8(browser.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (browser.exitStatus() != QProcess::NormalExit || browser.exitCode() != 0)
        lines.append(QStringLiteral("the browser failed"));
    return lines;
}

} // namespace

// Where scripts/deps.sh installed the tools (CI set), a missing one fails the test.
#define REQUIRE_TOOLS()                                                                            \
    for (const char* tool : {"/usr/bin/chromium", "/usr/bin/chromedriver", "/usr/bin/zbarimg"})    \
        if (!QFileInfo::exists(QString::fromLatin1(tool))) {                                       \
            const QByteArray missing = tool + QByteArray(" is missing: run scripts/deps.sh");      \
            if (!QList<QByteArray>{"", "0", "false"}.contains(qgetenv("CI").toLower()))            \
                QFAIL(missing.constData());                                                        \
            QSKIP(missing.constData());                                                            \
        }

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void scoresTypedInABrowserFromTheSheetsQrCode();
    void exportedRankingOnAPhone();
    void theRoomsScreenPagesByItselfAndAPlayerFindsHisTables();
    void aRoundOfDealsByButtonsOnAPhone();
};

void TestBrowser::scoresTypedInABrowserFromTheSheetsQrCode() {
    REQUIRE_TOOLS();
    TestDatabase base;
    base.drawTournament(8, 2, 12);
    tables::makeMissingKeys(base.connection());
    tables::TableServer server(base.path());
    QVERIFY(server.start(QHostAddress::LocalHost, 0).isEmpty());

    // The sheets of round 1, printed while table entry is started.
    FakeShell shell(base.directory());
    shell.entryAddress = QStringLiteral("http://127.0.0.1:%1/").arg(server.port());
    ui::MessageBox::Script script;
    script.answerInput(QStringLiteral("1"));
    db::DataControl DataEditions;
    reports::PainterSurface Printer(base.directory() + QStringLiteral("Impressions"));
    reports::ScoreSheets(shell, DataEditions, Printer).print();
    QCOMPARE(Printer.files().size(), 1);
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {"-r", "150", "-f", "1", "-l", "1", "-png", "-singlefile", Printer.files().first(),
                  base.directory() + "page"});
    QVERIFY(render.waitForFinished(30000));
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {"--raw", "-q", base.directory() + "page.png"});
    QVERIFY(zbar.waitForFinished(30000));
    const QString address = QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
    QVERIFY2(address.startsWith(shell.entryAddress + "?table=1001&cle="), qPrintable(address));

    // A wrong first figure, then mended alone; the third score's sign from the sign key.
    const QStringList lines = browse({address, "12", "12,5", "-2,5", "±5", "-5"});
    QCOMPARE(lines.value(0), "players: 1 NOM999 Jean|2 NOM998 Jean|3 NOM997 Jean|4 NOM996 Jean");
    // One screen of a phone, the button included.
    const QStringList height = lines.value(1).mid(8).split(u'/');
    QVERIFY2(height.size() == 2 && height[0].toInt() <= height[1].toInt(),
             qPrintable(lines.value(1)));
    QCOMPARE(lines.value(2), "keyboard: decimal|decimal|decimal|decimal");
    QCOMPARE(lines.value(3), "message: La somme des 4 scores devrait être égale à 0, or cette "
                             "somme est égale à -0,5 Veuillez reprendre !!!");
    QCOMPARE(lines.value(4), "kept: 12|-2,5|-5|-5");
    QCOMPARE(lines.mid(5), {"message: Les scores de la table 1001 sont enregistrés. Merci !"});
    QCOMPARE(base.scalar("SELECT group_concat(CodeIndividuel || ':' || Points, ' ') FROM "
                         "(SELECT * FROM Resultats WHERE Manche = 1 ORDER BY CodeIndividuel)")
                 .toString(),
             "1:12.5 2:-2.5 3:-5.0 4:-5.0");
}

void TestBrowser::exportedRankingOnAPhone() {
    REQUIRE_TOOLS();
    // Four rounds, and names as long as the fields allow.
    TestDatabase base;
    base.drawTournament(8, 4);
    base.connection().executeNative(
        QStringLiteral("UPDATE Inscriptions SET Nom = 'D''ALEMBERT-LAROCHEFOUCAUL', Prenom = Nom"));
    base.connection().executeNative(
        QStringLiteral("INSERT INTO Resultats SELECT r, CodeIndividuel, (CodeIndividuel % 4 - "
                       "1.5) * 101.5 FROM Inscriptions, (SELECT 1 AS r UNION SELECT 2 UNION "
                       "SELECT 3 UNION SELECT 4)"));
    FakeShell shell(base.directory());
    db::DataControl DataEditions, DataInscriptions;
    reports::RankingExport ranking(shell, DataEditions, DataInscriptions,
                                   base.directory() + QStringLiteral("Impressions"),
                                   QDateTime(QDate(2026, 12, 9), QTime(23, 40)));
    ranking.write();
    QCOMPARE(ranking.files().size(), 2);

    const QStringList lines = browse({"ranking", ranking.files().at(1)});
    // No sideways scroll of the page; the rounds scroll beneath the place, name and total.
    QCOMPARE(lines.value(0), "width: 390/390");
    QCOMPARE(lines.value(1), "in sight: true|true");
    QCOMPARE(lines.mid(2), {"heading: Classement 9 décembre 2026 (beside)"});
}

void TestBrowser::theRoomsScreenPagesByItselfAndAPlayerFindsHisTables() {
    REQUIRE_TOOLS();
    // 128 players seated: three screens of names, the last one short.
    TestDatabase base;
    base.drawTournament(130, 2);
    tables::makeMissingPlayerKeys(base.connection());
    tables::TableServer server(base.path());
    server.service().pages().roomSeconds = 1;
    QVERIFY(server.start(QHostAddress::LocalHost, 0).isEmpty());
    const QString address = QStringLiteral("http://127.0.0.1:%1/").arg(server.port());

    QCOMPARE(browse({"room", address + "salle", "4"}),
             QStringList({"screen: 1/3 | NOM872 Jean table 32 | 60",
                          "screen: 2/3 | NOM932 Jean table 17 | 60",
                          "screen: 3/3 | NOM992 Jean table 2 | 8",
                          "screen: 1/3 | NOM872 Jean table 32 | 60"}));

    const QString key = db::playerKey(base.connection(), 5);
    QCOMPARE(browse({"player", address + "joueur?numero=5", key}),
             QStringList({"number: 5", "player: n° 5 NOM995 Jean, place Nord",
                          "tables: Table 2 (code 1002)|Table 3 (code 2003)"}));
}

void TestBrowser::aRoundOfDealsByButtonsOnAPhone() {
    REQUIRE_TOOLS();
    TestDatabase base;
    base.drawTournament(8, 2, 3);
    base.connection().executeNative(QStringLiteral("UPDATE Parametres SET DonneParDonne = 1"));
    tables::makeMissingKeys(base.connection());
    tables::TableServer server(base.path());
    QVERIFY(server.start(QHostAddress::LocalHost, 0).isEmpty());
    const QString address =
        QStringLiteral("http://127.0.0.1:%1/?table=1001&cle=%2")
            .arg(server.port())
            .arg(base.scalar("SELECT Cle FROM ClesTables WHERE CodeEquipe = 1001").toString());
    // Garde, 2 bouts, 45; prise, 1 bout, 48,5, the petit au bout to the defence; all passed.
    const QStringList lines =
        browse({"deals", address, "preneur-1+contrat-2+bouts-2+pdiz-4+puni-5",
                "preneur-3+contrat-1+bouts-1+pdiz-4+puni-8+pdemi-1+petit-2", "preneur-0"});
    QCOMPARE(lines.value(0), "width: 390/390");
    QCOMPARE(lines.value(1), "buttons: true");
    QCOMPARE(lines.value(2), "totals: 212|-20|-172|-20");
    QCOMPARE(lines.mid(3), {"message: Les scores de la table 1001 sont enregistrés. Merci !"});
}

VELMORA_TEST_MAIN(TestBrowser)
#include "tst_browser.moc"
