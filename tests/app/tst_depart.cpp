#include "app/Apropos.h"
#include "app/DataFolder.h"
#include "app/Depart.h"
#include "db/Connection.h"
#include "db/Schema.h"
#include "support/Platform.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolBar>
#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

using ui::MessageBox;

namespace {

// Records which command handler ran instead of running it.
class RecordingDepart : public app::Depart {
public:
    using Depart::Depart;
    QStringList calls;
    void MenuInscriptions_Click() override { calls << QStringLiteral("MenuInscriptions_Click"); }
    void MenuEquipe_Click() override { calls << QStringLiteral("MenuEquipe_Click"); }
    void MenuSaisie_Click() override { calls << QStringLiteral("MenuSaisie_Click"); }
    void MenuCorrection_Click() override { calls << QStringLiteral("MenuCorrection_Click"); }
    void MenuQuitter_Click() override { calls << QStringLiteral("MenuQuitter_Click"); }
    void MenuListeEquipe_Click() override { calls << QStringLiteral("MenuListeEquipe_Click"); }
    void MenuGriles_Click() override { calls << QStringLiteral("MenuGriles_Click"); }
    void MenuResultats_Click() override { calls << QStringLiteral("MenuResultats_Click"); }
    void MenuManches_Click() override { calls << QStringLiteral("MenuManches_Click"); }
    void MenuReinitialisation_Click() override {
        calls << QStringLiteral("MenuReinitialisation_Click");
    }
    void MenuApropos_Click() override { calls << QStringLiteral("MenuApropos_Click"); }
    void MenuAide_Click() override { calls << QStringLiteral("MenuAide_Click"); }
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

QAction* toolButton(app::Depart& window, const QString& key) {
    return window.Toolbar1->findChild<QAction*>(QStringLiteral("Toolbar1_") + key);
}

// A main window started on a fresh tournament file, with a help file beside it.
template <typename Window> struct Started {
    TestDatabase base;
    Platform platform;
    Window window;

    Started(int major = 1, int minor = 0)
        : window(platform.environment(base.directory(), major, minor)) {
        writeHelp(base.directory());
    }
    bool start() {
        if (!window.Form_Load())
            return false;
        window.show();
        return true;
    }
};

} // namespace

class TestDepart : public QObject {
    Q_OBJECT
private slots:
    void statusBarShowsVersionDateAndTime();
    void lockKeyPanelsFollowTheKeyboard_data();
    void lockKeyPanelsFollowTheKeyboard();
    void insertKeyTogglesItsPanel();
    void insertKeyCountsOnceInANestedField();
    void menusHoldEveryCommandInOrder();
    void toolBarHasTwelveButtonsInFiveGroups_data();
    void toolBarHasTwelveButtonsInFiveGroups();
    void toolBarKeysRunTheMenuHandlers_data();
    void toolBarKeysRunTheMenuHandlers();
    void unknownKeyDoesNothing_data();
    void unknownKeyDoesNothing();
    void cardsShownAndMessageHiddenAtStart();
    void secondCopyIsRefused();
    void lockLeftBehindDoesNotBlock_data();
    void lockLeftBehindDoesNotBlock();
    void badDatabaseFileEndsTheStartUp_data();
    void badDatabaseFileEndsTheStartUp();
    void numbersGivenTwiceAreToldAtOpening();
    void closingEndsTheProgram_data();
    void closingEndsTheProgram();
    void commandWindowsHideTheCardsUntilTheyClose_data();
    void commandWindowsHideTheCardsUntilTheyClose();
    void drawRefusedWithoutRegistrations_data();
    void drawRefusedWithoutRegistrations();
    void resetRunsInTheMainWindow_data();
    void resetRunsInTheMainWindow();
    void helpOpensFromTheMenuAndFromF1();
    void f1InAModalWindowOpensHelpOverIt_data();
    void f1InAModalWindowOpensHelpOverIt();
    void helpOpenBeforeAModalWindowBecomesModal();
    void reportsBecomePdfFilesInImpressions_data();
    void reportsBecomePdfFilesInImpressions();
    void dataGoBesideOrToTheUserFolder_data();
    void dataGoBesideOrToTheUserFolder();
};

void TestDepart::statusBarShowsVersionDateAndTime() {
    Started<app::Depart> started(1, 3);
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    QCOMPARE(window.Panneaux[0]->text(), "Velmora  -  Version 1.3");
    QCOMPARE(window.versionText(), "1.3");
    QCOMPARE(window.Panneaux[5]->text(), "09/12/2026");
    QCOMPARE(window.Panneaux[6]->text(), "10:15");
    // Kept current as time goes by.
    platform.now = QDateTime(QDate(2026, 12, 10), QTime(0, 1));
    QTRY_COMPARE(window.Panneaux[6]->text(), "00:01");
    QCOMPARE(window.Panneaux[5]->text(), "10/12/2026");
    QCOMPARE(window.windowTitle(), "Velmora");
}

void TestDepart::lockKeyPanelsFollowTheKeyboard_data() {
    QTest::addColumn<bool>("scroll");
    QTest::addColumn<bool>("caps");
    QTest::addColumn<bool>("num");
    QTest::addColumn<QString>("panels"); // panels 2 to 5, "_" for empty
    QTest::newRow("all off") << false << false << false << "_ _ _ _";
    QTest::newRow("scroll lock") << true << false << false << "DEFIL _ _ _";
    QTest::newRow("caps lock") << false << true << false << "_ _ MAJ _";
    QTest::newRow("num lock") << false << false << true << "_ _ _ NUM";
    QTest::newRow("all on") << true << true << true << "DEFIL _ MAJ NUM";
}

void TestDepart::lockKeyPanelsFollowTheKeyboard() {
    QFETCH(bool, scroll);
    QFETCH(bool, caps);
    QFETCH(bool, num);
    QFETCH(QString, panels);
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    platform.keys = {scroll, caps, num};
    const auto shown = [&window] {
        QStringList texts;
        for (int i = 1; i <= 4; ++i)
            texts << (window.Panneaux[i]->text().isEmpty() ? QStringLiteral("_")
                                                           : window.Panneaux[i]->text());
        return texts.join(u' ');
    };
    QTRY_COMPARE(shown(), panels);
}

void TestDepart::insertKeyTogglesItsPanel() {
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    QCOMPARE(window.Panneaux[2]->text(), "");
    QTest::keyClick(&window, Qt::Key_Insert);
    QCOMPARE(window.Panneaux[2]->text(), "INS");
    QTest::keyClick(&window, Qt::Key_Insert);
    QCOMPARE(window.Panneaux[2]->text(), "");
}

void TestDepart::insertKeyCountsOnceInANestedField() {
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    // A field two levels down in a window: the key passes every parent on its way up.
    QDialog dialog;
    auto* frame = new QWidget(&dialog);
    auto* field = new QLineEdit(frame);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    field->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), field);
    QStringList seen;
    for (int press = 0; press < 3; ++press) {
        QTest::keyClick(field, Qt::Key_Insert);
        seen << (window.Panneaux[2]->text().isEmpty() ? QStringLiteral("_")
                                                      : window.Panneaux[2]->text());
    }
    QCOMPARE(seen.join(u' '), "INS _ INS");
}

