#include "CommandWindow.h"

#include "Shell.h"
#include "db/Schema.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>

namespace ui {

void fitInScreen(QWidget& window) {
    if (window.isVisible())
        return;
    QWidget* parent = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    QScreen* screen = parent && parent->isVisible() ? parent->screen() : window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Not shown yet, the window's frame is unknown: leave room for a title bar and borders.
    const int border = window.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + border;
    window.ensurePolished();
    if (!window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    const QSize room(area.width() - 2 * border, area.height() - title - border);
    window.resize(window.size().boundedTo(room).expandedTo(window.minimumSize()));
    const QSize outer(window.width() + 2 * border, window.height() + title + border);
    // Shown before and moved by the organiser: where he left it, as far as the screen allows.
    const QRect over = parent && parent->isVisible() ? parent->frameGeometry() : area;
    QPoint at = window.testAttribute(Qt::WA_Moved)
                    ? window.pos()
                    : over.center() - QPoint(outer.width() / 2, outer.height() / 2);
    at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() + 1 - outer.width())));
    at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() + 1 - outer.height())));
    window.move(at);
}

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

void CommandWindow::setVisible(bool visible) {
    if (visible)
        fitInScreen(*this);
    QDialog::setVisible(visible);
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
