#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Season.h"
#include "registration/Inscriptions.h"
#include "registration/Reinitialisation.h"
#include "reports/TableList.h"
#include "support/OpenedWindow.h"
#include "support/RecordingSurface.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using ui::MessageBox;

namespace {

// The registration window over a file holding some players already.
struct Opened : OpenedWindow<registration::Inscriptions> {
    explicit Opened(int players = 0) {
        for (int i = 1; i <= players; ++i)
            base.addPlayer(i, QStringLiteral("JOUEUR%1").arg(i), QStringLiteral("Prénom"));
    }
    // Types a character the way the keyboard sends it, accented letters included.
    void type(QWidget* field, const QString& text) {
        for (const uint code : text.toUcs4()) {
            const QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            const int key = code < 0x100 ? QChar(code).toUpper().unicode() : int(Qt::Key_unknown);
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key(key), one, Qt::NoModifier);
        }
    }
    bool validate(const QString& nom, const QString& prenom) {
        window->SaisieNom->setText(nom);
        window->SaisiePrenom->setText(prenom);
        QTest::mouseClick(window->Valider, Qt::LeftButton);
        return window->SaisieNom->text().isEmpty();
    }
    qlonglong count() {
        return base.scalar(QStringLiteral("SELECT count(*) FROM Inscriptions")).toLongLong();
    }
};

} // namespace

class TestInscriptions : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheStoredCount();
    void nextNumberFollowsTheCount_data();
    void nextNumberFollowsTheCount();
    void numbersStartAgainAfterAReset();
    void storesThePlayerAsTyped_data();
    void storesThePlayerAsTyped();
    void surnameIsTypedInCapitals_data();
    void surnameIsTypedInCapitals();
    void firstNameGetsCapitalsAtWordStarts_data();
    void firstNameGetsCapitalsAtWordStarts();
    void pastedTextIsStoredAsPasted();
    void emptyFieldsAreRefusedInOrder_data();
    void emptyFieldsAreRefusedInOrder();
    void enterWalksToValider();
    void annulerEmptiesWithoutStoring();
    void quitterShowsTheCardsAgain();
    void failedWriteKeepsTheNumberForTheRetry();
    void unreadableCountKeepsTheWindowClosed();
    void aPlayerCorrectedOrRemoved_data();
    void aPlayerCorrectedOrRemoved();
    void sameNamesAskFirst_data();
    void sameNamesAskFirst();
    void knownPlayersAreSuggested_data();
    void knownPlayersAreSuggested();
    void onePersonWhateverTheSpelling_data();
    void onePersonWhateverTheSpelling();
};

void TestInscriptions::opensOnTheStoredCount() {
    Opened o;
    QVERIFY(o.open());
    auto* w = o.window.data();
    QCOMPARE(w->windowTitle(), "Inscriptions");
    QCOMPARE(w->Label1->text(), "Nombre d'inscriptions :");
    QCOMPARE(w->Etiquette1->text(), "Nom");
    QCOMPARE(w->Etiquette2->text(), "Prénom");
    QCOMPARE(w->Valider->text(), "&Valider");
    QCOMPARE(w->Annuler->text(), "&Annuler");
    QCOMPARE(w->Quitter->text(), "&Quitter");
    QCOMPARE(w->NombreInscrits->text(), "0");
    QVERIFY(!w->DataInscriptions.Recordset().isOpen());
    QCOMPARE(w->SaisieNom->maxLength(), 25);
    QCOMPARE(w->SaisiePrenom->maxLength(), 25);
    QVERIFY(w->SaisieNom->hasFocus());
    QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    // The buttons' frame sits across the middle of the window.
    const QRect frame = w->BoiteBoutons->geometry();
    QVERIFY(qAbs(frame.left() - (w->width() - frame.width()) / 2) <= 1);
    QVERIFY(frame.top() > w->SaisieNom->geometry().bottom());
}

void TestInscriptions::nextNumberFollowsTheCount_data() {
    QTest::addColumn<int>("registered");
    QTest::newRow("fresh file") << 0;
    QTest::newRow("twelve players") << 12;
}

