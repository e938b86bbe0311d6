#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class BoiteBoutons;
class Saisie;
} // namespace ui

namespace settings {

// The settings window: the stored number of rounds and of deals per round on the left, the
// new values typed on the right, each on the line of the value it replaces.
class Parametres : public ui::CommandWindow {
    Q_OBJECT
public:
    Parametres(ui::Shell& shell, QWidget* parent);

    QLabel* Label1;
    QLineEdit* Manches;
    QLineEdit* Parties;
    QLabel* Etiquette1;
    ui::Saisie* SaisieManches;
    QLabel* Etiquette2;
    ui::Saisie* SaisieParties;
    ui::BoiteBoutons* BoiteBoutons;
    QPushButton* Valider;
    QPushButton* Annuler;
    QPushButton* Quitter;
    db::DataControl DataParametres;

    bool Form_Load() override;

public slots:
    void Valider_Click();
    void Annuler_Click();
    void Quitter_Click();
};

} // namespace settings
