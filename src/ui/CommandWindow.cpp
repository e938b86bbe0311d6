#include "CommandWindow.h"

#include "Shell.h"
#include "db/Schema.h"

#include <QLabel>

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

QString CommandWindow::databasePath() const {
    return db::databasePath(m_shell.programDirectory());
}

QLabel* CommandWindow::label(const char* name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace ui
