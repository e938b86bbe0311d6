#include "db/Connection.h"
#include "settings/Parametres.h"
#include "settings/Settings.h"
#include "support/OpenedWindow.h"
#include "support/TestMain.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using ui::MessageBox;

namespace {

// The settings window over a file holding 3 rounds of 12 deals.
struct Opened : OpenedWindow<settings::Parametres> {
    void validate(const QString& manches, const QString& parties) {
        window->SaisieManches->setText(manches);
        window->SaisieParties->setText(parties);
        QTest::mouseClick(window->Valider, Qt::LeftButton);
    }
    QString stored() {
        return base.scalar(QStringLiteral("SELECT Manches || '/' || Parties FROM Parametres"))
            .toString();
    }
};

} // namespace

class TestParametres : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheStoredValues();
    void acceptedValuesAreStored_data();
    void acceptedValuesAreStored();
    void roundsStayAboveTheScoredOnes_data();
    void roundsStayAboveTheScoredOnes();
    void faultsAreRefusedInOrder_data();
    void faultsAreRefusedInOrder();
    void enterWalksToValider();
    void annulerAndQuitter();
    void missingRowIsWrittenAgain();
    void failedWriteKeepsTheStoredValues();
};

void TestParametres::opensOnTheStoredValues() {
    Opened o;
    QVERIFY(o.open());
    auto* w = o.window.data();
    QCOMPARE(w->windowTitle(), "Paramètres");
    QCOMPARE(w->Label1->text(), "Actuel");
    QCOMPARE(w->Etiquette1->text(), "Nombre de manches");
    QCOMPARE(w->Etiquette2->text(), "Nombre de partie par manche");
    QCOMPARE(w->Manches->text(), "3");
    QCOMPARE(w->Parties->text(), "12");
    QVERIFY(w->Manches->isReadOnly());
    QVERIFY(w->Parties->isReadOnly());
    QVERIFY(w->SaisieManches->text().isEmpty());
    QVERIFY(w->SaisieParties->text().isEmpty());
    for (QLineEdit* f : {w->Manches, w->Parties, static_cast<QLineEdit*>(w->SaisieManches),
                         static_cast<QLineEdit*>(w->SaisieParties)})
        QCOMPARE(f->maxLength(), 2);
    QVERIFY(w->SaisieManches->hasFocus());
    QVERIFY(!w->DataParametres.Recordset().isOpen());
    // Each input on the line of the value it replaces.
    QCOMPARE(w->SaisieManches->geometry().center().y(), w->Manches->geometry().center().y());
    QCOMPARE(w->SaisieParties->geometry().center().y(), w->Parties->geometry().center().y());
    QVERIFY(w->Parties->y() > w->Manches->y());
    const QRect frame = w->BoiteBoutons->geometry();
    QVERIFY(qAbs(frame.left() - (w->width() - frame.width()) / 2) <= 1);
    // Typed characters are not filtered.
    QTest::keyClicks(w->SaisieManches, QStringLiteral("a,"));
    QCOMPARE(w->SaisieManches->text(), "a,");
}

void TestParametres::acceptedValuesAreStored_data() {
    QTest::addColumn<QString>("manches");
    QTest::addColumn<QString>("parties");
    QTest::addColumn<QString>("stored");
    // clang-format off
    QTest::newRow("the maxima") << "7" << "15" << "7/15";
    QTest::newRow("zero") << "0" << "0" << "0/0";
    QTest::newRow("blanks around") << " 7" << "9 " << "7/9";
    QTest::newRow("negative") << "-5" << "-9" << "-5/-9";
    QTest::newRow("signed") << "+4" << "+8" << "4/8";
    QTest::newRow("trailing separator") << "5," << "6." << "5/6";
    QTest::newRow("leading zero") << "07" << "08" << "7/8";
    // clang-format on
}

