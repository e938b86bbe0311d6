#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace season {

// The club's known players, with the evenings each one played; two spellings of one person
// merged into the one chosen last, his evenings following him.
class JoueursSaison : public ui::CommandWindow {
    Q_OBJECT
public:
    JoueursSaison(ui::Shell& shell, QWidget* parent);

    QLabel* Etiquette1;
    QTreeWidget* ListeJoueurs; // surname, first name, evenings; two may be chosen
    QLabel* Etiquette2;
    QPushButton* Reunir;
    QPushButton* Quitter;
    db::DataControl DataJoueurs;

    bool Form_Load() override;

public slots:
    void Reunir_Click();
    void Quitter_Click();

private:
    bool showPlayers();
};

} // namespace season