void TestInscriptions::nextNumberFollowsTheCount() {
    QFETCH(int, registered);
    Opened o(registered);
    QVERIFY(o.open());
    QCOMPARE(o.window->NombreInscrits->text(), QString::number(registered));
    QVERIFY(o.validate(QStringLiteral("DUPONT"), QStringLiteral("Marie")));
    QCOMPARE(o.window->NombreInscrits->text(), QString::number(registered + 1));
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT CodeIndividuel FROM Inscriptions WHERE Nom = "
                                          "'DUPONT'")),
             QVariant(registered + 1));
    // No message confirms a registration; the emptied fields and the counter say it.
    QVERIFY(o.window->SaisieNom->hasFocus());
    QVERIFY(o.window->SaisiePrenom->text().isEmpty());
    QVERIFY(!o.window->DataInscriptions.Recordset().isOpen());
}

void TestInscriptions::numbersStartAgainAfterAReset() {
    Opened o(10);
    {
        MessageBox::Script script;
        script.answer(MessageBox::Answer::Yes);
        db::DataControl DataReinit;
        registration::reinitialiserBase(o.shell, DataReinit);
    }
    QVERIFY(o.open());
    QCOMPARE(o.window->NombreInscrits->text(), "0");
    for (const char* nom : {"A", "B", "C"})
        QVERIFY(o.validate(QString::fromLatin1(nom), QStringLiteral("X")));
    auto stmt = o.base.connection().prepare(
        QStringLiteral("SELECT CodeIndividuel FROM Inscriptions ORDER BY Nom"));
    QList<int> numbers;
    while (stmt->step())
        numbers.append(stmt->column(0).toInt());
    QCOMPARE(numbers, (QList<int>{1, 2, 3}));
    QCOMPARE(o.window->NombreInscrits->text(), "3");
}

void TestInscriptions::storesThePlayerAsTyped_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("prenom");
    // clang-format off
    QTest::newRow("plain") << "MARTIN" << "Luc";
    QTest::newRow("first name of one space") << "DURAND" << " ";
    QTest::newRow("blanks kept") << " LEROY " << "Anne  ";
    QTest::newRow("apostrophe") << "D'ALEMBERT" << "Jean";
    QTest::newRow("quotes and semicolon") << "O'NEIL \"LE\"; X" << "Sé;an";
    QTest::newRow("SQL-looking") << "');DROP TABLE Resultats--" << "';--";
    QTest::newRow("twenty-five characters") << QString(25, u'É') << QString(25, u'œ');
    // clang-format on
}

void TestInscriptions::storesThePlayerAsTyped() {
    QFETCH(QString, nom);
    QFETCH(QString, prenom);
    Opened o(2);
    QVERIFY(o.open());
    MessageBox::Script script;
    QVERIFY(o.validate(nom, prenom));
    QVERIFY(script.shown().isEmpty());
    auto row = o.base.connection().prepare(
        QStringLiteral("SELECT Nom, Prenom, CodeIndividuel, Position, Position2, CodeEquipe01, "
                       "CodeEquipe02, CodeEquipe03, CodeEquipe04, CodeEquipe05, CodeEquipe06, "
                       "CodeEquipe07 FROM Inscriptions WHERE CodeIndividuel = 3"));
    QVERIFY(row->step());
    QCOMPARE(row->column(0).toString(), nom);
    QCOMPARE(row->column(1).toString(), prenom);
    QCOMPARE(row->column(2), QVariant(3));
    QCOMPARE(row->column(3), QVariant(0));
    QVERIFY(row->column(4).isNull()); // no seat name until the draw
    for (int k = 5; k <= 11; ++k)
        QCOMPARE(row->column(k), QVariant(0));
    QVERIFY(!row->step());
    QCOMPARE(o.count(), 3);
}

