#pragma once

#include <QDialog>

class QLabel;

namespace ui {

class Shell;

// Sizes and places a top-level window about to be shown so that it opens whole inside the
// available area of its screen (task bars and panels aside): no larger than that area, centred
// over its parent, or over the screen without one; one placed before keeps its place as far as
// the area allows. A window already shown is left as it is.
void fitInScreen(QWidget& window);

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

    // Every opening fits the window inside the screen first, whoever shows it.
    void setVisible(bool visible) override;

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