void TestDepart::menusHoldEveryCommandInOrder() {
    Started<app::Depart> started;
    auto& [base, platform, window] = started;
    QStringList seen;
    for (QAction* menu : window.menuBar()->actions()) {
        seen << menu->menu()->objectName() + u'=' + menu->text();
        for (QAction* item : menu->menu()->actions())
            seen << QStringLiteral("  ") + item->objectName() + u'=' +
                        (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    const QStringList expected = {
        "MenuFichier=&Fichier",
        "  MenuInscriptions=&Inscriptions",
        "  MenuEquipe=&Constitution des tables",
        "  MenuArrivees=&Arrivées et départs",
        "  MenuSepare01=-",
        "  MenuSaisie=&Saisie des résultats",
        "  MenuCorrection=Co&rrection des résultats",
        "  MenuSaisieTables=Saisie aux &tables",
        "  MenuSepare02=-",
        "  MenuQuitter=&Quitter",
        "MenuEditions=&Editions",
        "  MenuListeEquipe=&Liste des tables",
        "  MenuGriles=&Grilles de comptage de points",
        "  MenuFeuillesRoute=&Feuilles de route",
        "  MenuResultats=&Résultats",
        "  MenuExporter=&Exporter le classement",
        "MnuParametres=&Paramètres",
        "  MenuManches=&Manches et parties",
        "  MenuReinitialisation=&Réinitialisation de la base",
        "  MenuRestaurer=Restaurer une &sauvegarde",
        "MenuSaison=&Saison",
        "  MenuSoirees=&Soirées",
        "  MenuJoueurs=&Joueurs",
        "  MenuImporter=&Importer des joueurs",
        "  MenuClassementSaison=&Classement de la saison",
        "MenuInterro=&?",
        "  MenuApropos=A &propos",
        "  MenuAide=&Aide",
    };
    QCOMPARE(seen, expected);
}

void TestDepart::toolBarHasTwelveButtonsInFiveGroups_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("toolTip");
    // clang-format off
    QTest::newRow("Inscriptions") << "Inscriptions" << "Saisie des inscriptions";
    QTest::newRow("Tables") << "Tables" << "Constitution des tables";
    QTest::newRow("Resultats") << "Resultats" << "Saisie des résultats";
    QTest::newRow("Correction") << "Correction" << "Correction des résultats";
    QTest::newRow("ListeTables") << "ListeTables" << "Edition de liste des tables";
    QTest::newRow("Grilles") << "Grilles" << "Edition des grilles de résultats";
    QTest::newRow("ListeResultats") << "ListeResultats" << "Edition des classements";
    QTest::newRow("Manches") << "Manches" << "Paramètrage du nombre de manches et parties";
    QTest::newRow("Reinitialisation") << "Reinitialisation" << "Réinitialisation de la base";
    QTest::newRow("Quitter") << "Quitter" << "Quitter";
    QTest::newRow("Apropos") << "Apropos" << "A propos";
    QTest::newRow("Aide") << "Aide" << "Aide";
    // clang-format on
}

void TestDepart::toolBarHasTwelveButtonsInFiveGroups() {
    QFETCH(QString, key);
    QFETCH(QString, toolTip);
    Started<app::Depart> started;
    auto& [base, platform, window] = started;
    QStringList layout;
    for (QAction* action : window.Toolbar1->actions())
        layout << (action->data().isValid() ? action->data().toString() : QStringLiteral("|"));
    QCOMPARE(layout.join(u' '), "Inscriptions Tables Resultats Correction | ListeTables Grilles "
                                "ListeResultats | Manches Reinitialisation | Quitter | Apropos "
                                "Aide");
    QAction* button = toolButton(window, key);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), toolTip);
    QVERIFY2(!button->icon().pixmap(32, 32).isNull(), "a button without a picture");
}

