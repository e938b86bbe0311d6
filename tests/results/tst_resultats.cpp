#include "results/Resultats.h"
#include "support/OpenedWindow.h"
#include "support/TestMain.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using ui::MessageBox;

namespace {

// The results window over eight players, table 3012 seated in an order other than numbers.
struct Opened : OpenedWindow<results::Resultats> {
    bool open() {
        for (int i = 1; i <= 8; ++i)
            base.addPlayer(i, QStringLiteral("NOM%1").arg(i), QStringLiteral("Jean"));
        base.seatTable(3012, {7, 2, 1, 6});
        base.seatTable(3001, {3, 8, 5, 4});
        return OpenedWindow::open();
    }
    void typeLine(QWidget* field, const QString& text) {
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    // Types the code, then the scores, each followed by Enter.
    void typeTable(const QString& code, const QStringList& scores) {
        typeLine(window->SaisieEquipe, code);
        const QList<ui::Saisie*> fields = {window->Score01, window->Score02, window->Score03,
                                           window->Score04};
        for (int n = 0; n < scores.size(); ++n)
            typeLine(fields[n], scores[n]);
    }
    QString focus() const {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    // What the organiser sees: the code field, the four rows, whether "Valider" is on.
    QString state() const {
        results::Resultats* w = window;
        QStringList rows{w->SaisieEquipe->text() + (w->SaisieEquipe->isEnabled() ? "" : " off")};
        const QList<QLabel*> codes = {w->Code01, w->Code02, w->Code03, w->Code04};
        const QList<QLabel*> noms = {w->Nom01, w->Nom02, w->Nom03, w->Nom04};
        const QList<ui::Saisie*> scores = {w->Score01, w->Score02, w->Score03, w->Score04};
        for (int n = 0; n < 4; ++n)
            rows.append(QStringLiteral("%1 %2 %3")
                            .arg(scores[n]->isVisible() ? "[" + scores[n]->text() + "]" : "-",
                                 codes[n]->text(), noms[n]->text())
                            .trimmed());
        rows.append(w->Valider->isEnabled() ? "Valider" : "-");
        return rows.join(u'|');
    }
    int stored() { return base.scalar(QStringLiteral("SELECT count(*) FROM Resultats")).toInt(); }
};

const QString kCodeEntry = QStringLiteral("|-|-|-|-|-");
const QString kTable3012 = QStringLiteral("3012 off|[] 7 NOM7 Jean|[] 2 NOM2 Jean|[] 1 NOM1 Jean|"
                                          "[] 6 NOM6 Jean|-");

} // namespace

class TestResultats : public QObject {
    Q_OBJECT
private slots:
    void opensInCodeEntryLaidOutInRows();
    void enterWalksFromTheCodeToStoredScores();
    void refusedCodeStaysInTheField_data();
    void refusedCodeStaysInTheField();
    void refusedScoresStayInScoreEntry_data();
    void refusedScoresStayInScoreEntry();
    void annulerThenQuitterLeaveNothingBehind();
    void aTableOfFiveTakesAFifthRow();
};

void TestResultats::opensInCodeEntryLaidOutInRows() {
    Opened o;
    QVERIFY(o.open());
    results::Resultats* w = o.window;
    QCOMPARE(w->windowTitle(), "Saisie des résultats");
    QCOMPARE(w->Etiquette1->text(), "Equipe");
    QCOMPARE(o.state(), kCodeEntry);
    QCOMPARE(o.focus(), "SaisieEquipe");
    QCOMPARE((QStringList{w->Valider->text(), w->Annuler->text(), w->Quitter->text()}),
             (QStringList{"&Valider", "&Annuler", "&Quitter"}));
    QVERIFY(qAbs(w->BoiteBoutons->x() - (w->width() - w->BoiteBoutons->width()) / 2) <= 1);
    QVERIFY(w->BoiteBoutons->y() > w->Score04->geometry().bottom());
    // Each row: the score, then the player's number, then his name, their text lined up.
    const QList<QWidget*> rows[] = {{w->Score01, w->Code01, w->Nom01},
                                    {w->Score02, w->Code02, w->Nom02},
                                    {w->Score03, w->Code03, w->Nom03},
                                    {w->Score04, w->Code04, w->Nom04}};
    for (int n = 0; n < 4; ++n) {
        const QList<QWidget*>& row = rows[n];
        QVERIFY(row[0]->geometry().right() < row[1]->x());
        QVERIFY(row[1]->geometry().right() < row[2]->x());
        QVERIFY(qAbs(row[0]->geometry().center().y() - row[1]->geometry().center().y()) <= 1);
        if (n > 0)
            QVERIFY(row[0]->y() >= rows[n - 1][0]->geometry().bottom());
    }
    QVERIFY(w->SaisieEquipe->font().bold());
    QCOMPARE(w->Score01->font().family(), "Arial");
    // A fifth character cannot be typed.
    QTest::keyClicks(w->SaisieEquipe, QStringLiteral("30123"));
    QCOMPARE(w->SaisieEquipe->text(), "3012");
    QTest::keyClicks(w->Score01, QStringLiteral("-12,55"));
    QCOMPARE(w->Score01->text(), "-12,5");
}

void TestResultats::enterWalksFromTheCodeToStoredScores() {
    Opened o;
    QVERIFY(o.open());
    MessageBox::Script script;
    o.typeLine(o.window->SaisieEquipe, QStringLiteral("3012"));
    QCOMPARE(o.state(), kTable3012);
    QCOMPARE(o.focus(), "Score01");
    const QStringList scores = {"10", "-5", "-5", "0"};
    const QStringList next = {"Score02", "Score03", "Score04", "Valider"};
    const QList<ui::Saisie*> fields = {o.window->Score01, o.window->Score02, o.window->Score03,
                                       o.window->Score04};
    for (int n = 0; n < 4; ++n) {
        QVERIFY(!o.window->Valider->isEnabled());
        o.typeLine(fields[n], scores[n]);
        QCOMPARE(o.focus(), next[n]);
    }
    QVERIFY(o.window->Valider->isEnabled());
    QCOMPARE(o.stored(), 0); // Enter in a score field never validates
    QTest::keyClick(o.window->Valider, Qt::Key_Return);
    QVERIFY(script.shown().isEmpty());
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT group_concat(Manche || ':' || CodeIndividuel || "
                                          "':' || Points, ' ') FROM Resultats")),
             QVariant(QStringLiteral("3:7:10.0 3:2:-5.0 3:1:-5.0 3:6:0.0")));
    QCOMPARE(o.state(), kCodeEntry);
    QCOMPARE(o.focus(), "SaisieEquipe");
}

