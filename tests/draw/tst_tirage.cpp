#include "db/Connection.h"
#include "draw/ArriveesDeparts.h"
#include "draw/Tirage.h"
#include "support/OpenedWindow.h"
#include "support/TestMain.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using ui::MessageBox;

namespace {

// The draw window over a file of n players and the given settings.
struct Opened : OpenedWindow<draw::Tirage> {
    bool open(int players, const QVariant& rounds = 3, const QVariant& deals = 12) {
        for (int i = 1; i <= players; ++i)
            base.addPlayer(i, QStringLiteral("NOM%1").arg(i), QStringLiteral("Jean"));
        base.connection().executeNative(
            QStringLiteral("UPDATE Parametres SET Manches = ?1, Parties = ?2"), {rounds, deals});
        return OpenedWindow::open();
    }
    QList<bool> buttons() const {
        return {window->Valider->isEnabled(), window->Quitter->isEnabled()};
    }
};

} // namespace

class TestTirage : public QObject {
    Q_OBJECT
private slots:
    void showsTheFiguresAsStored_data();
    void showsTheFiguresAsStored();
    void valider_data();
    void valider();
    void theChoiceIsKeptAndTheRepeatsTold();
    void tablesOfFiveSeatEveryoneAndAreKept();
    void arrivalsAndDeparturesRedrawTheComingRounds();
};

void TestTirage::showsTheFiguresAsStored_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QVariant>("rounds");
    QTest::addColumn<QVariant>("deals");
    QTest::addColumn<QStringList>("figures");
    QTest::newRow("7 players") << 7 << QVariant(3) << QVariant(12)
                               << QStringList{"7", "4", "3", "12"};
    QTest::newRow("12 players") << 12 << QVariant(7) << QVariant(15)
                                << QStringList{"12", "12", "7", "15"};
    QTest::newRow("values the settings let through")
        << 2 << QVariant(0) << QVariant(-1) << QStringList{"2", "0", "0", "-1"};
}

void TestTirage::showsTheFiguresAsStored() {
    QFETCH(int, players);
    QFETCH(QVariant, rounds);
    QFETCH(QVariant, deals);
    QFETCH(QStringList, figures);
    Opened o;
    QVERIFY(o.open(players, rounds, deals));
    draw::Tirage* w = o.window;
    QCOMPARE(w->windowTitle(), "Constitution des tables");
    QCOMPARE((QStringList{w->NombreInscrits->text(), w->Participants->text(), w->Manches->text(),
                          w->Parties->text()}),
             figures);
    const std::pair<QLabel*, QLabel*> rows[] = {{w->Label1, w->NombreInscrits},
                                                {w->Label2, w->Participants},
                                                {w->Etiquette1, w->Manches},
                                                {w->Etiquette2, w->Parties}};
    const char* captions[] = {"Nombre d'inscriptions :", "Nombre de participants :",
                              "Nombre de manches :", "Nombre de partie par manche :"};
    const char* colours[] = {"#0000ff", "#ff0000", "#ffff00", "#ff00ff"};
    for (int i = 0; i < 4; ++i) {
        auto [caption, value] = rows[i];
        QCOMPARE(caption->text(), captions[i]);
        QVERIFY(caption->geometry().right() < value->geometry().left());
        QCOMPARE(caption->geometry().center().y(), value->geometry().center().y());
        if (i > 0)
            QVERIFY(value->y() > rows[i - 1].second->y());
        QVERIFY(value->font().bold());
        QCOMPARE(value->font().family(), "Arial");
        QVERIFY(value->styleSheet().contains(QStringLiteral("color: %1").arg(colours[i])));
        QVERIFY(value->styleSheet().contains("background-color: #c0c0c0"));
    }
    QVERIFY(!w->Jauge->isVisible());
    QVERIFY(!w->BoiteBoutons->findChild<QPushButton*>("Annuler"));
    QCOMPARE(w->Valider->text(), "&Valider");
    QCOMPARE(w->Quitter->text(), "&Quitter");
    QVERIFY(w->Valider->x() < w->Quitter->x());
    QVERIFY(w->BoiteBoutons->y() > w->Jauge->y());
    for (QWidget* centred :
         {static_cast<QWidget*>(w->BoiteBoutons), static_cast<QWidget*>(w->Jauge)})
        QVERIFY(qAbs(centred->x() - (w->width() - centred->width()) / 2) <= 1);
    QCOMPARE(o.buttons(), (QList<bool>{true, true}));
    QVERIFY(!w->DataTirage.Recordset().isOpen());
}

void TestTirage::valider_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<QList<bool>>("buttons");
    QTest::addColumn<int>("bar"); // -1: never started
    QTest::newRow("8 players, 3 rounds") << 8 << false << 0 << QList<bool>{false, true} << 24;
    QTest::newRow("previous draw kept") << 8 << true << 1 << QList<bool>{false, true} << -1;
    QTest::newRow("no participant") << 3 << false << 1 << QList<bool>{true, true} << -1;
}

