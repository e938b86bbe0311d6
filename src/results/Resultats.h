#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QPushButton;

namespace ui {
class BoiteBoutons;
class Saisie;
} // namespace ui

namespace results {

// The results window: a table is found by its code, then its four scores are typed and
// stored. It opens in code entry; a table found puts it in score entry until the scores are
// stored or "&Annuler" is pressed.
class Resultats : public ui::CommandWindow {
    Q_OBJECT
public:
    Resultats(ui::Shell& shell, QWidget* parent);

    QLabel* Etiquette1;
    ui::Saisie* SaisieEquipe;
    ui::Saisie* Score01;
    ui::Saisie* Score02;
    ui::Saisie* Score03;
    ui::Saisie* Score04;
    QLabel* Code01;
    QLabel* Code02;
    QLabel* Code03;
    QLabel* Code04;
    QLabel* Nom01;
    QLabel* Nom02;
    QLabel* Nom03;
    QLabel* Nom04;
    ui::BoiteBoutons* BoiteBoutons;
    QPushButton* Valider;
    QPushButton* Annuler;
    QPushButton* Quitter;
    db::DataControl DataResultats;

    bool Form_Load() override;

public slots:
    void Valider_Click();
    void Annuler_Click();
    void Quitter_Click();

private:
    void SaisieEquipe_KeyPress(char32_t& KeyAscii);
    void Score04_KeyPress(char32_t& KeyAscii);
};

} // namespace results
