#pragma once

#include "TableWindow.h"

#include "db/Deals.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTableWidget;

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

    // Beside, for a table entered deal by deal: its deals, and the one chosen to correct.
    QGroupBox* CadreDonnes;
    QTableWidget* Donnes;
    QComboBox* ChoixPreneur; // the players in seat order, then "Donne passée"
    QComboBox* ChoixContrat;
    QSpinBox* SaisieBouts;
    QLineEdit* SaisiePoints;
    QSpinBox* SaisieSimples;
    QSpinBox* SaisieDoubles;
    QSpinBox* SaisieTriples;
    QComboBox* ChoixPetit;
    QComboBox* ChoixChelem;
    QPushButton* CorrigerDonne;

    bool Form_Load() override;

public slots:
    void Valider_Click() override;
    void Supprimer_Click();
    void Annuler_Click() override;
    void Donnes_CurrentRowChanged(int row);
    void CorrigerDonne_Click();

private:
    void SaisieEquipe_KeyPress(char32_t& KeyAscii) override;
    // The tables of one round, or of every drawn round for round 0.
    void showMissing(int round);
    // The table's deals beside, when it has some; the panel hidden otherwise.
    void showDeals(const QString& code);

    QList<db::Deal> m_deals;
};

} // namespace results