void TestTirage::valider() {
    QFETCH(int, players);
    QFETCH(bool, drawn);
    QFETCH(int, boxes);
    QFETCH(QList<bool>, buttons);
    QFETCH(int, bar);
    Opened o;
    QVERIFY(o.open(players, 3));
    if (drawn)
        o.base.connection().executeNative("UPDATE Inscriptions SET CodeEquipe01 = 1001");
    MessageBox::Script script;
    script.answer(MessageBox::Answer::No);
    QTest::mouseClick(o.window->Valider, Qt::LeftButton);
    QCOMPARE(script.shown().size(), boxes);
    QCOMPARE(o.buttons(), buttons);
    QCOMPARE(o.window->Jauge->value(), bar);
    QCOMPARE(o.window->Jauge->maximum(), bar > 0 ? bar : 100);
    QVERIFY(!o.window->Jauge->isVisible());
    QCOMPARE(o.base.scalar("SELECT count(*) FROM Inscriptions WHERE CodeEquipe03 > 3000"),
             std::max(0, bar / 3));
}

void TestTirage::theChoiceIsKeptAndTheRepeatsTold() {
    Opened o;
    QVERIFY(o.open(9, 3));
    QCOMPARE(o.window->EviterRencontres->text(), "Éviter les rencontres répétées");
    QVERIFY(!o.window->EviterRencontres->isChecked());
    QVERIFY(o.window->EviterRencontres->y() > o.window->BoiteBoutons->y());
    QVERIFY(o.window->Rencontres->text().isEmpty());
    o.window->EviterRencontres->setChecked(true);
    QTest::mouseClick(o.window->Valider, Qt::LeftButton);
    // Two tables and three rounds: every player of a seat meets one of another seat again.
    QCOMPARE(o.window->Rencontres->text(), "Rencontres répétées : 12");
    QCOMPARE(o.window->Exclus->text(), "Ne joue pas : n° 9 NOM9 Jean");
    // Opened again, the window offers the choice the draw was made with.
    delete o.window;
    QVERIFY(o.OpenedWindow::open());
    QVERIFY(o.window->EviterRencontres->isChecked());
}

void TestTirage::tablesOfFiveSeatEveryoneAndAreKept() {
    Opened o;
    QVERIFY(o.open(9, 3));
    QVERIFY(!o.window->TablesDeCinq->isChecked());
    QCOMPARE(o.window->Participants->text(), "8");
    o.window->TablesDeCinq->setChecked(true);
    QCOMPARE(o.window->Participants->text(), "9");
    QTest::mouseClick(o.window->Valider, Qt::LeftButton);
    QVERIFY(o.window->Exclus->text().isEmpty());
    QCOMPARE(o.base.scalar("SELECT count(*) || ' ' || sum(Position = 5) || ' ' || max(Position2 = "
                           "'Cinquième' AND CodeEquipe03 = 3002) FROM Inscriptions WHERE "
                           "CodeEquipe03 > 3000"),
             "9 1 1");
    delete o.window;
    QVERIFY(o.OpenedWindow::open());
    QVERIFY(o.window->TablesDeCinq->isChecked());
    QCOMPARE(o.window->Participants->text(), "9");
}

void TestTirage::arrivalsAndDeparturesRedrawTheComingRounds() {
    OpenedWindow<draw::ArriveesDeparts> o;
    // Nine registered, eight drawn for three rounds, round 1 played; the ninth came late.
    o.base.drawTournament(9, 3);
    o.base.connection().executeNative(QStringLiteral(
        "INSERT INTO Resultats SELECT 1, CodeIndividuel, 0 FROM Inscriptions WHERE Position > 0"));
    const QString round1 =
        o.base.scalar("SELECT group_concat(CodeEquipe01) FROM Inscriptions").toString();
    QVERIFY(o.open());
    QCOMPARE(o.window->Joueurs->count(), 9);
    QVERIFY(
        o.window->Joueurs->item(8)->text().endsWith(" — sans table (arrivé après le tirage ?)"));
    QCOMPARE(o.window->MancheRefaire->minimum(), 2);
    QTest::mouseClick(o.window->Inscrire, Qt::LeftButton);
    QCOMPARE(o.shell.log.filter("registration").size(), 1);
    // Player 2 leaves after round 1; the ninth takes his place from round 2 on.
    o.window->Joueurs->setCurrentRow(1);
    o.window->MancheDepart->setValue(2);
    QTest::mouseClick(o.window->MarquerParti, Qt::LeftButton);
    QVERIFY(o.window->Joueurs->item(1)->text().endsWith(" — parti à partir de la manche 2"));
    MessageBox::Script script;
    script.answer(MessageBox::Answer::Yes);
    QTest::mouseClick(o.window->Refaire, Qt::LeftButton);
    QCOMPARE(script.shown().first().text,
             "Les tables des manches 2 à 3 vont être tirées à nouveau ; les manches précédentes et "
             "leurs résultats ne changent pas.\n\nContinuer ?");
    QVERIFY2(o.window->Bilan->text().startsWith("Manches 2 à 3 tirées à nouveau. Changements de "
                                                "place : 0. Rencontres répétées sur la soirée : "),
             qPrintable(o.window->Bilan->text()));
    QCOMPARE(o.base.scalar("SELECT group_concat(CodeEquipe01) FROM Inscriptions").toString(),
             round1);
    QCOMPARE(o.base.scalar("SELECT (SELECT CodeEquipe02 + CodeEquipe03 FROM Inscriptions WHERE "
                           "CodeIndividuel = 2) || ' ' || (SELECT count(*) FROM Inscriptions WHERE "
                           "CodeEquipe02 > 0 AND CodeEquipe03 > 0) || ' ' || (SELECT Position FROM "
                           "Inscriptions WHERE CodeIndividuel = 9)"),
             "0 8 2");
}

VELMORA_TEST_MAIN(TestTirage)
#include "tst_tirage.moc"
