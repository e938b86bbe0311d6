#include "app/HelpViewer.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QDialog>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    void opensTheAttachedFileAtItsTop();
    void overAModalWindowTheHelpIsModal();
    void missingFileIsReported();
};

void TestHelpViewer::opensTheAttachedFileAtItsTop() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Velmora.hlp"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray html = "<html><body><h1>Sommaire</h1>";
    for (int i = 0; i < 200; ++i)
        html += "<p>Ligne " + QByteArray::number(i) + " de l'aide, é à ç.</p>";
    file.write(html + "</body></html>");
    file.close();

    app::HelpViewer viewer;
    viewer.attach(path);
    // Left last time across the bottom corner of the screen: it opens whole inside it.
    const QRect area = viewer.screen()->availableGeometry();
    viewer.move(area.right() - 200, area.bottom() - 100);
    viewer.openContents();
    auto* browser = viewer.findChild<QTextBrowser*>();
    QVERIFY(viewer.isVisible());
    QVERIFY(browser->toPlainText().startsWith("Sommaire"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("é à ç")));
    QCOMPARE(viewer.windowModality(), Qt::NonModal);
    // Whole inside the screen, whatever the screen's size.
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QVERIFY2(area.contains(viewer.frameGeometry()),
             qPrintable(QStringLiteral("%1x%2")
                            .arg(viewer.frameGeometry().width())
                            .arg(viewer.frameGeometry().height())));

    // Opened again after reading further down: back at the contents.
    browser->verticalScrollBar()->setValue(browser->verticalScrollBar()->maximum());
    viewer.openContents();
    QCOMPARE(browser->verticalScrollBar()->value(), 0);
}

void TestHelpViewer::overAModalWindowTheHelpIsModal() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Velmora.hlp"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<p>Aide</p>");
    file.close();

    app::HelpViewer viewer;
    viewer.attach(path);
    viewer.openContents();
    QCOMPARE(viewer.windowModality(), Qt::NonModal);
    viewer.close();

    QDialog window;
    window.setWindowModality(Qt::ApplicationModal);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    viewer.openContents();
    QVERIFY(viewer.isVisible());
    QCOMPARE(viewer.windowModality(), Qt::ApplicationModal);
    QCOMPARE(QApplication::activeModalWidget(), &viewer);
}

void TestHelpViewer::missingFileIsReported() {
    QTemporaryDir dir;
    ui::MessageBox::Script script;
    app::HelpViewer viewer;
    viewer.attach(dir.filePath(QStringLiteral("Velmora.hlp")));
    viewer.openContents();
    QVERIFY(!viewer.isVisible());
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().icon, ui::MessageBox::Icon::Critical);
    QVERIFY(script.shown().first().text.contains(dir.filePath(QStringLiteral("Velmora.hlp"))));
}

VELMORA_TEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
