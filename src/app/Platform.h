#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class QCoreApplication;

namespace app {

// State of the lock keys, as far as the platform tells it.
struct LockKeys {
    bool scroll = false;
    bool caps = false;
    bool num = false;
};

// What the main window takes from the platform, gathered so that tests can stand in for it.
struct Environment {
    QString programDirectory; // ends with "/"
    QString programFile;      // the running program's own file
    QString helpDirectory;    // where Velmora.hlp is, ending with "/"; empty: programDirectory
    int versionMajor = 0;
    int versionMinor = 0;
    std::function<QDateTime()> clock;
    std::function<LockKeys()> lockKeys;
    // True when the system has a default printer; otherwise reports become PDF files.
    std::function<bool()> hasPrinter;
    // Opens a folder in the desktop's file viewer; false when there is none to open it, and
    // the caller then names the folder and its files.
    std::function<bool(const QString&)> openFolder;

    // The running program: its directory and file, the build's version, the real clock and
    // keyboard.
    static Environment running();
};

// "1.3" for version 1.3.
QString versionText(int major, int minor);
// "Velmora  -  Version 1.3": the first panel of the status bar.
QString statusTitle(const QString& versionText);
// "16/04/2000 à 23:09".
QString fileDateText(const QDateTime& when);

// Qt's own French texts for the standard buttons (Oui, Non, Annuler...). False when Debian's
// translations are not installed.
bool installFrenchTranslations(QCoreApplication& application);

// The desktop's file viewer started on a folder: the program and its arguments. It is the
// application the desktop names for folders (their "inode/directory" association, in the
// mimeapps.list files, then the desktop entries' cache), found by reading those files alone:
// empty when none is named, or its program is not there.
QStringList folderViewer(const QString& folder);
// Starts that viewer on the folder, without waiting on it; false when there is none or it does
// not start. Never a web browser, where xdg-open falls back to without a viewer.
bool openInFileViewer(const QString& folder);

// The lock keys read from the window system; all off where it does not tell.
LockKeys readLockKeys();

} // namespace app
