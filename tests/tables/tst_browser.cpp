#include "db/Connection.h"
#include "db/DataControl.h"
#include "reports/PainterSurface.h"
#include "reports/ScoreSheets.h"
#include "support/FakeShell.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "tables/TableKeys.h"
#include "tables/TableServer.h"
#include "ui/MessageBox.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QtTest>

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void scoresTypedInABrowserFromTheSheetsQrCode();
};

void TestBrowser::scoresTypedInABrowserFromTheSheetsQrCode() {
    for (const char* tool : {"/usr/bin/chromium", "/usr/bin/chromedriver", "/usr/bin/zbarimg"})
        if (!QFileInfo::exists(QString::fromLatin1(tool)))
            QSKIP(qPrintable(QStringLiteral("%1 is missing: run scripts/deps.sh").arg(tool)));
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

    // The browser runs while this thread serves it: the page, then the form.
    QProcess browser;
    browser.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    connect(&browser, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(90000, &loop, &QEventLoop::quit);
    browser.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(VELMORA_FILL_SCORES), address, "12,5", "-2,5", "-5", "-5"});
    loop.exec();
    QCOMPARE(browser.state(), QProcess::NotRunning);
    const QStringList lines =
        QString::fromUtf8(browser.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(browser.exitCode(), 0);
    QCOMPARE(lines.value(0), "players: 1 NOM999 Jean|2 NOM998 Jean|3 NOM997 Jean|4 NOM996 Jean");
    // One screen of a phone, the button included.
    const QStringList height = lines.value(1).mid(8).split(u'/');
    QVERIFY2(height.size() == 2 && height[0].toInt() <= height[1].toInt(),
             qPrintable(lines.value(1)));
    QCOMPARE(lines.value(2), "message: Les scores de la table 1001 sont enregistrés. Merci !");
    QCOMPARE(base.scalar("SELECT group_concat(CodeIndividuel || ':' || Points, ' ') FROM "
                         "(SELECT * FROM Resultats WHERE Manche = 1 ORDER BY CodeIndividuel)")
                 .toString(),
             "1:12.5 2:-2.5 3:-5.0 4:-5.0");
}

VELMORA_TEST_MAIN(TestBrowser)
#include "tst_browser.moc"
