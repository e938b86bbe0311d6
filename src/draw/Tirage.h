#pragma once

#include "RandomSource.h"
#include "TableDraw.h"
#include "db/DataControl.h"
#include "ui/CommandWindow.h"

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
    db::DataControl DataTirage;

    bool Form_Load() override;

public slots:
    void Valider_Click();
    void Quitter_Click();

private:
    void setButtons(bool validerEnabled, bool quitterEnabled) override;
    void showProgress(int maximum) override;
    void setProgress(int value) override;
    void hideProgress() override;

    RandomSource m_random;
};

} // namespace draw
