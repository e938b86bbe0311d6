#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;

namespace ui {
class BoiteBoutons;
class Saisie;
} // namespace ui

namespace registration {

// The registration window: the players are entered one after the other, by surname and first
// name, each under the next number. The counter shown is also where that number comes from.
// Below, the players registered: one can be chosen to correct his names, or removed while the
// tables are not drawn.
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
    QLabel* EtiquetteListe;
    QTreeWidget* ListeInscrits; // number, surname, first name
    QPushButton* Corriger;
    QPushButton* Retirer;
    QLabel* EtiquetteCorrection; // whose names the fields hold, while they are corrected
    // The club's known players whose surname begins as typed, under the surname field; hidden
    // while none is known.
    QListWidget* Suggestions;
    db::DataControl DataInscriptions;

    bool Form_Load() override;

public slots:
    void Valider_Click();
    void Annuler_Click();
    void Quitter_Click();
    void Corriger_Click();
    void Retirer_Click();
    void SaisieNom_Change();
    void Suggestions_Click(QListWidgetItem* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Back to registering: no player's names in the fields.
    void endCorrection();
    void correctPlayer();
    // Whether the names typed may go to a second player: none registered holds them (but the
    // player numbered `except`), or the organiser said so. Throws db::DbError.
    bool secondTimeAgreed(int except);
    void SaisieNom_KeyPress(char32_t& KeyAscii);
    void SaisiePrenom_KeyPress(char32_t& KeyAscii);

    void hideSuggestions();

    int m_correcting = 0; // the number of the player whose names are corrected, 0 for none
};

} // namespace registration
