#include "MessageBox.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace ui {
namespace {

MessageBox::Script*& script() {
    static MessageBox::Script* current = nullptr;
    return current;
}

QWidget* parentWindow() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// A box is answered with the arrow, even over a report's hourglass.
struct ArrowWhileShown {
    ArrowWhileShown() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowWhileShown() { QApplication::restoreOverrideCursor(); }
    ArrowWhileShown(const ArrowWhileShown&) = delete;
    ArrowWhileShown& operator=(const ArrowWhileShown&) = delete;
};

} // namespace

MessageBox::Script::Script() : m_previous(script()) {
    script() = this;
}

MessageBox::Script::~Script() {
    if (script() == this)
        script() = m_previous;
}

void MessageBox::Script::answer(Answer next) {
    m_answers.append(next);
}

void MessageBox::Script::answerInput(std::optional<QString> next) {
    m_inputs.append(next);
}

MessageBox::Answer MessageBox::show(Icon icon, Buttons buttons, const QString& title,
                                    const QString& text) {
    if (Script* s = script()) {
        s->m_shown.append({icon, title, text, buttons});
        if (buttons == Buttons::YesNo || buttons == Buttons::NoYes)
            // Unscripted, a question takes its default button, as Enter would.
            return !s->m_answers.isEmpty()     ? s->m_answers.takeFirst()
                   : buttons == Buttons::NoYes ? Answer::No
                                               : Answer::Yes;
        return Answer::Ok;
    }
    const ArrowWhileShown arrow;
    QMessageBox box(parentWindow());
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(icon == Icon::Critical      ? QMessageBox::Critical
                : icon == Icon::Information ? QMessageBox::Information
                                            : QMessageBox::Question);
    if (buttons == Buttons::YesNo || buttons == Buttons::NoYes) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(buttons == Buttons::NoYes ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

void MessageBox::critical(const QString& title, const QString& text) {
    show(Icon::Critical, Buttons::Ok, title, text);
}

void MessageBox::information(const QString& title, const QString& text) {
    show(Icon::Information, Buttons::Ok, title, text);
}

MessageBox::Answer MessageBox::question(const QString& title, const QString& text) {
    return show(Icon::Question, Buttons::YesNo, title, text);
}

MessageBox::Answer MessageBox::questionNoByDefault(const QString& title, const QString& text) {
    return show(Icon::Question, Buttons::NoYes, title, text);
}

std::optional<QString> MessageBox::input(const QString& prompt, const QString& title,
                                         const QString& defaultText) {
    if (Script* s = script()) {
        s->m_shown.append({Icon::Input, title, prompt, Buttons::OkCancel});
        return s->m_inputs.isEmpty() ? std::nullopt : s->m_inputs.takeFirst();
    }
    const ArrowWhileShown arrow;
    bool ok = false;
    const QString text =
        QInputDialog::getText(parentWindow(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace ui
