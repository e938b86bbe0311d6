#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

Environment Environment::running() {
    Environment env;
    env.programDirectory = QCoreApplication::applicationDirPath() + u'/';
    env.programFile = QCoreApplication::applicationFilePath();
    env.versionMajor = VELMORA_VERSION_MAJOR;
    env.versionMinor = VELMORA_VERSION_MINOR;
    env.clock = [] { return QDateTime::currentDateTime(); };
    env.lockKeys = readLockKeys;
    env.hasPrinter = [] { return !QPrinterInfo::defaultPrinter().isNull(); };
    env.openFolder = openInFileViewer;
    return env;
}

QString versionText(int major, int minor) {
    return QString::number(major) + u'.' + QString::number(minor);
}

QString statusTitle(const QString& versionText) {
    return QStringLiteral("Velmora  -  Version ") + versionText;
}

QString fileDateText(const QDateTime& when) {
    return when.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" à ") +
           when.toString(QStringLiteral("HH:mm"));
}

namespace {

const QString kFolderType = QStringLiteral("inode/directory");

QString envDir(const char* name, const QString& underHome) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QDir::homePath() + underHome : value;
}

QStringList envDirs(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return (value.isEmpty() ? fallback : value).split(u':', Qt::SkipEmptyParts);
}

// The keys and values of one section of a desktop file or a mimeapps.list.
QHash<QString, QString> section(const QString& path, const QString& name) {
    QHash<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    bool inside = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inside = line == u'[' + name + u']';
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inside && equals > 0 && !values.contains(line.left(equals).trimmed()))
            values.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return values;
}

QStringList entries(const QString& path, const QString& name) {
    return section(path, name).value(kFolderType).split(u';', Qt::SkipEmptyParts);
}

// The command of a desktop entry with the folder in place of its field codes; empty when the
// entry is hidden or its program is not there.
QStringList command(const QString& desktopFile, const QString& folder) {
    const QHash<QString, QString> entry = section(desktopFile, QStringLiteral("Desktop Entry"));
    if (entry.value(QStringLiteral("Hidden")) == u"true")
        return {};
    const QString tryExec = entry.value(QStringLiteral("TryExec"));
    if (!tryExec.isEmpty() && QStandardPaths::findExecutable(tryExec).isEmpty())
        return {};
    QStringList arguments;
    bool placed = false;
    for (QString argument : QProcess::splitCommand(entry.value(QStringLiteral("Exec")))) {
        if (argument == u"%f" || argument == u"%F") {
            arguments.append(folder);
            placed = true;
        } else if (argument == u"%u" || argument == u"%U") {
            arguments.append(QUrl::fromLocalFile(folder).toString());
            placed = true;
        } else if (argument.size() != 2 || argument[0] != u'%') {
            arguments.append(argument.replace(QStringLiteral("%%"), QStringLiteral("%")));
        }
    }
    if (arguments.isEmpty())
        return {};
    const QString program = QStandardPaths::findExecutable(arguments.first());
    if (program.isEmpty())
        return {};
    arguments.first() = program;
    if (!placed)
        arguments.append(folder);
    return arguments;
}

} // namespace

QStringList folderViewer(const QString& folder) {
    QStringList lists; // mimeapps.list files, the most preferred first
    QStringList desktops;
    for (const QString& desktop : envDirs("XDG_CURRENT_DESKTOP", QString()))
        desktops.append(desktop.toLower());
    const QStringList configDirs =
        QStringList{envDir("XDG_CONFIG_HOME", QStringLiteral("/.config"))} +
        envDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    QStringList applicationDirs;
    for (const QString& dir :
         QStringList{envDir("XDG_DATA_HOME", QStringLiteral("/.local/share"))} +
             envDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        applicationDirs.append(dir + QStringLiteral("/applications"));
    for (const QString& dir : configDirs + applicationDirs) {
        for (const QString& desktop : desktops)
            lists.append(dir + u'/' + desktop + QStringLiteral("-mimeapps.list"));
        lists.append(dir + QStringLiteral("/mimeapps.list"));
    }
    // The desktop's default first; then what was associated, less what was taken away.
    QStringList candidates, associated, removed;
    for (const QString& list : lists) {
        candidates += entries(list, QStringLiteral("Default Applications"));
        associated += entries(list, QStringLiteral("Added Associations"));
        removed += entries(list, QStringLiteral("Removed Associations"));
    }
    for (const QString& dir : applicationDirs)
        associated +=
            entries(dir + QStringLiteral("/mimeinfo.cache"), QStringLiteral("MIME Cache"));
    for (const QString& id : associated)
        if (!removed.contains(id))
            candidates.append(id);
    for (const QString& id : candidates)
        for (const QString& dir : applicationDirs)
            if (QFile::exists(dir + u'/' + id)) {
                const QStringList found = command(dir + u'/' + id, folder);
                if (!found.isEmpty())
                    return found;
                break; // the first entry of that name hides the others
            }
    return {};
}

bool openInFileViewer(const QString& folder) {
    const QStringList viewer = folderViewer(QDir::toNativeSeparators(folder));
    return !viewer.isEmpty() && QProcess::startDetached(viewer.first(), viewer.mid(1));
}

bool installFrenchTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace app

// The X11 headers define names (Bool, None, Status...) that clash with Qt's: they come last.
#if defined(VELMORA_HAVE_X11)
#include <X11/XKBlib.h>

namespace app {

LockKeys readLockKeys() {
    LockKeys keys;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return keys;
    const auto lit = [display](const char* name) {
        int on = 0;
        const Atom atom = XInternAtom(display, name, True);
        if (atom == 0 || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
            return false;
        return on != 0;
    };
    keys.scroll = lit("Scroll Lock");
    keys.caps = lit("Caps Lock");
    keys.num = lit("Num Lock");
    return keys;
}

} // namespace app
#else
namespace app {
LockKeys readLockKeys() {
    return {};
}
} // namespace app
#endif
