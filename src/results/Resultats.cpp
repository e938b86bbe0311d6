#include "Resultats.h"

#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"
#include "ui/Twips.h"

namespace results {

Resultats::Resultats(ui::Shell& shell, QWidget* parent)
    : TableWindow(shell, parent, "Resultats", QStringLiteral("Saisie des résultats")) {
    setFixedSize(ui::twips(this, 5445), ui::twips(this, 3240));
}

bool Resultats::Form_Load() {
    BoiteBoutons->move((width() - BoiteBoutons->width()) / 2, ui::twips(this, 2400));
    clearCaptions();
    return true;
}

void Resultats::SaisieEquipe_KeyPress(char32_t& KeyAscii) {
    if (KeyAscii != ui::Saisie::kEnter)
        return;
    const Table table = lookUpTable(DataResultats, databasePath(), SaisieEquipe->text());
    if (table.refusal) {
        ui::MessageBox::critical(table.refusal->title, table.refusal->text);
        SaisieEquipe->setFocus();
        return;
    }
    showTable(table.players);
}

void Resultats::Valider_Click() {
    const std::optional<Refusal> refused =
        storeScores(DataResultats, databasePath(), SaisieEquipe->text(), typedRows());
    if (refused)
        refuse(*refused);
    else
        Annuler_Click();
}

} // namespace results
