#include "app/Depart.h"
#include "db/Connection.h"
#include "support/FakeShell.h"
#include "support/HttpClient.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "tables/SaisieTables.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QtTest>

using tables::SaisieTables;

namespace {

// A port free on the loopback address at this moment.
quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString texts(const QTableWidget* table, int row) {
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column)
        cells.append(table->item(row, column) ? table->item(row, column)->text() : QString());
    return cells.join(u'|');
}

// The window opened on eight players drawn for two rounds, set to the loopback address.
struct Opened {
    TestDatabase base;
    FakeShell shell{base.directory()};
    ui::MessageBox::Script script;
    QPointer<SaisieTables> window;

    Opened() {
        base.drawTournament(8, 2, 12);
        window = new SaisieTables(shell, nullptr);
        if (!window->start())
            qFatal("the window of table entry does not open");
        window->ChoixAdresse->setCurrentText(QStringLiteral("127.0.0.1"));
    }
    ~Opened() { delete window; }
    quint16 start() {
        const quint16 port = freePort();
        window->SaisiePort->setValue(port);
        window->Demarrer->click();
        return port;
    }
};

} // namespace

class TestSaisieTables : public QObject {
    Q_OBJECT
private slots:
    void startedItServesAndShowsWhatComesIn();
    void aPortTakenIsToldAndNothingListens();
    void closedInAnyWayItStopsServing_data();
    void closedInAnyWayItStopsServing();
    void theMainWindowOpensOneAtATime();
    void itListensOnTheChosenAddressAlone_data();
    void itListensOnTheChosenAddressAlone();
    void aLostSheetsTableGetsANewKey_data();
    void aLostSheetsTableGetsANewKey();
    void theRankingIsPublishedAsChosen_data();
    void theRankingIsPublishedAsChosen();
    void theDealByDealChoiceIsKeptInTheFile();
};

void TestSaisieTables::startedItServesAndShowsWhatComesIn() {
    Opened o;
    SaisieTables& w = *o.window;
    // Not modal: the results window and the reports stay at hand while it serves.
    QCOMPARE(w.windowModality(), Qt::NonModal);
    QCOMPARE(w.windowTitle(), "Saisie aux tables");
    QCOMPARE(w.SaisiePort->value(), 8080);
    QVERIFY(w.Demarrer->isEnabled() && !w.Arreter->isEnabled());
    QVERIFY(w.address().isEmpty());
    QCOMPARE(w.ChoixAdresse->currentText(), "127.0.0.1");
    QCOMPARE(o.base.scalar("SELECT count(*) FROM ClesTables").toInt(), 0);

    const quint16 port = o.start();
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    QVERIFY(o.script.shown().isEmpty());
    QVERIFY(!w.Demarrer->isEnabled() && w.Arreter->isEnabled() && !w.SaisiePort->isEnabled());
    QCOMPARE(w.Adresse->text(), url);
    QVERIFY(!w.CodeQr->pixmap().isNull());
    QCOMPARE(w.address(), url);
    QCOMPARE(o.base.scalar("SELECT count(*) FROM ClesTables").toInt(), 4);
    // A redraw while it serves: the address alone writes nothing; the sheets printed next
    // still find every key.
    o.base.connection().executeNative(QStringLiteral("DELETE FROM ClesTables"));
    QCOMPARE(w.address(), url);
    QCOMPARE(o.base.scalar("SELECT count(*) FROM ClesTables").toInt(), 0);
    w.ensureKeys();
    QCOMPARE(o.base.scalar("SELECT count(*) FROM ClesTables").toInt(), 4);

    QTRY_COMPARE(w.Manches->rowCount(), 2);
    QCOMPARE(texts(w.Manches, 0), "1|0|2");
    const QString key =
        o.base.scalar("SELECT Cle FROM ClesTables WHERE CodeEquipe = 1002").toString();
    QCOMPARE(HttpExchange::post(port,
                                "table=1002&cle=" + key.toUtf8() + "&s1=3&s2=-1%2C5&s3=-1%2C5&s4=0")
                 .status,
             200);
    QCOMPARE(w.Dernieres->rowCount(), 1);
    QVERIFY(texts(w.Dernieres, 0).endsWith("|1002|3|-1,5|-1,5|0"));
    QTRY_COMPARE(texts(w.Manches, 0), "1|1|2");
    QCOMPARE(texts(w.Manches, 1), "2|0|2");

    w.Arreter->click();
    QVERIFY(w.Demarrer->isEnabled() && !w.Arreter->isEnabled() && w.SaisiePort->isEnabled());
    QVERIFY(w.address().isEmpty());
    QCOMPARE(HttpExchange::get(port, "/").status, 0);
}