void TestInscriptions::surnameIsTypedInCapitals_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    // clang-format off
    QTest::newRow("plain") << "dupont" << "DUPONT";
    QTest::newRow("accents") << "pérèçà" << "PÉRÈÇÀ";
    QTest::newRow("ligatures and diaeresis") << "œuvreÿ" << "ŒUVREŸ";
    QTest::newRow("other characters unchanged") << "d'al-7 x" << "D'AL-7 X";
    // clang-format on
}

void TestInscriptions::surnameIsTypedInCapitals() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Opened o;
    QVERIFY(o.open());
    o.type(o.window->SaisieNom, typed);
    QCOMPARE(o.window->SaisieNom->text(), shown);
}

void TestInscriptions::firstNameGetsCapitalsAtWordStarts_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    // clang-format off
    QTest::newRow("two words") << "" << 0 << "jean pierre" << "Jean Pierre";
    QTest::newRow("hyphen starts a word") << "" << 0 << "jean-pierre" << "Jean-Pierre";
    QTest::newRow("apostrophe starts none") << "" << 0 << "marie-o'hara" << "Marie-O'hara";
    QTest::newRow("accented first letter") << "" << 0 << "élise" << "Élise";
    QTest::newRow("capitals typed stay") << "" << 0 << "MARIE" << "MARIE";
    // clang-format on
    // The rule reads the whole text, wherever the caret stands.
    // clang-format off
    QTest::newRow("caret at start, text ends with a letter") << "Jean" << 0 << "a" << "aJean";
    QTest::newRow("caret inside, text ends with a space") << "Jean " << 2 << "x" << "JeXan ";
    // ...as it will be once the key has replaced the selection (-1: all selected).
    QTest::newRow("whole text selected") << "Marie" << -1 << "x" << "X";
    // clang-format on
}

void TestInscriptions::firstNameGetsCapitalsAtWordStarts() {
    QFETCH(QString, before);
    QFETCH(int, caret);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Opened o;
    QVERIFY(o.open());
    o.window->SaisiePrenom->setText(before);
    o.window->SaisiePrenom->setFocus();
    if (caret < 0)
        o.window->SaisiePrenom->selectAll();
    else
        o.window->SaisiePrenom->setCursorPosition(caret);
    o.type(o.window->SaisiePrenom, typed);
    QCOMPARE(o.window->SaisiePrenom->text(), shown);
}

void TestInscriptions::pastedTextIsStoredAsPasted() {
    Opened o;
    QVERIFY(o.open());
    QGuiApplication::clipboard()->setText(QStringLiteral("de la tour"));
    QTest::keyClick(o.window->SaisieNom, Qt::Key_V, Qt::ControlModifier);
    o.window->SaisiePrenom->setFocus();
    QTest::keyClick(o.window->SaisiePrenom, Qt::Key_V, Qt::ControlModifier);
    QTest::mouseClick(o.window->Valider, Qt::LeftButton);
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT Nom || '/' || Prenom FROM Inscriptions")),
             QVariant(QStringLiteral("de la tour/de la tour")));
}

void TestInscriptions::emptyFieldsAreRefusedInOrder_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("prenom");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString noSurname = QStringLiteral("La saisie du nom est obligatoire !!!");
    const QString noFirstName = QStringLiteral("La saisie du prénom est obligatoire !!!");
    // clang-format off
    QTest::newRow("both empty") << "" << "" << noSurname << "SaisieNom";
    QTest::newRow("surname empty") << "" << "Jean" << noSurname << "SaisieNom";
    QTest::newRow("first name empty") << "DUPONT" << "" << noFirstName << "SaisiePrenom";
    // clang-format on
}