void TestParametres::acceptedValuesAreStored() {
    QFETCH(QString, manches);
    QFETCH(QString, parties);
    QFETCH(QString, stored);
    Opened o;
    QVERIFY(o.open());
    MessageBox::Script script;
    o.validate(manches, parties);
    QVERIFY(script.shown().isEmpty());
    QCOMPARE(o.stored(), stored);
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT typeof(Manches) || typeof(Parties) FROM "
                                          "Parametres")),
             QVariant(QStringLiteral("integerinteger")));
    // The left column shows what is now stored; the inputs are ready for another change.
    QCOMPARE(o.window->Manches->text() + u'/' + o.window->Parties->text(), stored);
    QVERIFY(o.window->SaisieManches->text().isEmpty());
    QVERIFY(o.window->SaisieParties->text().isEmpty());
    QVERIFY(o.window->SaisieManches->hasFocus());
    QVERIFY(o.window->isVisible());
    QVERIFY(!o.window->DataParametres.Recordset().isOpen());
}

void TestParametres::roundsStayAboveTheScoredOnes_data() {
    QTest::addColumn<QString>("manches");
    QTest::addColumn<QString>("message"); // empty when stored
    QTest::newRow("a round added after round 3") << "4"
                                                 << "";
    QTest::newRow("as many as scored") << "3"
                                       << "";
    QTest::newRow("below the last round scored")
        << "2"
        << "La manche 3 a déjà des résultats : le nombre de manches ne peut pas être inférieur à "
           "3 !!!";
}

void TestParametres::roundsStayAboveTheScoredOnes() {
    QFETCH(QString, manches);
    QFETCH(QString, message);
    Opened o;
    o.base.connection().executeNative(
        QStringLiteral("INSERT INTO Resultats (Manche, CodeIndividuel, Points) VALUES (3, 1, 0)"));
    QVERIFY(o.open());
    MessageBox::Script script;
    o.validate(manches, QStringLiteral("12"));
    QCOMPARE(script.shown().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(script.shown().first().text, message);
        QVERIFY(o.window->SaisieManches->hasFocus());
    }
    QCOMPARE(o.stored(),
             (message.isEmpty() ? manches : QStringLiteral("3")) + QStringLiteral("/12"));
}

void TestParametres::faultsAreRefusedInOrder_data() {
    QTest::addColumn<QString>("manches");
    QTest::addColumn<QString>("parties");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString noRounds = QStringLiteral("La saisie du nombre de manches est obligatoire !!!");
    const QString roundsNaN = QStringLiteral("Le nombre de manches doit être un nombre entier !!!");
    const QString maxRounds = QStringLiteral("7 manches maximum !!!");
    const QString noDeals =
        QStringLiteral("La saisie du nombre de partie par manche est obligatoire !!!");
    const QString dealsNaN =
        QStringLiteral("Le nombre de partie par manche doit être un nombre entier !!!");
    const QString maxDeals = QStringLiteral("15 parties maximum !!!");
    const QString m = QStringLiteral("SaisieManches");
    const QString p = QStringLiteral("SaisieParties");
    // clang-format off
    QTest::newRow("both empty") << "" << "" << noRounds << m;
    QTest::newRow("only the deals changed") << "" << "10" << noRounds << m;
    QTest::newRow("a letter") << "a" << "10" << roundsNaN << m;
    QTest::newRow("a minus") << "-" << "10" << roundsNaN << m;
    QTest::newRow("a plus") << "+" << "10" << roundsNaN << m;
    QTest::newRow("a comma") << "," << "10" << roundsNaN << m;
    QTest::newRow("a blank") << " " << "10" << roundsNaN << m;
    QTest::newRow("a decimal part") << ",5" << "10" << roundsNaN << m;
    QTest::newRow("a digit then a letter") << "7a" << "10" << roundsNaN << m;
    QTest::newRow("a digit of another script") << "٣" << "10" << roundsNaN << m;
    QTest::newRow("8 rounds") << "8" << "10" << maxRounds << m;
    QTest::newRow("8 rounds, deals empty") << "8" << "" << maxRounds << m;
    QTest::newRow("deals empty") << "7" << "" << noDeals << p;
    QTest::newRow("deals a letter") << "7" << "x" << dealsNaN << p;
    QTest::newRow("deals a comma") << "7" << "," << dealsNaN << p;
    QTest::newRow("deals a decimal part") << "7" << ",5" << dealsNaN << p;
    QTest::newRow("deals a digit then a letter") << "7" << "1x" << dealsNaN << p;
    QTest::newRow("16 deals") << "7" << "16" << maxDeals << p;
    QTest::newRow("99 deals") << "0" << "99" << maxDeals << p;
    // clang-format on
}