void TestDepart::toolBarKeysRunTheMenuHandlers_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("handler");
    // clang-format off
    QTest::newRow("Inscriptions") << "Inscriptions" << "MenuInscriptions" << "MenuInscriptions_Click";
    QTest::newRow("Tables") << "Tables" << "MenuEquipe" << "MenuEquipe_Click";
    QTest::newRow("Resultats") << "Resultats" << "MenuSaisie" << "MenuSaisie_Click";
    QTest::newRow("Correction") << "Correction" << "MenuCorrection" << "MenuCorrection_Click";
    QTest::newRow("ListeTables") << "ListeTables" << "MenuListeEquipe" << "MenuListeEquipe_Click";
    QTest::newRow("Grilles") << "Grilles" << "MenuGriles" << "MenuGriles_Click";
    QTest::newRow("ListeResultats") << "ListeResultats" << "MenuResultats" << "MenuResultats_Click";
    QTest::newRow("Manches") << "Manches" << "MenuManches" << "MenuManches_Click";
    QTest::newRow("Reinitialisation") << "Reinitialisation" << "MenuReinitialisation"
                                      << "MenuReinitialisation_Click";
    QTest::newRow("Quitter") << "Quitter" << "MenuQuitter" << "MenuQuitter_Click";
    QTest::newRow("Apropos") << "Apropos" << "MenuApropos" << "MenuApropos_Click";
    QTest::newRow("Aide") << "Aide" << "MenuAide" << "MenuAide_Click";
    // clang-format on
}

