#include "CommandWindow.h"

#include "Shell.h"

namespace ui {

CommandWindow::CommandWindow(Shell& shell, QWidget* parent) : QDialog(parent), m_shell(shell) {
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    // No "?" button in the title bar: help is on F1, as everywhere in the program.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(this, &QDialog::finished, this, [this] { m_shell.setCartesVisible(true); });
}

bool CommandWindow::start() {
    if (!Form_Load()) {
        m_shell.setCartesVisible(true);
        deleteLater();
        return false;
    }
    show();
    return true;
}

} // namespace ui
