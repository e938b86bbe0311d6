#include "app/Apropos.h"
#include "app/Platform.h"
#include "support/FakeShell.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

class TestApropos : public QObject {
    Q_OBJECT
private slots:
    void fileDateReadsLikeTheOrganiserWritesIt_data();
    void fileDateReadsLikeTheOrganiserWritesIt();
    void showsVersionFileAndDate();
    void everyWayOutShowsTheCardsAgain_data();
    void everyWayOutShowsTheCardsAgain();
};

void TestApropos::fileDateReadsLikeTheOrganiserWritesIt_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("text");
    QTest::newRow("evening") << QDateTime(QDate(2000, 4, 16), QTime(23, 9)) << "16/04/2000 à 23:09";
    QTest::newRow("early morning")
        << QDateTime(QDate(2026, 1, 2), QTime(0, 5, 59)) << "02/01/2026 à 00:05";
}

void TestApropos::fileDateReadsLikeTheOrganiserWritesIt() {
    QFETCH(QDateTime, when);
    QFETCH(QString, text);
    QCOMPARE(app::fileDateText(when), text);
}

void TestApropos::showsVersionFileAndDate() {
    FakeShell shell;
    app::Apropos about(shell, QStringLiteral("1.3"), QStringLiteral("16/04/2000 à 23:09"),
                       QStringLiteral("Velmora"), nullptr);
    QCOMPARE(about.windowTitle(), "A propos de Velmora");
    QCOMPARE(about.Titre->text(), "Velmora");
    QVERIFY(about.Version->text().contains("1.3"));
    QVERIFY(about.DateFichier->text().endsWith("16/04/2000 à 23:09"));
    QVERIFY(about.Fichier->text().endsWith("Velmora"));
    // Where the tournament is: beside the program or, installed, in the user's folder.
    QCOMPARE(about.findChild<QLabel*>("Donnees")->text(), "Données : /tmp/");
    QVERIFY(about.Historique->toPlainText().contains("1.0"));
    QVERIFY(!about.Support->text().isEmpty());
    QCOMPARE(about.Quitter->text(), "&Quitter");
    QCOMPARE(about.windowModality(), Qt::ApplicationModal);
}

void TestApropos::everyWayOutShowsTheCardsAgain_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Quitter button") << "button";
    QTest::newRow("Alt+Q") << "accelerator";
    QTest::newRow("title bar") << "close";
    QTest::newRow("Escape") << "escape";
}

void TestApropos::everyWayOutShowsTheCardsAgain() {
    QFETCH(QString, how);
    FakeShell shell;
    QPointer<app::Apropos> about = new app::Apropos(shell, QStringLiteral("1.0"), QString(),
                                                    QStringLiteral("Velmora"), nullptr);
    about->show();
    about->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(about));
    if (how == u"button")
        QTest::mouseClick(about->Quitter, Qt::LeftButton);
    else if (how == u"accelerator")
        QTest::keyClick(about, Qt::Key_Q, Qt::AltModifier);
    else if (how == u"close")
        about->close();
    else
        QTest::keyClick(about, Qt::Key_Escape);
    QTRY_VERIFY(shell.cartes);   // a mnemonic clicks its button after a short animation
    QTRY_VERIFY(about.isNull()); // the window does not linger once closed
}

VELMORA_TEST_MAIN(TestApropos)
#include "tst_apropos.moc"
