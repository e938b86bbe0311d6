#include "DataFolder.h"
#include "Depart.h"
#include "Platform.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    app::installFrenchTranslations(application);

    app::Environment environment = app::Environment::running();
    // Installed, the program's folder takes no file: the tournament goes to the user's folder.
    const app::DataFolder folder = app::runningDataFolder(environment.programDirectory);
    if (!folder.beside) {
        const QString refusal = app::placeTournament(folder);
        if (!refusal.isEmpty()) {
            ui::MessageBox::critical(QStringLiteral("Velmora"), refusal);
            return 0;
        }
        environment.programDirectory = folder.data;
        environment.helpDirectory = folder.shared;
    }

    app::Depart window(std::move(environment));
    if (!window.Form_Load())
        return 0;
    window.showMaximized();
    return application.exec();
}
