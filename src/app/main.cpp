#include "Depart.h"
#include "Platform.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    app::installFrenchTranslations(application);

    app::Depart window(app::Environment::running());
    if (!window.Form_Load())
        return 0;
    window.showMaximized();
    return application.exec();
}
