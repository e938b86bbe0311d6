#include "app/Platform.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using ui::MessageBox;

class TestMessageBox : public QObject {
    Q_OBJECT
private slots:
    void scriptRecordsEveryBox();
    void questionsTakeQueuedAnswersThenTheDefault();
    void inputBoxAnswersTextOrCancel();
    void nestedScriptGivesBackTheOuterOne();
    void standardButtonsReadInFrench();
};

void TestMessageBox::nestedScriptGivesBackTheOuterOne() {
    MessageBox::Script outer;
    {
        MessageBox::Script inner;
        MessageBox::information(QStringLiteral("T"), QStringLiteral("intérieur"));
        QCOMPARE(inner.shown().size(), 1);
    }
    MessageBox::information(QStringLiteral("T"), QStringLiteral("extérieur"));
    QCOMPARE(outer.shown().size(), 1);
    QCOMPARE(outer.shown().first().text, "extérieur");
}

void TestMessageBox::scriptRecordsEveryBox() {
    MessageBox::Script script;
    MessageBox::critical(QStringLiteral("Erreur de saisie"),
                         QStringLiteral("La saisie du nom est obligatoire !!!"));
    MessageBox::information(QStringLiteral("Réinitialisation"),
                            QStringLiteral("La base ne contient aucune inscription !!"));
    QCOMPARE(script.shown().size(), 2);
    const MessageBox::Shown& first = script.shown().at(0);
    QCOMPARE(first.icon, MessageBox::Icon::Critical);
    QCOMPARE(first.title, "Erreur de saisie");
    QCOMPARE(first.text, "La saisie du nom est obligatoire !!!");
    QCOMPARE(first.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(script.shown().at(1).icon, MessageBox::Icon::Information);
    QCOMPARE(script.shown().at(1).buttons, MessageBox::Buttons::Ok);
}

void TestMessageBox::questionsTakeQueuedAnswersThenTheDefault() {
    MessageBox::Script script;
    script.answer(MessageBox::Answer::No);
    script.answer(MessageBox::Answer::Yes);
    QCOMPARE(MessageBox::question(QStringLiteral("T"), QStringLiteral("1 ?")),
             MessageBox::Answer::No);
    QCOMPARE(MessageBox::question(QStringLiteral("T"), QStringLiteral("2 ?")),
             MessageBox::Answer::Yes);
    // Nothing queued: the default button, Yes.
    QCOMPARE(MessageBox::question(QStringLiteral("T"), QStringLiteral("3 ?")),
             MessageBox::Answer::Yes);
    QCOMPARE(script.shown().size(), 3);
    QCOMPARE(script.shown().at(2).icon, MessageBox::Icon::Question);
    QCOMPARE(script.shown().at(2).buttons, MessageBox::Buttons::YesNo);
}

void TestMessageBox::inputBoxAnswersTextOrCancel() {
    MessageBox::Script script;
    script.answerInput(QStringLiteral("3"));
    script.answerInput(std::nullopt);
    QCOMPARE(MessageBox::input(QStringLiteral("Quelle manche ?"), QStringLiteral("Editions")),
             std::optional<QString>(QStringLiteral("3")));
    QCOMPARE(MessageBox::input(QStringLiteral("Quelle manche ?"), QStringLiteral("Editions")),
             std::nullopt);
    QCOMPARE(script.shown().at(0).icon, MessageBox::Icon::Input);
    QCOMPARE(script.shown().at(0).title, "Editions");
    QCOMPARE(script.shown().at(0).text, "Quelle manche ?");
}

void TestMessageBox::standardButtonsReadInFrench() {
    QVERIFY(app::installFrenchTranslations(*qApp));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), "&Oui");
    QCOMPARE(box.button(QMessageBox::No)->text(), "&Non");
    QCOMPARE(box.button(QMessageBox::Ok)->text().remove(u'&'), "OK");
    QDialogButtonBox input(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(input.button(QDialogButtonBox::Cancel)->text().remove(u'&'), "Annuler");
}

VELMORA_TEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
