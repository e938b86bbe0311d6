#pragma once

#include "ui/Shell.h"

#include <QList>
#include <QStringList>

// The main window as a command window or a report sees it, recording what it is asked.
class FakeShell : public ui::Shell {
public:
    explicit FakeShell(QString directory = QStringLiteral("/tmp/"))
        : m_directory(std::move(directory)) {}

    QString programDirectory() const override { return m_directory; }
    void setCartesVisible(bool visible) override {
        cartes = visible;
        cartesCalls.append(visible);
        log.append(visible ? QStringLiteral("cartes shown") : QStringLiteral("cartes hidden"));
    }
    void setMessageVisible(bool visible) override {
        message = visible;
        log.append(visible ? QStringLiteral("message shown") : QStringLiteral("message hidden"));
    }
    void setBusy(bool on) override {
        busy = on;
        log.append(on ? QStringLiteral("hourglass") : QStringLiteral("arrow"));
    }
    QString tableEntryAddress() const override { return entryAddress; }
    QString keyedPlayerPageAddress() override { return playerPage; }
    void openRegistration() override { log.append(QStringLiteral("registration opened")); }

    bool cartes = false;
    bool message = false;
    bool busy = false;
    QString entryAddress;    // score entry at the tables started when not empty
    QString playerPage;      // the players' page, its keys already made, when not empty
    QStringList log;         // every call, in order
    QList<bool> cartesCalls; // every change of the card picture, in order

private:
    QString m_directory;
};
