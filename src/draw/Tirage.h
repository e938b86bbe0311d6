#pragma once

#include "RandomSource.h"
#include "TableDraw.h"
#include "db/DataControl.h"
#include "ui/CommandWindow.h"

#include <QElapsedTimer>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace ui {
class BoiteBoutons;
}

namespace draw {

// The draw window: the figures the draw works with, and the button that starts it.
class Tirage : public ui::CommandWindow, private DrawControls {
    Q_OBJECT
public:
    Tirage(ui::Shell& shell, QWidget* parent);

    QLabel* Label1;
    QLabel* NombreInscrits;
    QLabel* Label2;
    QLabel* Participants;
    QLabel* Etiquette1;
    QLabel* Manches;
    QLabel* Etiquette2;
    QLabel* Parties;
    QProgressBar* Jauge;
    ui::BoiteBoutons* BoiteBoutons;
    QPushButton* Valider;
    QPushButton* Quitter;
    QCheckBox* EviterRencontres; // the draw without repeated meetings, kept with the draw
    QCheckBox* TablesDeCinq;     // tables of five, so that nobody sits out; kept with the draw
    QLabel* Rencontres;          // after a draw: "Rencontres répétées : n"
    QLabel* Exclus;              // after a draw: who sits out
    db::DataControl DataTirage;

    bool Form_Load() override;

public slots:
    void Valider_Click();
    void Quitter_Click();

private:
    void showParticipants();
    void setButtons(bool validerEnabled, bool quitterEnabled) override;
    void showProgress(int maximum) override;
    void setProgress(int value) override;
    void hideProgress() override;

    RandomSource m_random;
    int m_registrations = 0;
    // The bar repaints at once on every change of its percentage; it is shown no more often than
    // an eye can follow, so that painting never holds the draw up.
    QElapsedTimer m_lastShown;
};

} // namespace draw
