#include "Correction.h"

#include "StoredScores.h"
#include "common/Cause.h"
#include "db/DbError.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace results {
namespace {

using ui::place;
using ui::twips;

const QString kTitle = QStringLiteral("Correction des résultats");

} // namespace

Correction::Correction(ui::Shell& shell, QWidget* parent)
    : TableWindow(shell, parent, "Correction", kTitle) {
    // The results window's plan, a button wider, and the tables missing below.
    DerniereCorrection = label("DerniereCorrection", QString());
    DerniereCorrection->setWordWrap(true);
    place(DerniereCorrection, 360, 2160, 6120, 480);
    Supprimer = new QPushButton(QStringLiteral("&Supprimer"), BoiteBoutons);
    Supprimer->setObjectName(QStringLiteral("Supprimer"));
    BoiteBoutons->setFixedSize(twips(this, 5415), twips(this, 735));
    place(Supprimer, 1440, 240, 1215, 375);
    place(Annuler, 2760, 240, 1215, 375);
    place(Quitter, 4080, 240, 1215, 375);
    Supprimer->setEnabled(false);
    connect(Supprimer, &QPushButton::clicked, this, &Correction::Supprimer_Click);
    setTabOrder(Valider, Supprimer);
    setTabOrder(Supprimer, Annuler);

    EtiquetteManquantes =
        label("EtiquetteManquantes", QStringLiteral("Tables saisies et tables manquantes"));
    place(EtiquetteManquantes, 360, 3480, 6120, 300);
    Manquantes = new QPlainTextEdit(this);
    Manquantes->setObjectName(QStringLiteral("Manquantes"));
    Manquantes->setReadOnly(true);
    Manquantes->setFocusPolicy(Qt::NoFocus);
    place(Manquantes, 360, 3780, 6120, 1380);
    setFixedSize(twips(this, 6840), twips(this, 5400));
}

bool Correction::Form_Load() {
    BoiteBoutons->move((width() - BoiteBoutons->width()) / 2, twips(this, 2640));
    clearCaptions();
    showMissing(0);
    return true;
}

void Correction::showMissing(int round) {
    try {
        Manquantes->setPlainText(describe(roundTables(DataResultats, databasePath(), round)));
    } catch (const db::DbError& error) {
        Manquantes->setPlainText(
            QStringLiteral("Les tables n'ont pas pu être lues : %1").arg(common::cause(error)));
    }
}

void Correction::SaisieEquipe_KeyPress(char32_t& KeyAscii) {
    if (KeyAscii != ui::Saisie::kEnter)
        return;
    const StoredTable table =
        lookUpStoredTable(DataResultats, databasePath(), SaisieEquipe->text());
    if (table.refusal) {
        ui::MessageBox::critical(table.refusal->title, table.refusal->text);
        SaisieEquipe->setFocus();
        return;
    }
    showTable(table.players, table.scores);
    DerniereCorrection->setText(table.lastChange.isEmpty()
                                    ? QStringLiteral("Cette table n'a jamais été corrigée.")
                                    : table.lastChange);
    Valider->setEnabled(true);
    Supprimer->setEnabled(true);
    showMissing(SaisieEquipe->text().left(1).toInt());
}

void Correction::Valider_Click() {
    const QString code = SaisieEquipe->text();
    const std::optional<Refusal> refused = correctScores(DataResultats, databasePath(), code,
                                                         typedRows(), QDateTime::currentDateTime());
    if (refused) {
        refuse(*refused);
        return;
    }
    Annuler_Click();
    DerniereCorrection->setText(
        QStringLiteral("Les scores de la table %1 sont enregistrés.").arg(code));
    showMissing(code.left(1).toInt());
}

void Correction::Supprimer_Click() {
    const QString code = SaisieEquipe->text();
    const QString count = rows() > kSeats ? QStringLiteral("cinq") : QStringLiteral("quatre");
    if (ui::MessageBox::questionNoByDefault(
            kTitle, QStringLiteral("Supprimer les scores de la table %1 ?\n\nSes %2 scores "
                                   "seront effacés ; la table pourra être saisie de nouveau par "
                                   "le menu Fichier, Saisie des résultats.")
                        .arg(code, count)) != ui::MessageBox::Answer::Yes)
        return;
    const std::optional<Refusal> refused =
        deleteScores(DataResultats, databasePath(), code, QDateTime::currentDateTime());
    if (refused) {
        refuse(*refused);
        return;
    }
    Annuler_Click();
    DerniereCorrection->setText(QStringLiteral("Les scores de la table %1 sont supprimés : elle "
                                               "peut être saisie de nouveau.")
                                    .arg(code));
    showMissing(code.left(1).toInt());
}

void Correction::Annuler_Click() {
    TableWindow::Annuler_Click();
    DerniereCorrection->clear();
    Supprimer->setEnabled(false);
}

} // namespace results