void TestDepart::toolBarKeysRunTheMenuHandlers() {
    QFETCH(QString, key);
    QFETCH(QString, menu);
    QFETCH(QString, handler);
    Started<RecordingDepart> started;
    auto& [base, platform, window] = started;
    toolButton(window, key)->trigger();
    QCOMPARE(window.calls, QStringList{handler});
    window.calls.clear();
    window.findChild<QAction*>(menu)->trigger();
    QCOMPARE(window.calls, QStringList{handler});
}

void TestDepart::unknownKeyDoesNothing_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("empty") << "";
    QTest::newRow("other case") << "inscriptions";
    QTest::newRow("trailing blank") << "Aide ";
    QTest::newRow("menu name") << "MenuAide";
    QTest::newRow("unknown") << "Classement";
}

void TestDepart::unknownKeyDoesNothing() {
    QFETCH(QString, key);
    Started<RecordingDepart> started;
    auto& [base, platform, window] = started;
    window.Toolbar1_ButtonClick(key);
    QVERIFY(window.calls.isEmpty());
}

void TestDepart::cardsShownAndMessageHiddenAtStart() {
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    QVERIFY(window.Cartes->isVisible());
    QVERIFY(!window.Cartes->pixmap().isNull());
    QVERIFY(!window.Message->isVisible());
    QCOMPARE(window.Message->text(), "Impressions en cours !!      Veuillez patienter ...");
    window.setMessageVisible(true);
    QVERIFY(window.Message->isVisible());
}

void TestDepart::secondCopyIsRefused() {
    TestDatabase base;
    base.closeMain();
    const QByteArray before = fileBytes(base.path());
    QLockFile running(base.directory() + QStringLiteral("Velmora.lck"));
    QVERIFY(running.tryLock(0));
    // The first copy may have been running for hours.
    QFile lockFile(base.directory() + QStringLiteral("Velmora.lck"));
    QVERIFY(lockFile.open(QIODevice::ReadWrite));
    QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-3 * 3600),
                                 QFileDevice::FileModificationTime));
    lockFile.close();

    MessageBox::Script script;
    Platform platform;
    app::Depart window(platform.environment(base.directory()));
    QVERIFY(!window.Form_Load());
    QCOMPARE(script.shown().size(), 1);
    const MessageBox::Shown& box = script.shown().first();
    QCOMPARE(box.icon, MessageBox::Icon::Critical);
    QCOMPARE(box.title, "Velmora");
    QCOMPARE(box.text, "L'application est déjà en mémoire !!\n\nUtiliser la barre des taches");
    QCOMPARE(box.buttons, MessageBox::Buttons::Ok);
    QVERIFY(!window.isVisible());
    QVERIFY(!db::openConnection(base.path())); // the database was not opened
    QCOMPARE(fileBytes(base.path()), before);
    QVERIFY(running.isLocked()); // the running copy keeps its lock
}

void TestDepart::lockLeftBehindDoesNotBlock_data() {
    QTest::addColumn<bool>("thisMachine");
    QTest::addColumn<int>("ageInDays");
    // A crash: the lock names a process that has ended.
    QTest::newRow("crashed copy") << true << 0;
    // The program folder carried on a key after a crash, or the computer renamed: the lock
    // names another machine, and nobody holds it.
    QTest::newRow("old lock from another machine") << false << 1;
}

void TestDepart::lockLeftBehindDoesNotBlock() {
    QFETCH(bool, thisMachine);
    QFETCH(int, ageInDays);
    TestDatabase base;
    // A process that has ended: its number names no running program.
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    QVERIFY(child > 0);
    waitpid(child, nullptr, 0);
    QFile lock(base.directory() + QStringLiteral("Velmora.lck"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(
        QStringLiteral("%1\nVelmora\n%2\n")
            .arg(child)
            .arg(thisMachine ? QSysInfo::machineHostName() : QStringLiteral("portable-du-club"))
            .toUtf8());
    lock.close(); // written first, dated after
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-ageInDays),
                             QFileDevice::FileModificationTime));
    lock.close();

    MessageBox::Script script;
    Platform platform;
    app::Depart window(platform.environment(base.directory()));
    QVERIFY(window.Form_Load());
    QVERIFY(script.shown().isEmpty());
}

