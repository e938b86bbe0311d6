#include "Saisie.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <algorithm>

namespace ui {

Saisie::Saisie(QWidget* parent) : QLineEdit(parent) {
    // The length limit counts halves of characters: it may cut one written in two (an emoji)
    // and keep its first half, which the file cannot hold. That half goes at once, so that what
    // the field shows is what is stored.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isValidUtf16())
            return;
        QString whole;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                whole += text[i];
                whole += text[++i];
            } else if (!text[i].isSurrogate()) {
                whole += text[i];
            }
        }
        const int cursor = int(std::min<qsizetype>(cursorPosition(), whole.size()));
        setText(whole);
        setCursorPosition(cursor);
    });
}

char32_t Saisie::hooked(char32_t typed) {
    if (m_hook)
        m_hook(typed);
    return typed;
}

QString Saisie::textBeforeKey() const {
    QString text = QLineEdit::text();
    if (hasSelectedText())
        text.remove(selectionStart(), selectionLength());
    return text;
}

void Saisie::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Taken here, or the dialog would click its default button.
        event->accept();
        // Unlike Tab, Enter leaves the next field's text unselected: the next key adds to it.
        if (hooked(kEnter) == kEnter && m_next)
            m_next->setFocus(Qt::OtherFocusReason);
        return;
    }
    const QString text = event->text();
    // AltGr comes as Ctrl+Alt on some systems: its characters are typed characters.
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool command =
        (mods & Qt::MetaModifier) || ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier));
    const QList<uint> codes = text.toUcs4();
    if (command || codes.size() != 1 || !QChar::isPrint(codes.first())) {
        // Movement, deletion, copy and paste: the field's own business.
        QLineEdit::keyPressEvent(event);
        return;
    }
    const char32_t typed = char32_t(codes.first());
    const char32_t kept = hooked(typed);
    if (kept == 0) {
        event->accept();
        return;
    }
    if (kept == typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString::fromUcs4(&kept, 1),
                       event->isAutoRepeat(), event->count());
    QLineEdit::keyPressEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}

void Saisie::inputMethodEvent(QInputMethodEvent* event) {
    // Characters composed with a dead key (ê, ë...) arrive here rather than as key presses;
    // they are typed characters all the same.
    if (event->commitString().isEmpty() || !event->preeditString().isEmpty() ||
        event->replacementLength() != 0 || !m_hook) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    for (const uint code : event->commitString().toUcs4()) {
        const char32_t kept = hooked(char32_t(code));
        if (kept != 0 && kept != kEnter)
            insert(QString::fromUcs4(&kept, 1));
    }
    event->accept();
}

} // namespace ui
