#pragma once

#include "Evening.h"
#include "RandomSource.h"
#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace draw {

// Between two rounds: the players who came late or must leave, and the coming rounds drawn
// again for those present, the rounds played kept as they are.
class ArriveesDeparts : public ui::CommandWindow {
    Q_OBJECT
public:
    ArriveesDeparts(ui::Shell& shell, QWidget* parent);

    QLabel* Etiquette1;
    QListWidget* Joueurs; // every player, with where he stands this evening
    QPushButton* Inscrire;
    QLabel* Etiquette2;
    QSpinBox* MancheDepart; // the first round a player marked gone no longer plays
    QPushButton* MarquerParti;
    QPushButton* AnnulerDepart;
    QLabel* Etiquette3;
    QSpinBox* MancheRefaire; // the first round drawn again
    QPushButton* Refaire;
    QPushButton* Quitter;
    QLabel* Bilan; // what the last redraw came to
    db::DataControl DataArrivees;

    bool Form_Load() override;

public slots:
    void Inscrire_Click();
    void MarquerParti_Click();
    void AnnulerDepart_Click();
    void Refaire_Click();
    void Quitter_Click();

protected:
    void changeEvent(QEvent* event) override;

private:
    // Reads the evening again and shows it; false, the organiser told why, when it cannot.
    bool showEvening();
    // The number of the player chosen in the list, 0 for none (the organiser is told).
    int chosenPlayer();
    void markGone(int from);

    RandomSource m_random;
    bool m_registering = false;
};

} // namespace draw
