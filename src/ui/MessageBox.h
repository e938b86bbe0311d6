#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace ui {

// Every message box and input box of the program goes through this class. In tests a
// MessageBox::Script is installed: each box is then recorded instead of shown, and answered
// from the script's queue, so no real modal box ever opens.
class MessageBox {
public:
    enum class Icon { Critical, Information, Question, Input };
    enum class Buttons { Ok, YesNo, NoYes, OkCancel }; // NoYes: Yes and No, No the default
    enum class Answer { Ok, Yes, No, Cancel };

    // What a box showed (or, in a test, would have shown).
    struct Shown {
        Icon icon;
        QString title;
        QString text;
        Buttons buttons;
    };

    // OK button only.
    static void critical(const QString& title, const QString& text);
    static void information(const QString& title, const QString& text);
    // Yes and No, Yes being the default.
    static Answer question(const QString& title, const QString& text);
    // Yes and No, No being the default: for what cannot be undone, a hasty Enter declines.
    static Answer questionNoByDefault(const QString& title, const QString& text);
    // A line of text to type; no value when the organiser cancels.
    static std::optional<QString> input(const QString& prompt, const QString& title,
                                        const QString& defaultText = QString());

    class Script {
    public:
        Script();
        ~Script();
        Script(const Script&) = delete;
        Script& operator=(const Script&) = delete;

        // Queues the answer of the next question (Yes or No).
        void answer(Answer next);
        // Queues the answer of the next input box; no value answers Cancel.
        void answerInput(std::optional<QString> next);

        const QList<Shown>& shown() const { return m_shown; }
        void clear() { m_shown.clear(); }

    private:
        friend class MessageBox;
        Script* m_previous; // scripts nest: the outer one is back when this one ends
        QList<Shown> m_shown;
        QList<Answer> m_answers;
        QList<std::optional<QString>> m_inputs;
    };

private:
    static Answer show(Icon icon, Buttons buttons, const QString& title, const QString& text);
};

} // namespace ui
