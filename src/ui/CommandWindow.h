#pragma once

#include <QDialog>

namespace ui {

class Shell;

// A window opened by a command of the main window: application-modal, shown without
// blocking the caller, destroyed when closed. However it is closed ("&Quitter", the title
// bar, Escape), the main window's card picture comes back.
class CommandWindow : public QDialog {
    Q_OBJECT
public:
    CommandWindow(Shell& shell, QWidget* parent);

protected:
    Shell& shell() const { return m_shell; }

private:
    Shell& m_shell;
};

} // namespace ui