void TestInscriptions::emptyFieldsAreRefusedInOrder() {
    QFETCH(QString, nom);
    QFETCH(QString, prenom);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Opened o(4);
    QVERIFY(o.open());
    MessageBox::Script script;
    o.validate(nom, prenom);
    QCOMPARE(script.shown().size(), 1);
    const MessageBox::Shown box = script.shown().first();
    QCOMPARE(box.icon, MessageBox::Icon::Critical);
    QCOMPARE(box.title, "Erreur de saisie");
    QCOMPARE(box.text, message);
    QCOMPARE(box.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    // What was typed stays; nothing stored, the counter unchanged.
    QCOMPARE(o.window->SaisieNom->text(), nom);
    QCOMPARE(o.window->SaisiePrenom->text(), prenom);
    QCOMPARE(o.window->NombreInscrits->text(), "4");
    QCOMPARE(o.count(), 4);
}

void TestInscriptions::enterWalksToValider() {
    Opened o;
    QVERIFY(o.open());
    o.type(o.window->SaisieNom, QStringLiteral("petit"));
    QTest::keyClick(o.window->SaisieNom, Qt::Key_Return);
    QVERIFY(o.window->SaisiePrenom->hasFocus());
    QCOMPARE(o.count(), 0); // Enter in a field never validates
    o.type(o.window->SaisiePrenom, QStringLiteral("paul"));
    QTest::keyClick(o.window->SaisiePrenom, Qt::Key_Return);
    QVERIFY(o.window->Valider->hasFocus());
    QCOMPARE(o.count(), 0);
    QTest::keyClick(o.window->Valider, Qt::Key_Return);
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT Nom || ' ' || Prenom FROM Inscriptions")),
             QVariant(QStringLiteral("PETIT Paul")));
    QVERIFY(o.window->SaisieNom->hasFocus());
}

void TestInscriptions::annulerEmptiesWithoutStoring() {
    Opened o(5);
    QVERIFY(o.open());
    o.window->SaisieNom->setText(QStringLiteral("DUPONT"));
    o.window->SaisiePrenom->setText(QStringLiteral("Jean"));
    o.window->SaisiePrenom->setFocus();
    QTest::mouseClick(o.window->Annuler, Qt::LeftButton);
    QVERIFY(o.window->SaisieNom->text().isEmpty());
    QVERIFY(o.window->SaisiePrenom->text().isEmpty());
    QVERIFY(o.window->SaisieNom->hasFocus());
    QCOMPARE(o.window->NombreInscrits->text(), "5");
    QCOMPARE(o.count(), 5);
}

void TestInscriptions::quitterShowsTheCardsAgain() {
    Opened o;
    QVERIFY(o.open());
    o.window->SaisieNom->setText(QStringLiteral("NONVALIDE"));
    o.window->SaisiePrenom->setText(QStringLiteral("Jean"));
    QTest::mouseClick(o.window->Quitter, Qt::LeftButton);
    QVERIFY(o.shell.cartes);
    QTRY_VERIFY(o.window.isNull());
    QCOMPARE(o.count(), 0); // fields not yet accepted are dropped
}

void TestInscriptions::failedWriteKeepsTheNumberForTheRetry() {
    Opened o(7);
    QVERIFY(o.open());
    o.base.connection().executeNative(
        QStringLiteral("CREATE TRIGGER disque_plein BEFORE INSERT ON Inscriptions "
                       "BEGIN SELECT RAISE(ABORT, 'disque plein'); END"));
    MessageBox::Script script;
    QVERIFY(!o.validate(QStringLiteral("DUPONT"), QStringLiteral("Jean")));
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().icon, MessageBox::Icon::Critical);
    QCOMPARE(script.shown().first().title, "Inscriptions");
    QVERIFY(script.shown().first().text.contains("Velmora.log"));
    QVERIFY(script.shown().first().text.contains("\n\n"));
    QCOMPARE(o.window->NombreInscrits->text(), "7");
    QCOMPARE(o.window->SaisiePrenom->text(), "Jean");
    QCOMPARE(o.count(), 7);

    o.base.connection().executeNative(QStringLiteral("DROP TRIGGER disque_plein"));
    QTest::mouseClick(o.window->Valider, Qt::LeftButton);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(o.window->NombreInscrits->text(), "8");
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT CodeIndividuel FROM Inscriptions WHERE Nom = "
                                          "'DUPONT'")),
             QVariant(8));
    QCOMPARE(o.count(), 8);
}

