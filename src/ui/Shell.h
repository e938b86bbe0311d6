#pragma once

#include <QDate>
#include <QString>

namespace ui {

// What a window or report may ask of the main window, without knowing it.
class Shell {
public:
    virtual ~Shell() = default;

    // The directory holding the program, its database and its help file, ending with "/".
    virtual QString programDirectory() const = 0;
    // The card picture, hidden while a command runs.
    virtual void setCartesVisible(bool visible) = 0;
    // The panel "Impressions en cours !! ...", shown while a report prints. Shown, it is
    // painted at once, as printing keeps the window from painting until it ends.
    virtual void setMessageVisible(bool visible) = 0;
    // The hourglass pointer over the whole program while a report runs; the arrow after.
    virtual void setBusy(bool busy) = 0;
    // While score entry at the tables is started, the address of its page, as a phone on the
    // club's network opens it ("http://192.168.1.20:8080/"); empty while it is not started.
    // Reads only.
    virtual QString tableEntryAddress() const = 0;
    // The same address, once every table drawn since the start has its key (written to the
    // file): what the score sheets print.
    virtual QString keyedTableEntryAddress() { return tableEntryAddress(); }
    // While score entry at the tables is started, the address of the players' own page
    // ("http://192.168.1.20:8080/joueur"), once every registered player has his key (written
    // to the file): what the route cards print. Empty while it is not started.
    virtual QString keyedPlayerPageAddress() { return QString(); }
    // Opens the registration window above the one open (a late arrival), without waiting.
    virtual void openRegistration() {}
    // The club's season ranked over a period, printed, or exported as the evening's ranking is.
    virtual void printSeasonRanking(const QDate& /*from*/, const QDate& /*to*/) {}
    virtual void exportSeasonRanking(const QDate& /*from*/, const QDate& /*to*/) {}
};

} // namespace ui