void TestDepart::badDatabaseFileEndsTheStartUp_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("cause");
    // clang-format off
    QTest::newRow("missing") << "missing" << "introuvable";
    QTest::newRow("wrong password") << "password" << "mot de passe";
    QTest::newRow("not a database") << "text" << "mot de passe";
    QTest::newRow("empty file") << "empty" << "ne contient pas les tables";
    QTest::newRow("a folder") << "folder" << "ne peut pas être lu";
    // clang-format on
}

void TestDepart::badDatabaseFileEndsTheStartUp() {
    QFETCH(QString, kind);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString directory = dir.path() + u'/';
    const QString path = db::databasePath(directory);
    if (kind == u"password") {
        db::createDatabase(path, QStringLiteral("autre"));
    } else if (kind == u"text" || kind == u"empty") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == u"text")
            file.write("Liste des joueurs du club\nDUPONT Jean\n");
    } else if (kind == u"folder") {
        QVERIFY(QDir().mkdir(path));
    }
    const QByteArray before = fileBytes(path);

    MessageBox::Script script;
    Platform platform;
    {
        app::Depart window(platform.environment(directory));
        QVERIFY(!window.Form_Load());
        QVERIFY(!window.isVisible());
    }
    QCOMPARE(script.shown().size(), 1);
    const MessageBox::Shown& box = script.shown().first();
    QCOMPARE(box.icon, MessageBox::Icon::Critical);
    QCOMPARE(box.title, "Velmora");
    QVERIFY2(box.text.contains(path), qPrintable(box.text));
    QVERIFY2(box.text.contains(cause), qPrintable(box.text));
    QCOMPARE(fileBytes(path), before);
    QVERIFY(!db::openConnection(path));
    // Nothing is left beside it: no journal, no lock.
    QStringList left = QDir(directory).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    left.removeAll(QStringLiteral("Velmora"));
    QCOMPARE(left, kind == u"missing" ? QStringList() : QStringList{"Velmora.dat"});
}

void TestDepart::numbersGivenTwiceAreToldAtOpening() {
    TestDatabase base({{1, QStringLiteral("DUPONT")},
                       {3, QStringLiteral("MARTIN")},
                       {3, QStringLiteral("ZOLA")}});
    base.closeMain();
    MessageBox::Script script;
    Platform platform;
    app::Depart window(platform.environment(base.directory()));
    QVERIFY(window.Form_Load());
    QCOMPARE(script.shown().size(), 1);
    const MessageBox::Shown& box = script.shown().first();
    QCOMPARE(box.icon, MessageBox::Icon::Critical);
    QCOMPARE(box.title, "Velmora");
    QVERIFY2(box.text.startsWith(
                 QStringLiteral("Le numéro de joueur 3 est attribué à plusieurs inscrits !!!\n\n")),
             qPrintable(box.text));
}

void TestDepart::closingEndsTheProgram_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("title bar close button") << "close";
    QTest::newRow("menu command") << "menu";
    QTest::newRow("tool-bar button") << "button";
    QTest::newRow("close button, help still open") << "help";
}

void TestDepart::closingEndsTheProgram() {
    QFETCH(QString, how);
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    if (how == u"help") {
        window.MenuAide->trigger();
        QVERIFY(window.helpViewer().isVisible());
    }
    QTimer::singleShot(0, &window, [&] {
        if (how == u"close" || how == u"help")
            window.close();
        else if (how == u"menu")
            window.MenuQuitter->trigger();
        else
            toolButton(window, QStringLiteral("Quitter"))->trigger();
    });
    // Should the program not end, this ends the event loop with another code.
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(7); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!window.isVisible());
    QVERIFY(!window.helpViewer().isVisible());
}

void TestDepart::commandWindowsHideTheCardsUntilTheyClose_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fromMenu");
    // clang-format off
    QTest::newRow("about, button") << "Apropos" << "Apropos" << false;
    QTest::newRow("registration, button") << "Inscriptions" << "Inscriptions" << false;
    QTest::newRow("registration, menu") << "Inscriptions" << "Inscriptions" << true;
    QTest::newRow("settings, button") << "Manches" << "Parametres" << false;
    QTest::newRow("settings, menu") << "Manches" << "Parametres" << true;
    QTest::newRow("draw, button") << "Tables" << "Tirage" << false;
    QTest::newRow("draw, menu") << "Tables" << "Tirage" << true;
    QTest::newRow("results, button") << "Resultats" << "Resultats" << false;
    QTest::newRow("results, menu") << "Resultats" << "Resultats" << true;
    QTest::newRow("correction, button") << "Correction" << "Correction" << false;
    QTest::newRow("correction, menu") << "Correction" << "Correction" << true;
    QTest::newRow("restore, menu") << "Restaurer" << "Restauration" << true;
    // clang-format on
}