void TestInscriptions::unreadableCountKeepsTheWindowClosed() {
    Opened o;
    o.base.connection().executeNative(QStringLiteral("DROP TABLE Inscriptions"));
    MessageBox::Script script;
    QVERIFY(!o.open());
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().icon, MessageBox::Icon::Critical);
    QCOMPARE(script.shown().first().title, "Inscriptions");
    QVERIFY(o.shell.cartes);
    QTRY_VERIFY(o.window.isNull());
}

void TestInscriptions::aPlayerCorrectedOrRemoved_data() {
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<bool>("removing");
    QTest::addColumn<QString>("players"); // as the file holds them afterwards
    QTest::addColumn<QString>("log");
    // clang-format off
    QTest::newRow("renamed") << false << false << "1 JOUEUR1, 2 GARÇON Léo, 3 JOUEUR3"
        << "Correction 2 JOUEUR2 Prénom GARÇON Léo";
    QTest::newRow("renamed after the draw") << true << false << "1 JOUEUR1, 2 GARÇON Léo, 3 JOUEUR3"
        << "Correction 2 JOUEUR2 Prénom GARÇON Léo";
    QTest::newRow("removed: the others keep their numbers") << false << true << "1 JOUEUR1, 3 JOUEUR3"
        << "Suppression 2 JOUEUR2 Prénom - -";
    QTest::newRow("removal refused after the draw") << true << true << "1 JOUEUR1, 2 JOUEUR2, 3 JOUEUR3" << "";
    // clang-format on
}

void TestInscriptions::aPlayerCorrectedOrRemoved() {
    QFETCH(bool, drawn);
    QFETCH(bool, removing);
    Opened o(3);
    if (drawn)
        o.base.connection().executeNative(QStringLiteral(
            "UPDATE Inscriptions SET Position = 1, Position2 = 'Nord', CodeEquipe01 = 1001"));
    QVERIFY(o.open());
    auto* w = o.window.data();
    QCOMPARE(w->ListeInscrits->topLevelItemCount(), 3);
    w->ListeInscrits->setCurrentItem(w->ListeInscrits->topLevelItem(1));
    MessageBox::Script script;
    if (removing) {
        script.answer(MessageBox::Answer::Yes);
        QTest::mouseClick(w->Retirer, Qt::LeftButton);
        QCOMPARE(script.shown().first().buttons, MessageBox::Buttons::NoYes);
        QCOMPARE(script.shown().size(), drawn ? 2 : 1);
        if (drawn)
            QCOMPARE(script.shown().last().text,
                     "Le joueur n° 2 ne peut plus être retiré : les tables sont déjà constituées "
                     "!!!\n\nSon nom peut encore être corrigé.");
    } else {
        QTest::mouseClick(w->Corriger, Qt::LeftButton);
        QCOMPARE(w->SaisieNom->text(), "JOUEUR2");
        QCOMPARE(w->EtiquetteCorrection->text(), "Correction du joueur n° 2");
        // Typed with the registration's own rules: capitals for the surname, then for each word.
        w->SaisieNom->clear();
        w->SaisiePrenom->clear();
        o.type(w->SaisieNom, QStringLiteral("garçon"));
        o.type(w->SaisiePrenom, QStringLiteral("léo"));
        QTest::mouseClick(w->Valider, Qt::LeftButton);
        QVERIFY(script.shown().isEmpty());
        QVERIFY(w->EtiquetteCorrection->text().isEmpty());
        QCOMPARE(w->ListeInscrits->topLevelItem(1)->text(1), "GARÇON");
    }
    QFETCH(QString, players);
    QCOMPARE(o.base
                 .scalar("SELECT group_concat(CodeIndividuel || ' ' || Nom || ifnull(' ' || "
                         "nullif(Prenom, 'Prénom'), ''), ', ') FROM Inscriptions")
                 .toString(),
             players);
    QTEST(o.base
              .scalar("SELECT Operation || ' ' || CodeIndividuel || ' ' || AncienNom || ' ' || "
                      "AncienPrenom || ' ' || ifnull(NouveauNom, '-') || ' ' || "
                      "ifnull(NouveauPrenom, '-') FROM CorrectionsInscriptions")
              .toString(),
          "log");
    QCOMPARE(w->NombreInscrits->text(), QString::number(players.count(u',') + 1));
    if (drawn && !removing) {
        // The new name is on the next printed list of tables.
        RecordingSurface paper;
        db::DataControl DataEditions;
        reports::TableList(o.shell, DataEditions, paper).print();
        QVERIFY(paper.lines(1).contains("1:20,30 GARÇON Léo"));
    }
    if (removing && !drawn) {
        // The next number is still one more than the highest.
        QVERIFY(o.validate(QStringLiteral("DURAND"), QStringLiteral("Paul")));
        QCOMPARE(o.base.scalar("SELECT max(CodeIndividuel) FROM Inscriptions").toInt(), 4);
    }
}