void TestParametres::faultsAreRefusedInOrder() {
    QFETCH(QString, manches);
    QFETCH(QString, parties);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Opened o;
    QVERIFY(o.open());
    MessageBox::Script script;
    o.validate(manches, parties);
    QCOMPARE(script.shown().size(), 1);
    const MessageBox::Shown box = script.shown().first();
    QCOMPARE(box.icon, MessageBox::Icon::Critical);
    QCOMPARE(box.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(box.title, "Erreur de saisie");
    QCOMPARE(box.text, message);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(o.window->SaisieManches->text(), manches);
    QCOMPARE(o.window->SaisieParties->text(), parties);
    QCOMPARE(o.stored(), "3/12");
    QCOMPARE(o.window->Manches->text(), "3");
}

void TestParametres::enterWalksToValider() {
    Opened o;
    QVERIFY(o.open());
    QTest::keyClicks(o.window->SaisieManches, QStringLiteral("4"));
    QTest::keyClick(o.window->SaisieManches, Qt::Key_Return);
    QVERIFY(o.window->SaisieParties->hasFocus());
    QTest::keyClicks(o.window->SaisieParties, QStringLiteral("10"));
    QTest::keyClick(o.window->SaisieParties, Qt::Key_Return);
    QVERIFY(o.window->Valider->hasFocus());
    QCOMPARE(o.stored(), "3/12");
    QTest::keyClick(o.window->Valider, Qt::Key_Return);
    QCOMPARE(o.stored(), "4/10");
}

void TestParametres::annulerAndQuitter() {
    Opened o;
    QVERIFY(o.open());
    o.window->SaisieManches->setText(QStringLiteral("5"));
    o.window->SaisieParties->setText(QStringLiteral("6"));
    o.window->SaisieParties->setFocus();
    QTest::mouseClick(o.window->Annuler, Qt::LeftButton);
    QVERIFY(o.window->SaisieManches->text().isEmpty());
    QVERIFY(o.window->SaisieParties->text().isEmpty());
    QVERIFY(o.window->SaisieManches->hasFocus());
    o.window->SaisieManches->setText(QStringLiteral("5"));
    o.window->SaisieParties->setText(QStringLiteral("6"));
    QTest::mouseClick(o.window->Quitter, Qt::LeftButton);
    QVERIFY(o.shell.cartes);
    QTRY_VERIFY(o.window.isNull());
    QCOMPARE(o.stored(), "3/12");
}

void TestParametres::missingRowIsWrittenAgain() {
    Opened o;
    o.base.connection().execute(QStringLiteral("DELETE FROM Parametres"));
    QVERIFY(o.open());
    QVERIFY(o.window->Manches->text().isEmpty());
    QVERIFY(o.window->Parties->text().isEmpty());
    MessageBox::Script script;
    o.validate(QStringLiteral("4"), QStringLiteral("10"));
    QVERIFY(script.shown().isEmpty());
    QCOMPARE(o.stored(), "4/10");
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT count(*) FROM Parametres")), QVariant(1));
    QCOMPARE(o.window->Manches->text(), "4");
}

void TestParametres::failedWriteKeepsTheStoredValues() {
    Opened o;
    QVERIFY(o.open());
    o.base.connection().executeNative(
        QStringLiteral("CREATE TRIGGER gel BEFORE UPDATE ON Parametres "
                       "BEGIN SELECT RAISE(ABORT, 'paramètres gelés'); END"));
    MessageBox::Script script;
    o.validate(QStringLiteral("6"), QStringLiteral("11"));
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().icon, MessageBox::Icon::Critical);
    QCOMPARE(script.shown().first().title, "Paramètres");
    QVERIFY(script.shown().first().text.contains("Velmora.log"));
    QCOMPARE(o.stored(), "3/12");
    QCOMPARE(o.window->Manches->text(), "3");
    QCOMPARE(o.window->Parties->text(), "12");
    QCOMPARE(o.window->SaisieManches->text(), "6");
    QCOMPARE(o.window->SaisieParties->text(), "11");
}

VELMORA_TEST_MAIN(TestParametres)
#include "tst_parametres.moc"
