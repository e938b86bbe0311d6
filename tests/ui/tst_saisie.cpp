#include "support/TestMain.h"
#include "ui/Saisie.h"

#include <QClipboard>
#include <QDialog>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A dialog as the program's windows are: two fields, then a default button.
struct Window {
    QDialog dialog;
    ui::Saisie* first = new ui::Saisie(&dialog);
    QLineEdit* second = new QLineEdit(&dialog);
    QPushButton* button = new QPushButton(QStringLiteral("&Valider"), &dialog);
    int clicks = 0;

    Window() {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(button);
        button->setDefault(true);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        first->setNext(second);
    }
    bool show() {
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            return false;
        first->setFocus();
        return first->hasFocus();
    }
};

// Every character capital, 'x' dropped; what the hook saw is kept.
struct Capitals {
    QList<char32_t> seen;
    char32_t enterBecomes = ui::Saisie::kEnter;
    void operator()(char32_t& key) {
        seen.append(key);
        if (key == ui::Saisie::kEnter)
            key = enterBecomes;
        else if (key == U'x')
            key = 0;
        else
            key = QChar::toUpper(key);
    }
};

} // namespace

class TestSaisie : public QObject {
    Q_OBJECT
private slots:
    void enterMovesOnWithoutClickingTheDefaultButton_data();
    void enterMovesOnWithoutClickingTheDefaultButton();
    void enterLeavesTheNextFieldUnselected();
    void handlerReplacesOrDropsTypedCharacters();
    void altGrCharactersAreTypedCharacters();
    void pastedTextIsNotTouched();
    void composedCharactersAreTypedCharacters();
    void noHalfCharacterAtTheLimit();
};

void TestSaisie::enterMovesOnWithoutClickingTheDefaultButton_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("handlerKeepsEnter");
    QTest::addColumn<bool>("moved");
    QTest::newRow("Return") << int(Qt::Key_Return) << true << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true << true;
    QTest::newRow("handler takes Enter for itself") << int(Qt::Key_Return) << false << false;
}

void TestSaisie::enterMovesOnWithoutClickingTheDefaultButton() {
    QFETCH(int, key);
    QFETCH(bool, handlerKeepsEnter);
    QFETCH(bool, moved);
    Window w;
    Capitals hook;
    if (!handlerKeepsEnter)
        hook.enterBecomes = 0;
    w.first->setKeyHook([&hook](char32_t& k) { hook(k); });
    QVERIFY(w.show());
    QTest::keyClick(w.first, Qt::Key(key));
    QCOMPARE(hook.seen, QList<char32_t>{ui::Saisie::kEnter});
    QCOMPARE(w.second->hasFocus(), moved);
    QCOMPARE(w.first->hasFocus(), !moved);
    QCOMPARE(w.clicks, 0);
    QVERIFY(w.dialog.isVisible());
}

void TestSaisie::enterLeavesTheNextFieldUnselected() {
    Window w;
    w.second->setText(QStringLiteral("Marie"));
    QVERIFY(w.show());
    QTest::keyClick(w.first, Qt::Key_Return);
    QVERIFY(w.second->hasFocus());
    QVERIFY(!w.second->hasSelectedText());
    QTest::keyClicks(w.second, QStringLiteral("x"));
    QCOMPARE(w.second->text(), "Mariex");
    // A selection, however made, is what the next key replaces.
    w.first->setText(QStringLiteral("Jean Pierre"));
    w.first->setSelection(5, 6);
    QCOMPARE(w.first->textBeforeKey(), "Jean ");
    w.first->selectAll();
    QCOMPARE(w.first->textBeforeKey(), "");
}

void TestSaisie::handlerReplacesOrDropsTypedCharacters() {
    Window w;
    Capitals hook;
    w.first->setKeyHook([&hook](char32_t& k) { hook(k); });
    w.first->setMaxLength(4);
    QVERIFY(w.show());
    QTest::keyClicks(w.first, QStringLiteral("axb c"));
    QCOMPARE(w.first->text(), "AB C");
    // Full: the replaced character is refused like any other.
    QTest::keyClicks(w.first, QStringLiteral("d"));
    QCOMPARE(w.first->text(), "AB C");
    // Movement and deletion are not characters.
    QTest::keyClick(w.first, Qt::Key_Backspace);
    QTest::keyClick(w.first, Qt::Key_Home);
    QCOMPARE(w.first->text(), "AB ");
    QCOMPARE(hook.seen.size(), 6);
}

void TestSaisie::altGrCharactersAreTypedCharacters() {
    Window w;
    Capitals hook;
    w.first->setKeyHook([&hook](char32_t& k) { hook(k); });
    QVERIFY(w.show());
    // Some systems report AltGr as Ctrl+Alt; Ctrl alone is a command.
    QTest::sendKeyEvent(QTest::Click, w.first, Qt::Key_Eacute, QStringLiteral("é"),
                        Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.first->text(), "É");
    QCOMPARE(hook.seen, QList<char32_t>{U'é'});
}

void TestSaisie::pastedTextIsNotTouched() {
    Window w;
    Capitals hook;
    w.first->setKeyHook([&hook](char32_t& k) { hook(k); });
    QVERIFY(w.show());
    QGuiApplication::clipboard()->setText(QStringLiteral("dupont x"));
    QTest::keyClick(w.first, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.first->text(), "dupont x");
    QVERIFY(hook.seen.isEmpty());
}

void TestSaisie::composedCharactersAreTypedCharacters() {
    Window w;
    Capitals hook;
    w.first->setKeyHook([&hook](char32_t& k) { hook(k); });
    QVERIFY(w.show());
    QTest::keyClicks(w.first, QStringLiteral("a"));
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("êx"));
    QCoreApplication::sendEvent(w.first, &composed);
    QCOMPARE(w.first->text(), "AÊ");
}

void TestSaisie::noHalfCharacterAtTheLimit() {
    // An emoji is two halves: pasted where only one fits, neither is kept.
    Window w;
    QVERIFY(w.show());
    w.first->setMaxLength(5);
    QGuiApplication::clipboard()->setText(QStringLiteral("ABCD😀E"));
    QTest::keyClick(w.first, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.first->text(), "ABCD");
    w.first->setText(QStringLiteral("AB😀C😀"));
    QCOMPARE(w.first->text(), "AB😀C");
}

VELMORA_TEST_MAIN(TestSaisie)
#include "tst_saisie.moc"