void TestDepart::commandWindowsHideTheCardsUntilTheyClose() {
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(bool, fromMenu);
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean")); // the draw asks for one
    if (fromMenu)
        (key == u"Manches"      ? window.MenuManches
         : key == u"Tables"     ? window.MenuEquipe
         : key == u"Resultats"  ? window.MenuSaisie
         : key == u"Correction" ? window.MenuCorrection
         : key == u"Restaurer"  ? window.MenuRestaurer
                                : window.MenuInscriptions)
            ->trigger();
    else
        toolButton(window, key)->trigger();
    QPointer<QDialog> opened = window.findChild<QDialog*>(name);
    QVERIFY(opened);
    QVERIFY(opened->isVisible());
    QCOMPARE(opened->windowModality(), Qt::ApplicationModal);
    QVERIFY(!window.Cartes->isVisible());
    QTest::mouseClick(opened->findChild<QPushButton*>(QStringLiteral("Quitter")), Qt::LeftButton);
    QVERIFY(window.Cartes->isVisible());
    QTRY_VERIFY(opened.isNull());
}

void TestDepart::drawRefusedWithoutRegistrations_data() {
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("button") << false;
    QTest::newRow("menu") << true;
}

void TestDepart::drawRefusedWithoutRegistrations() {
    QFETCH(bool, fromMenu);
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& window = started.window;
    MessageBox::Script script;
    (fromMenu ? window.MenuEquipe : toolButton(window, QStringLiteral("Tables")))->trigger();
    QCOMPARE(script.shown().size(), 1);
    const MessageBox::Shown& refusal = script.shown().first();
    QCOMPARE(refusal.icon, MessageBox::Icon::Critical);
    QCOMPARE(refusal.title, "Constitution des équipes");
    QCOMPARE(refusal.text,
             "Il n'y a aucun inscrit !!!\n\nLa constitution des équipes ne peut se faire !!!");
    QVERIFY(!window.findChild<QDialog*>(QStringLiteral("Tirage")));
    QVERIFY(window.Cartes->isVisible());
    QVERIFY(!window.DataReinit.Recordset().isOpen());
}

void TestDepart::resetRunsInTheMainWindow_data() {
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("button") << false;
    QTest::newRow("menu") << true;
}

void TestDepart::resetRunsInTheMainWindow() {
    QFETCH(bool, fromMenu);
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    MessageBox::Script script;
    script.answer(MessageBox::Answer::Yes);
    if (fromMenu)
        window.MenuReinitialisation->trigger();
    else
        toolButton(window, QStringLiteral("Reinitialisation"))->trigger();
    QCOMPARE(script.shown().size(), 3); // asked, done, and the copy of what was wiped
    QCOMPARE(base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")), QVariant(0));
    QVERIFY(window.Cartes->isVisible());
}

void TestDepart::helpOpensFromTheMenuAndFromF1() {
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    QCOMPARE(window.helpViewer().helpFile(), base.directory() + QStringLiteral("Velmora.hlp"));

    QTest::keyClick(&window, Qt::Key_F1);
    QVERIFY(window.helpViewer().isVisible());
    QVERIFY(window.helpViewer().findChild<QTextBrowser*>()->toPlainText().contains("Aide de test"));
    window.helpViewer().close();

    window.MenuAide->trigger();
    QVERIFY(window.helpViewer().isVisible());
    window.helpViewer().close();
    toolButton(window, QStringLiteral("Aide"))->trigger();
    QVERIFY(window.helpViewer().isVisible());
}

void TestDepart::f1InAModalWindowOpensHelpOverIt_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::newRow("about") << "Apropos"
                           << "Apropos";
    QTest::newRow("draw") << "Tables"
                          << "Tirage";
    QTest::newRow("results") << "Resultats"
                             << "Resultats";
}

