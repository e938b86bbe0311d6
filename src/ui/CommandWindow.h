#pragma once

#include <QDialog>

class QLabel;

namespace ui {

class Shell;

// A window opened by a command of the main window: application-modal, shown without
// blocking the caller, destroyed when closed. However it is closed ("&Quitter", the title
// bar, Escape), the main window's card picture comes back.
class CommandWindow : public QDialog {
    Q_OBJECT
public:
    CommandWindow(Shell& shell, QWidget* parent);

    // Reads what the window shows and shows it. When the reading fails (the organiser has been
    // told why) the window never appears, goes away, and the card picture comes back.
    bool start();

protected:
    // Fills the window from the database; false when it cannot open.
    virtual bool Form_Load() { return true; }

    Shell& shell() const { return m_shell; }
    // The tournament file in the program directory.
    QString databasePath() const;
    // A caption of the window, found by its name.
    QLabel* label(const char* name, const QString& text);

private:
    Shell& m_shell;
};

} // namespace ui
