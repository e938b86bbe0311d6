#pragma once

#include "TableWindow.h"

class QPlainTextEdit;

namespace results {

// The correction window: a stored table is found by its code and shown with its scores, which
// can be corrected or deleted; below, the tables of each round still missing. It looks and
// answers the keys as the results window does.
class Correction : public TableWindow {
    Q_OBJECT
public:
    Correction(ui::Shell& shell, QWidget* parent);

    QLabel* DerniereCorrection; // the table's last correction, or what was just done
    QPushButton* Supprimer;
    QLabel* EtiquetteManquantes;
    QPlainTextEdit* Manquantes; // tables entered and still missing, round by round

    bool Form_Load() override;

public slots:
    void Valider_Click() override;
    void Supprimer_Click();
    void Annuler_Click() override;

private:
    void SaisieEquipe_KeyPress(char32_t& KeyAscii) override;
    // The tables of one round, or of every drawn round for round 0.
    void showMissing(int round);
};

} // namespace results