void TestDepart::f1InAModalWindowOpensHelpOverIt() {
    QFETCH(QString, key);
    QFETCH(QString, name);
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    base.addPlayer(1, QStringLiteral("DUPONT"), QStringLiteral("Jean"));
    toolButton(window, key)->trigger();
    auto* about = window.findChild<QDialog*>(name);
    QVERIFY(about);
    QTest::keyClick(about->findChild<QPushButton*>(QStringLiteral("Quitter")), Qt::Key_F1);
    QVERIFY(window.helpViewer().isVisible());
    // Over a modal window the help is modal too, or it could not be read.
    QCOMPARE(window.helpViewer().windowModality(), Qt::ApplicationModal);
    QCOMPARE(QApplication::activeModalWidget(), &window.helpViewer());
    QVERIFY(about->isVisible());
    // F1 again, in the help itself: it stays readable, over the window.
    QTest::keyClick(window.helpViewer().findChild<QTextBrowser*>(), Qt::Key_F1);
    QVERIFY(window.helpViewer().isVisible());
    QCOMPARE(QApplication::activeModalWidget(), &window.helpViewer());
}

void TestDepart::helpOpenBeforeAModalWindowBecomesModal() {
    Started<app::Depart> started;
    QVERIFY(started.start());
    auto& [base, platform, window] = started;
    window.MenuAide->trigger();
    QCOMPARE(window.helpViewer().windowModality(), Qt::NonModal);
    // Left open, then a command window comes up over everything: F1 there brings the help
    // over it, readable.
    window.MenuApropos->trigger();
    auto* about = window.findChild<app::Apropos*>();
    QVERIFY(about);
    QCOMPARE(QApplication::activeModalWidget(), about);
    QTest::keyClick(about->Quitter, Qt::Key_F1);
    QVERIFY(window.helpViewer().isVisible());
    QCOMPARE(QApplication::activeModalWidget(), &window.helpViewer());
}

void TestDepart::reportsBecomePdfFilesInImpressions_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("players");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("table list") << "ListeTables" << 8
                                << QStringList{
                                       "Liste des tables - manche 1 - 2026-12-09 10h15m00.pdf",
                                       "Liste des tables - manche 2 - 2026-12-09 10h15m00.pdf"};
    QTest::newRow("score sheets: one file for the round")
        << "Grilles" << 8
        << QStringList{"Grilles de comptage - manche 2 - 2026-12-09 10h15m00.pdf"};
    QTest::newRow("ranking") << "ListeResultats" << 8
                             << QStringList{"Classement - 2026-12-09 10h15m00.pdf"};
    QTest::newRow("refused: nothing to open") << "ListeTables" << 0 << QStringList{};
    QTest::newRow("no file viewer: the folder named")
        << "" << 8 << QStringList{"Classement - 2026-12-09 10h15m00.pdf"};
}

void TestDepart::reportsBecomePdfFilesInImpressions() {
    QFETCH(QString, key);
    QFETCH(int, players);
    QFETCH(QStringList, files);
    Started<app::Depart> s;
    QVERIFY(s.start());
    s.platform.viewer = !key.isEmpty();
    if (key.isEmpty())
        key = QStringLiteral("ListeResultats");
    if (players) {
        s.base.drawTournament(players, 2);
        s.base.connection().executeNative(
            QStringLiteral("INSERT INTO Resultats SELECT 1, CodeIndividuel, 0 FROM Inscriptions"));
    }
    MessageBox::Script script;
    script.answerInput(QStringLiteral("2"));
    toolButton(s.window, key)->trigger();

    const QString folder = s.base.directory() + QStringLiteral("Impressions");
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), files);
    QCOMPARE(s.platform.opened, files.isEmpty() ? QStringList() : QStringList{folder});
    QList<MessageBox::Shown> told = script.shown();
    told.removeIf([](const MessageBox::Shown& box) { return box.icon == MessageBox::Icon::Input; });
    QCOMPARE(told.size(), files.isEmpty() || !s.platform.viewer ? 1 : 0);
    if (!s.platform.viewer)
        QCOMPARE(told.first().text, "Les pages ont été enregistrées dans le dossier :\n" +
                                        QDir::toNativeSeparators(folder) + "\n\n" +
                                        files.join(u'\n'));
    QVERIFY(s.window.Cartes->isVisible());
    QVERIFY(!s.window.Message->isVisible());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!s.window.DataEditions.Recordset().isOpen());
}