void TestInscriptions::sameNamesAskFirst_data() {
    QTest::addColumn<int>("correcting"); // 0: a new player
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("prenom");
    QTest::addColumn<int>("shown"); // 0: not asked, then answered No or Yes
    // clang-format off
    QTest::newRow("same names, No") << 0 << "JOUEUR2" << "Prénom" << int(MessageBox::Answer::No);
    QTest::newRow("same names, Yes") << 0 << "JOUEUR2" << "Prénom" << int(MessageBox::Answer::Yes);
    QTest::newRow("case, accents, blanks aside") << 0 << " Joueur2" << "PRENOM " << int(MessageBox::Answer::No);
    QTest::newRow("another first name") << 0 << "JOUEUR2" << "Prénoms" << 0;
    QTest::newRow("corrected to another's names") << 1 << "JOUEUR2" << "prénom" << int(MessageBox::Answer::No);
    QTest::newRow("corrected, his own names") << 2 << "JOUEUR2" << "prénom" << 0;
    // clang-format on
}

void TestInscriptions::sameNamesAskFirst() {
    QFETCH(int, correcting);
    QFETCH(int, shown);
    Opened o(3);
    QVERIFY(o.open());
    if (correcting) {
        o.window->ListeInscrits->setCurrentItem(
            o.window->ListeInscrits->topLevelItem(correcting - 1));
        QTest::mouseClick(o.window->Corriger, Qt::LeftButton);
    }
    const QString before = contents(o.base.connection());
    MessageBox::Script script;
    if (shown)
        script.answer(MessageBox::Answer(shown));
    QFETCH(QString, nom);
    QFETCH(QString, prenom);
    const bool emptied = o.validate(nom, prenom);
    QCOMPARE(script.shown().size(), shown ? 1 : 0);
    if (shown)
        QCOMPARE(script.shown().first().buttons, MessageBox::Buttons::NoYes);
    if (shown)
        QCOMPARE(script.shown().first().title + ": " + script.shown().first().text,
                 "Inscriptions: JOUEUR2 Prénom est déjà inscrit sous le n° 2. L'inscrire une "
                 "seconde fois ?");
    // Declined: nothing stored, the names kept to be told apart.
    const bool stored = shown != int(MessageBox::Answer::No);
    QCOMPARE(emptied, stored);
    QCOMPARE(contents(o.base.connection()) == before, !stored);
    QCOMPARE(o.count(), correcting || !stored ? 3 : 4);
}

void TestInscriptions::knownPlayersAreSuggested_data() {
    QTest::addColumn<QString>("nom"); // the known player
    QTest::addColumn<QString>("prenom");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("suggested");
    QTest::newRow("accent folded") << "ÉMILE"
                                   << "Paul"
                                   << "emi" << true;
    QTest::newRow("apostrophe left out") << "D'ALEMBERT"
                                         << "Jean"
                                         << "dal" << true;
    QTest::newRow("curly apostrophe typed straight") << "D’ALEMBERT"
                                                     << "Jean"
                                                     << "d'ale" << true;
    QTest::newRow("another beginning") << "MARTIN"
                                       << "Luc"
                                       << "mau" << false;
}

