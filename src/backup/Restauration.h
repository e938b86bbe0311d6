#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace ui {
class BoiteBoutons;
}

namespace backup {

// The restore window, "Restaurer une sauvegarde": the dated copies of the tournament, newest first,
// and the button that puts one back in place of the tournament.
class Restauration : public ui::CommandWindow {
    Q_OBJECT
public:
    Restauration(ui::Shell& shell, QWidget* parent);

    QLabel* Etiquette1;
    QTreeWidget* ListeSauvegardes; // date, reason, players, rounds drawn, scores
    QLabel* Dossier;
    ui::BoiteBoutons* BoiteBoutons;
    QPushButton* Restaurer;
    QPushButton* Quitter;
    db::DataControl DataRestauration;

    bool Form_Load() override;

public slots:
    void Restaurer_Click();
    void Quitter_Click();

private:
    void fillList();
};

} // namespace backup
