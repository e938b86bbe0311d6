#pragma once

#include "ui/CommandWindow.h"

class QLabel;
class QPushButton;
class QTextBrowser;

namespace app {

// The about window: the program's title and version, the date and name of its file, the
// history of its versions and where to find help.
class Apropos : public ui::CommandWindow {
    Q_OBJECT
public:
    Apropos(ui::Shell& shell, const QString& versionText, const QString& fileDateText,
            const QString& programFileName, QWidget* parent);

    QLabel* Titre;
    QLabel* Version;
    QLabel* Fichier;
    QLabel* DateFichier;
    QTextBrowser* Historique;
    QLabel* Support;
    QPushButton* Quitter;

public slots:
    void Quitter_Click();
};

} // namespace app