void TestResultats::refusedCodeStaysInTheField_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("empty") << "";
    QTest::newRow("not digits") << "1a01";
    QTest::newRow("round never drawn") << "7001";
}

void TestResultats::refusedCodeStaysInTheField() {
    QFETCH(QString, code);
    Opened o;
    QVERIFY(o.open());
    MessageBox::Script script;
    o.typeLine(o.window->SaisieEquipe, code);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().icon, MessageBox::Icon::Critical);
    QCOMPARE(script.shown().first().title, "Erreur de saisie");
    QCOMPARE(o.state(), code + kCodeEntry);
    QCOMPARE(o.focus(), "SaisieEquipe");
}

void TestResultats::refusedScoresStayInScoreEntry_data() {
    QTest::addColumn<QStringList>("scores");
    QTest::addColumn<bool>("storedBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("kept");
    // clang-format off
    QTest::newRow("second score missing") << QStringList{"10", "", "-5", "-5"} << false
        << "La saisie du score de NOM2 Jean est obligatoire !!!" << "Score02"
        << "3012 off|[10] 7 NOM7 Jean|[] 2 NOM2 Jean|[-5] 1 NOM1 Jean|[-5] 6 NOM6 Jean|Valider";
    QTest::newRow("sum not zero") << QStringList{"10", "10", "-10", "-5"} << false
        << "La somme des 4 scores devrait être égale à 0,\n\nor cette somme est égale à 5\n\n"
           "Veuillez reprendre !!!" << "Score01"
        << "3012 off|[] 7 NOM7 Jean|[] 2 NOM2 Jean|[] 1 NOM1 Jean|[] 6 NOM6 Jean|Valider";
    QTest::newRow("already stored") << QStringList{"1", "-1", "0", "0"} << true
        << "La saisie du score de NOM7 Jean est déjà dans la base !!!" << "Valider"
        << "3012 off|[1] 7 NOM7 Jean|[-1] 2 NOM2 Jean|[0] 1 NOM1 Jean|[0] 6 NOM6 Jean|Valider";
    // clang-format on
}

void TestResultats::refusedScoresStayInScoreEntry() {
    QFETCH(QStringList, scores);
    QFETCH(bool, storedBefore);
    QFETCH(QString, text);
    QFETCH(QString, focus);
    QFETCH(QString, kept);
    Opened o;
    QVERIFY(o.open());
    if (storedBefore) {
        o.typeTable(QStringLiteral("3012"), {"10", "-5", "-5", "0"});
        QTest::keyClick(o.window->Valider, Qt::Key_Return);
    }
    const int before = o.stored();
    MessageBox::Script script;
    // Every score field is walked, empty or not, so that "Valider" is on.
    o.typeTable(QStringLiteral("3012"), scores);
    QTest::mouseClick(o.window->Valider, Qt::LeftButton);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().title, "Erreur de saisie");
    QCOMPARE(script.shown().first().icon, MessageBox::Icon::Critical);
    QCOMPARE(script.shown().first().text, text);
    QCOMPARE(o.focus(), focus);
    QCOMPARE(o.state(), kept);
    QCOMPARE(o.stored(), before);
}

