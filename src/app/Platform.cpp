#include "Platform.h"

#include <QDesktopServices>
#include <QPrinterInfo>
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
    env.openFolder = [](const QString& folder) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    };
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
