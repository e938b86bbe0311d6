#pragma once

#include <QLineEdit>
#include <functional>

namespace ui {

// An input field of the program's windows.
//
// Every character the organiser types goes first through the window's key handler, which may
// replace it or drop it (by setting the code to 0) before the field applies it. Enter
// (code 13) goes through the handler too, then moves the focus to the next control, selecting
// nothing there; it never reaches the window's default button. Pasted text does not go
// through the handler.
class Saisie : public QLineEdit {
    Q_OBJECT
public:
    static constexpr char32_t kEnter = 13;
    using KeyHook = std::function<void(char32_t& keyAscii)>;

    explicit Saisie(QWidget* parent = nullptr);

    void setKeyHook(KeyHook hook) { m_hook = std::move(hook); }
    // Where Enter takes the focus; with none, Enter only reaches the handler.
    void setNext(QWidget* next) { m_next = next; }
    QWidget* next() const { return m_next; }
    // The text as the next typed character finds it: the character replaces the selection.
    QString textBeforeKey() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // The character as the handler leaves it; 0 when dropped.
    char32_t hooked(char32_t typed);

    KeyHook m_hook;
    QWidget* m_next = nullptr;
};

} // namespace ui
