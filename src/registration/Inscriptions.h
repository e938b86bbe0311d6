#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QPushButton;

namespace ui {
class BoiteBoutons;
class Saisie;
} // namespace ui

namespace registration {

// The registration window: the players are entered one after the other, by surname and first
// name, each under the next number. The counter shown is also where that number comes from.
class Inscriptions : public ui::CommandWindow {
    Q_OBJECT
public:
    Inscriptions(ui::Shell& shell, QWidget* parent);

    QLabel* Label1;
    QLabel* NombreInscrits;
    QLabel* Etiquette1;
    ui::Saisie* SaisieNom;
    QLabel* Etiquette2;
    ui::Saisie* SaisiePrenom;
    ui::BoiteBoutons* BoiteBoutons;
    QPushButton* Valider;
    QPushButton* Annuler;
    QPushButton* Quitter;
    db::DataControl DataInscriptions;

    bool Form_Load() override;

public slots:
    void Valider_Click();
    void Annuler_Click();
    void Quitter_Click();

private:
    void SaisieNom_KeyPress(char32_t& KeyAscii);
    void SaisiePrenom_KeyPress(char32_t& KeyAscii);
};

} // namespace registration