void TestSaisieTables::aPortTakenIsToldAndNothingListens() {
    Opened o;
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::LocalHost, 0));
    o.window->SaisiePort->setValue(other.serverPort());
    o.window->Demarrer->click();
    QCOMPARE(o.script.shown().size(), 1);
    QCOMPARE(o.script.shown().first().title, "Saisie aux tables");
    QCOMPARE(o.script.shown().first().text,
             QStringLiteral("La saisie aux tables n'a pas pu démarrer : le port %1 est déjà pris "
                            "par un autre programme. Choisissez un autre port (par exemple 8081).")
                 .arg(other.serverPort()));
    QVERIFY(o.window->Demarrer->isEnabled());
    QVERIFY(o.window->address().isEmpty());
}

void TestSaisieTables::closedInAnyWayItStopsServing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("title bar") << "close";
    QTest::newRow("Escape") << "escape";
}

void TestSaisieTables::closedInAnyWayItStopsServing() {
    QFETCH(QString, how);
    Opened o;
    const quint16 port = o.start();
    QCOMPARE(HttpExchange::get(port, "/").status, 200);
    if (how == u"close")
        o.window->close();
    else
        QTest::keyClick(o.window, Qt::Key_Escape);
    QTRY_VERIFY(o.window.isNull() || !o.window->isVisible());
    QCOMPARE(HttpExchange::get(port, "/").status, 0);
}

void TestSaisieTables::theMainWindowOpensOneAtATime() {
    TestDatabase base;
    app::Environment environment;
    environment.programDirectory = base.directory();
    environment.programFile = base.directory() + QStringLiteral("Velmora");
    app::Depart depart(environment);
    QVERIFY(depart.Form_Load());
    QVERIFY(depart.tableEntryAddress().isEmpty());
    depart.MenuSaisieTables->trigger();
    depart.MenuSaisieTables->trigger();
    const QList<SaisieTables*> windows = depart.findChildren<SaisieTables*>();
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows.first()->isVisible());
    // Open but not started, it leaves the score sheets as they are.
    QVERIFY(depart.tableEntryAddress().isEmpty());
    windows.first()->close();
    QTRY_VERIFY(depart.findChildren<SaisieTables*>().isEmpty());
    depart.MenuSaisieTables->trigger();
    QCOMPARE(depart.findChildren<SaisieTables*>().size(), 1);
}

void TestSaisieTables::itListensOnTheChosenAddressAlone_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("other"); // another address of this computer
    // Tests stay on the loopback range: 127.0.0.2 stands for a second network of the computer,
    // reached were the server listening on every interface.
    QTest::newRow("this computer alone") << "127.0.0.1"
                                         << "127.0.0.2";
}

void TestSaisieTables::itListensOnTheChosenAddressAlone() {
    QFETCH(QString, chosen);
    QFETCH(QString, other);
    Opened o;
    o.window->ChoixAdresse->setCurrentText(chosen);
    const quint16 port = o.start();
    QCOMPARE(o.window->Serveur.address(), QHostAddress(chosen));
    // Shown, printed and kept as chosen.
    QCOMPARE(o.window->ChoixAdresse->currentText(), chosen);
    QCOMPARE(o.window->Adresse->text(), QStringLiteral("http://%1:%2/").arg(chosen).arg(port));
    QCOMPARE(o.window->address(), o.window->Adresse->text());
    const auto reached = [port](const QString& address) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress(address), port);
        return probe.waitForConnected(2000);
    };
    QVERIFY(reached(chosen));
    QVERIFY(!reached(other));
}

void TestSaisieTables::aLostSheetsTableGetsANewKey_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("told"); // the box; "%1" for the new key
    // clang-format off
    QTest::newRow("a drawn table") << "1002" << "La table 1002 a une nouvelle clé : %1\n\nL'ancienne "
        "clé, celle de la grille perdue, est refusée désormais. Imprimez de nouveau la grille de la "
        "table, ou donnez cette clé à ses joueurs.";
    QTest::newRow("a table not drawn") << "1003" << "La table 1003 n'est pas tirée : elle n'a pas de "
        "clé à changer.\n\nVérifiez le code de la table (4 chiffres, en haut de sa grille).";
    QTest::newRow("three digits") << "102" << "L'équipe se saisi en 4 caractères !!!";
    // clang-format on
}