void TestResultats::annulerThenQuitterLeaveNothingBehind() {
    Opened o;
    QVERIFY(o.open());
    o.typeTable(QStringLiteral("3001"), {"5", "-5", "0", "0"});
    QTest::mouseClick(o.window->Annuler, Qt::LeftButton);
    QCOMPARE(o.state(), kCodeEntry);
    QCOMPARE(o.focus(), "SaisieEquipe");
    QCOMPARE(o.stored(), 0);
    o.typeLine(o.window->SaisieEquipe, QStringLiteral("3012"));
    QTest::mouseClick(o.window->Quitter, Qt::LeftButton);
    QTRY_VERIFY(o.window.isNull());
    QVERIFY(o.shell.cartes);
    QVERIFY(o.OpenedWindow::open());
    QCOMPARE(o.state(), kCodeEntry);
    QCOMPARE(o.focus(), "SaisieEquipe");
}

void TestResultats::aTableOfFiveTakesAFifthRow() {
    Opened o;
    QVERIFY(o.open());
    o.base.addPlayer(9, QStringLiteral("NOM9"), QStringLiteral("Jean"));
    o.base.seatTable(2004, {3, 8, 5, 4, 9}); // the seats of 3001, and a fifth
    results::Resultats* w = o.window;
    const QRect four = w->geometry(), buttons = w->BoiteBoutons->geometry();
    o.typeTable(QStringLiteral("2004"), {"8", "-2", "-2", "-2"});
    QCOMPARE(o.focus() + w->Code05->text() + w->Nom05->text(), "Score059NOM9 Jean");
    QVERIFY(!w->Valider->isEnabled() && w->BoiteBoutons->y() > w->Score05->geometry().bottom());
    o.typeLine(w->Score05, QStringLiteral("-2"));
    QCOMPARE(o.focus(), "Valider");
    QTest::keyClick(w->Valider, Qt::Key_Return);
    QCOMPARE(o.stored(), 5);
    QCOMPARE(o.state(), kCodeEntry); // the window as a table of four has it
    QVERIFY(w->geometry() == four && w->BoiteBoutons->geometry() == buttons &&
            !w->Nom05->isVisible());
}

VELMORA_TEST_MAIN(TestResultats)
#include "tst_resultats.moc"