void TestInscriptions::knownPlayersAreSuggested() {
    QFETCH(QString, nom);
    QFETCH(QString, prenom);
    QFETCH(QString, typed);
    QFETCH(bool, suggested);
    Opened o;
    db::importPlayers(o.base.connection(),
                      {{nom, prenom}, {QStringLiteral("ZOLA"), QStringLiteral("Émile")}},
                      QDateTime(QDate(2026, 9, 1), QTime(20, 0)));
    QVERIFY(o.open());
    o.type(o.window->SaisieNom, typed);
    QCOMPARE(o.window->Suggestions->isVisible(), suggested);
    if (!suggested) {
        // Enter goes on to the first name, as it always has.
        QTest::keyClick(o.window->SaisieNom, Qt::Key_Return);
        QVERIFY(o.window->SaisiePrenom->hasFocus());
        return;
    }
    QCOMPARE(o.window->Suggestions->count(), 1);
    QTest::keyClick(o.window->SaisieNom, Qt::Key_Down);
    QTest::keyClick(o.window->SaisieNom, Qt::Key_Return);
    QCOMPARE(o.window->SaisieNom->text(), nom);
    QCOMPARE(o.window->SaisiePrenom->text(), prenom);
    QVERIFY(!o.window->Suggestions->isVisible());
    QVERIFY(o.window->Valider->hasFocus());
    QTest::keyClick(o.window->Valider, Qt::Key_Return);
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT Nom || '/' || Prenom FROM Inscriptions")),
             QVariant(nom + u'/' + prenom));
}

void TestInscriptions::onePersonWhateverTheSpelling_data() {
    QTest::addColumn<QString>("known");
    QTest::addColumn<QString>("typed"); // surname, then first name after a "/"
    QTest::addColumn<bool>("same");
    QTest::newRow("ÉMILE, Emile") << "ÉMILE/Jean"
                                  << "Emile/jean" << true;
    QTest::newRow("ÉMILE, emile") << "ÉMILE/Jean"
                                  << "emile/JEAN" << true;
    QTest::newRow("D'ALEMBERT, D’ALEMBERT") << "D'ALEMBERT/Jean"
                                            << "D’ALEMBERT/Jean" << true;
    QTest::newRow("D'ALEMBERT, DALEMBERT") << "D'ALEMBERT/Jean"
                                           << "DALEMBERT/Jean" << true;
    QTest::newRow("blanks around and doubled") << "LE  GOFF/Anne"
                                               << " LE GOFF / Anne " << true;
    QTest::newRow("Œ as OE") << "CŒUR/Léa"
                             << "COEUR/Lea" << true;
    QTest::newRow("a hyphen is not a blank") << "DUPONT/Jean-Marc"
                                             << "DUPONT/Jean Marc" << false;
    QTest::newRow("another first name") << "MARTIN/Paul"
                                        << "MARTIN/Pauline" << false;
}

void TestInscriptions::onePersonWhateverTheSpelling() {
    QFETCH(QString, known);
    QFETCH(QString, typed);
    QFETCH(bool, same);
    TestDatabase base;
    const QDateTime when(QDate(2026, 9, 1), QTime(20, 0));
    QCOMPARE(db::importPlayers(base.connection(),
                               {{known.section(u'/', 0, 0), known.section(u'/', 1)}}, when),
             1);
    const auto found =
        db::findKnownPlayer(base.connection(), typed.section(u'/', 0, 0), typed.section(u'/', 1));
    QCOMPARE(found.has_value(), same);
    // The import of the other spelling adds him only when he is another person.
    QCOMPARE(db::importPlayers(base.connection(),
                               {{typed.section(u'/', 0, 0), typed.section(u'/', 1)}}, when),
             same ? 0 : 1);
}

VELMORA_TEST_MAIN(TestInscriptions)
#include "tst_inscriptions.moc"