void TestDepart::dataGoBesideOrToTheUserFolder_data() {
    QTest::addColumn<QString>("layout"); // "copied": file and help beside the program;
                                         // "installed": both in ../share/velmora
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("user");     // the user folder before: "none", "player", "damaged
                                           // model"
    QTest::addColumn<QString>("expected"); // where the data go, or "refused"
    // clang-format off
    QTest::newRow("writable folder") << "copied" << true << "none" << "beside";
    QTest::newRow("read-only folder") << "copied" << false << "none" << "user";
    QTest::newRow("first start") << "installed" << true << "none" << "user";
    QTest::newRow("second start") << "installed" << false << "player" << "user";
    QTest::newRow("damaged model") << "installed" << false << "damaged model" << "refused";
    // clang-format on
}

void TestDepart::dataGoBesideOrToTheUserFolder() {
    QFETCH(QString, layout);
    QFETCH(bool, writable);
    QFETCH(QString, user);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString program = dir.path() + QStringLiteral("/usr/bin/");
    const QString shipped =
        layout == u"copied" ? program : dir.path() + QStringLiteral("/usr/share/velmora/");
    const QString userFolder = dir.path() + QStringLiteral("/home/.local/share/Velmora");
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(shipped));
    writeHelp(shipped);
    if (user == u"damaged model") {
        QFile model(shipped + QStringLiteral("Velmora.dat"));
        QVERIFY(model.open(QIODevice::WriteOnly));
        model.write(QByteArray(4096, 'x'));
    } else {
        db::createDatabase(shipped + QStringLiteral("Velmora.dat"),
                           QString::fromUtf16(db::kPassword));
    }
    const QByteArray model = fileBytes(shipped + QStringLiteral("Velmora.dat"));
    if (user == u"player") {
        QVERIFY(QDir().mkpath(userFolder));
        const QString kept = userFolder + QStringLiteral("/Velmora.dat");
        QVERIFY(QFile::copy(shipped + QStringLiteral("Velmora.dat"), kept));
        standardClient(kept, QStringLiteral("INSERT INTO Inscriptions VALUES (1, 'DUPONT', "
                                            "'Jean', 0, NULL, 0, 0, 0, 0, 0, 0, 0);"));
    }

    const app::DataFolder folder = app::chooseDataFolder(program, writable, userFolder);
    QCOMPARE(folder.beside, expected == u"beside");
    const QString refusal = app::placeTournament(folder);
    QCOMPARE(fileBytes(shipped + QStringLiteral("Velmora.dat")), model);
    if (expected == u"refused") {
        QCOMPARE(refusal, QStringLiteral("Impossible d'ouvrir la base du tournoi :\n%1\n\nCe "
                                         "n'est pas une base Velmora, ou elle ne s'ouvre pas avec "
                                         "son mot de passe.\n\nLe programme va s'arrêter.")
                              .arg(shipped + QStringLiteral("Velmora.dat")));
        // Nothing of it in the user's folder: a repaired installation is copied next time.
        QCOMPARE(QDir(userFolder).entryList(QDir::Files), QStringList());
        return;
    }
    QCOMPARE(refusal, QString());
    QCOMPARE(folder.data, expected == u"beside" ? program : userFolder + u'/');
    QCOMPARE(QFileInfo::exists(userFolder), expected == u"user");

    MessageBox::Script script;
    Platform platform;
    app::Environment environment = platform.environment(folder.data);
    environment.helpDirectory = folder.shared;
    app::Depart window(std::move(environment));
    QVERIFY(window.Form_Load());
    QCOMPARE(script.shown().size(), 0);
    QCOMPARE(window.helpViewer().helpFile(), shipped + QStringLiteral("Velmora.hlp"));
    const QString players = standardClient(db::databasePath(folder.data),
                                           QStringLiteral("SELECT count(*) FROM Inscriptions;"));
    QCOMPARE(players.split(u'\n').last(), user == u"player" ? "1" : "0");
}

VELMORA_TEST_MAIN(TestDepart)
#include "tst_depart.moc"
