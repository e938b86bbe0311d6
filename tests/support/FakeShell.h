#pragma once

#include "ui/Shell.h"

#include <QList>

// The main window as a command window or a report sees it, recording what it is asked.
class FakeShell : public ui::Shell {
public:
    explicit FakeShell(QString directory = QStringLiteral("/tmp/"))
        : m_directory(std::move(directory)) {}

    QString programDirectory() const override { return m_directory; }
    void setCartesVisible(bool visible) override {
        cartes = visible;
        cartesCalls.append(visible);
    }
    void setMessageVisible(bool visible) override { message = visible; }

    bool cartes = false;
    bool message = false;
    QList<bool> cartesCalls; // every change of the card picture, in order

private:
    QString m_directory;
};
