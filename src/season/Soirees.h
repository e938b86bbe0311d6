#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace season {

// The evenings kept at each reset: the list, the ranking of the one chosen (the exported
// ranking's columns), and the removal of one.
class Soirees : public ui::CommandWindow {
    Q_OBJECT
public:
    Soirees(ui::Shell& shell, QWidget* parent);

    QLabel* Etiquette1;
    QTreeWidget* ListeSoirees; // date, players, rounds
    QLabel* Etiquette2;
    QTreeWidget* Classement; // the chosen evening's ranking
    QDateEdit* SaisieDate;   // the chosen evening's date
    QPushButton* ChangerDate;
    QPushButton* Supprimer;
    QPushButton* Quitter;
    db::DataControl DataSoirees;

    bool Form_Load() override;

public slots:
    void ListeSoirees_Click();
    void ChangerDate_Click();
    void Supprimer_Click();
    void Quitter_Click();

private:
    // Reads the evenings again; false, the organiser told why, when the file fails.
    bool showEvenings();
    int chosenEvening() const;
};

} // namespace season