void TestSaisieTables::aLostSheetsTableGetsANewKey() {
    QFETCH(QString, typed);
    QFETCH(QString, told);
    Opened o;
    const quint16 port = o.start();
    const auto keys = [&o] {
        return o.base.scalar("SELECT group_concat(Cle) FROM ClesTables").toString();
    };
    const QString before = keys();
    const QString old =
        o.base.scalar("SELECT Cle FROM ClesTables WHERE CodeEquipe = 1002").toString();
    QTest::keyClicks(o.window->SaisieCleTable, typed);
    o.window->NouvelleCle->click();
    QCOMPARE(o.script.shown().size(), 1);
    const QString key =
        o.base.scalar("SELECT Cle FROM ClesTables WHERE CodeEquipe = 1002").toString();
    if (!told.contains("%1")) {
        QCOMPARE(o.script.shown().first().text, told);
        QCOMPARE(keys(), before);
        return;
    }
    QCOMPARE(o.script.shown().first().text, told.arg(key));
    QVERIFY(key != old);
    QCOMPARE(keys(), QString(before).replace(old, key));
    // The lost sheet's key opens nothing; the window tells of the phone refused, then of
    // the one made to wait.
    QCOMPARE(HttpExchange::get(port, "/?table=1002&cle=" + key).status, 200);
    QCOMPARE(o.window->Ralentis->text(), "Téléphones ralentis : aucun.");
    for (int i = 0; i < 5; ++i)
        QCOMPARE(HttpExchange::get(port, "/?table=1002&cle=" + old).status, 403);
    QCOMPARE(HttpExchange::get(port, "/?table=1002&cle=" + key).status, 429);
    const QRegularExpression time(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"));
    QCOMPARE(o.window->Refuses->text().replace(time, "t"),
             "Téléphones refusés : 5 fois, la dernière à t (téléphone 127.0.0.1, table 1002) : "
             "table ou clé inconnue.");
    QCOMPARE(o.window->Ralentis->text().replace(time, "t"),
             "Téléphones ralentis : 1 fois, la dernière à t (téléphone 127.0.0.1, table 1002) : "
             "trop d'essais avec une clé erronée.");
}

void TestSaisieTables::theRankingIsPublishedAsChosen_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("status"); // of the live ranking
    QTest::addColumn<bool>("browserOpens");
    QTest::newRow("not published") << 0 << 404 << true;
    QTest::newRow("public on the network") << 1 << 200 << false;
    QTest::newRow("players with their key") << 2 << 200 << true;
}

void TestSaisieTables::theRankingIsPublishedAsChosen() {
    QFETCH(int, choice);
    QFETCH(int, status);
    QFETCH(bool, browserOpens);
    Opened o;
    QList<QUrl> opened;
    o.window->openUrl = [&](const QUrl& url) { return opened.append(url), browserOpens; };
    QVERIFY(o.window->ChoixClassement->currentIndex() == 0 &&
            !o.window->AfficherSalle->isEnabled());
    o.window->ChoixClassement->setCurrentIndex(choice);
    const quint16 port = o.start();
    QCOMPARE(o.base.scalar("SELECT count(DISTINCT Cle) FROM ClesJoueurs").toInt(), 8);
    QCOMPARE(HttpExchange::get(port, "/classement").status, status);
    o.window->AfficherSalle->click();
    QCOMPARE(opened, QList<QUrl>({QUrl(o.window->address() + "salle")}));
    QCOMPARE(o.script.shown().size(), browserOpens ? 0 : 1);
}

void TestSaisieTables::theDealByDealChoiceIsKeptInTheFile() {
    Opened o;
    QVERIFY(!o.window->DonneParDonne->isChecked());
    const quint16 port = o.start();
    const QByteArray page =
        "/?table=1001&cle=" +
        o.base.scalar("SELECT Cle FROM ClesTables WHERE CodeEquipe = 1001").toString().toUtf8();
    QVERIFY(HttpExchange::get(port, page).body.contains("<input name=\"s1\""));
    o.window->DonneParDonne->click();
    QCOMPARE(o.base.scalar("SELECT DonneParDonne FROM Parametres").toInt(), 1);
    QVERIFY(HttpExchange::get(port, page).body.contains("id=\"ajouter\""));
    // The window opened again shows the choice the file keeps.
    SaisieTables again(o.shell, nullptr);
    QVERIFY(again.start());
    QVERIFY(again.DonneParDonne->isChecked());
    again.DonneParDonne->click();
    QCOMPARE(o.base.scalar("SELECT DonneParDonne FROM Parametres").toInt(), 0);
    QVERIFY(HttpExchange::get(port, page).body.contains("<input name=\"s1\""));
}

VELMORA_TEST_MAIN(TestSaisieTables)
#include "tst_saisietables.moc"
