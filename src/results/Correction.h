#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ui {
class BoiteBoutons;
class Saisie;
} // namespace ui

namespace results {

// The correction window: a stored table is found by its code and shown with its scores, which
// can be corrected or deleted; below, the tables of each round still missing. It looks and
// answers the keys as the results window does.
class Correction : public ui::CommandWindow {
    Q_OBJECT
public:
    Correction(ui::Shell& shell, QWidget* parent);

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
    QLabel* DerniereCorrection; // the table's last correction, or what was just done
    ui::BoiteBoutons* BoiteBoutons;
    QPushButton* Valider;
    QPushButton* Supprimer;
    QPushButton* Annuler;
    QPushButton* Quitter;
    QLabel* EtiquetteManquantes;
    QPlainTextEdit* Manquantes; // tables entered and still missing, round by round
    db::DataControl DataResultats;

    bool Form_Load() override;

public slots:
    void Valider_Click();
    void Supprimer_Click();
    void Annuler_Click();
    void Quitter_Click();

private:
    void SaisieEquipe_KeyPress(char32_t& KeyAscii);
    void Score04_KeyPress(char32_t& KeyAscii);
    // The tables of one round, or of every drawn round for round 0.
    void showMissing(int round);
};

} // namespace results
