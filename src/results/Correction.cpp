#include "Correction.h"

#include "StoredScores.h"
#include "db/DbError.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>

namespace results {
namespace {

using ui::place;
using ui::twips;

const QString kTitle = QStringLiteral("Correction des résultats");

ui::Saisie* Correction::*const kScore[] = {&Correction::Score01, &Correction::Score02,
                                           &Correction::Score03, &Correction::Score04};
QLabel* Correction::*const kCode[] = {&Correction::Code01, &Correction::Code02, &Correction::Code03,
                                      &Correction::Code04};
QLabel* Correction::*const kNom[] = {&Correction::Nom01, &Correction::Nom02, &Correction::Nom03,
                                     &Correction::Nom04};

} // namespace

Correction::Correction(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("Correction"));
    setWindowTitle(kTitle);

    // The results window's plan, a button wider, and the tables missing below.
    QFont typed(QStringLiteral("Arial"));
    typed.setPointSizeF(9.75);
    typed.setBold(true);
    const auto field = [this, &typed](const char* name, int maxLength) {
        auto* f = new ui::Saisie(this);
        f->setObjectName(QString::fromLatin1(name));
        f->setMaxLength(maxLength);
        f->setFont(typed);
        return f;
    };
    Etiquette1 = label("Etiquette1", QStringLiteral("Equipe"));
    place(Etiquette1, 360, 240, 615, 360);
    SaisieEquipe = field("SaisieEquipe", 4);
    place(SaisieEquipe, 1080, 240, 615, 360);
    SaisieEquipe->setKeyHook([this](char32_t& key) { SaisieEquipe_KeyPress(key); });
    for (int n = 0; n < kSeats; ++n) {
        const int top = 360 * n;
        const QByteArray row = QByteArray::number(n + 1).rightJustified(2, '0');
        this->*kScore[n] = field(("Score" + row).constData(), 5);
        place(this->*kScore[n], 720, 720 + top, 735, 360);
        (this->*kScore[n])->hide();
        this->*kCode[n] = label(("Code" + row).constData(), QString());
        place(this->*kCode[n], 1560, 720 + top, 375, 360);
        this->*kNom[n] = label(("Nom" + row).constData(), QString());
        place(this->*kNom[n], 2040, 720 + top, 2775, 360);
    }
    Score01->setNext(Score02);
    Score02->setNext(Score03);
    Score03->setNext(Score04);
    Score04->setKeyHook([this](char32_t& key) { Score04_KeyPress(key); });
    DerniereCorrection = label("DerniereCorrection", QString());
    DerniereCorrection->setWordWrap(true);
    place(DerniereCorrection, 360, 2160, 6120, 480);

    BoiteBoutons = new ui::BoiteBoutons(this);
    Valider = BoiteBoutons->Valider;
    Annuler = BoiteBoutons->Annuler;
    Quitter = BoiteBoutons->Quitter;
    Supprimer = new QPushButton(QStringLiteral("&Supprimer"), BoiteBoutons);
    Supprimer->setObjectName(QStringLiteral("Supprimer"));
    delete BoiteBoutons->layout(); // the buttons stand where the frame's plan puts them
    BoiteBoutons->setFixedSize(twips(this, 5415), twips(this, 735));
    place(Valider, 120, 240, 1215, 375);
    place(Supprimer, 1440, 240, 1215, 375);
    place(Annuler, 2760, 240, 1215, 375);
    place(Quitter, 4080, 240, 1215, 375);
    Valider->setEnabled(false);
    Supprimer->setEnabled(false);
    connect(Valider, &QPushButton::clicked, this, &Correction::Valider_Click);
    connect(Supprimer, &QPushButton::clicked, this, &Correction::Supprimer_Click);
    connect(Annuler, &QPushButton::clicked, this, &Correction::Annuler_Click);
    connect(Quitter, &QPushButton::clicked, this, &Correction::Quitter_Click);

    EtiquetteManquantes = label("EtiquetteManquantes", QStringLiteral("Tables saisies et tables "
                                                                      "manquantes"));
    place(EtiquetteManquantes, 360, 3480, 6120, 300);
    Manquantes = new QPlainTextEdit(this);
    Manquantes->setObjectName(QStringLiteral("Manquantes"));
    Manquantes->setReadOnly(true);
    Manquantes->setFocusPolicy(Qt::NoFocus);
    place(Manquantes, 360, 3780, 6120, 1380);

    setFixedSize(twips(this, 6840), twips(this, 5400));
    setTabOrder(SaisieEquipe, Score01);
    setTabOrder(Score01, Score02);
    setTabOrder(Score02, Score03);
    setTabOrder(Score03, Score04);
    setTabOrder(Score04, Valider);
    setTabOrder(Valider, Supprimer);
    setTabOrder(Supprimer, Annuler);
    setTabOrder(Annuler, Quitter);
    SaisieEquipe->setFocus();
}

bool Correction::Form_Load() {
    BoiteBoutons->move((width() - BoiteBoutons->width()) / 2, twips(this, 2640));
    showMissing(0);
    return true;
}

void Correction::showMissing(int round) {
    try {
        Manquantes->setPlainText(describe(roundTables(DataResultats, databasePath(), round)));
    } catch (const db::DbError& error) {
        Manquantes->setPlainText(
            QStringLiteral("Les tables n'ont pas pu être lues : %1").arg(error.message()));
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
    for (int n = 0; n < kSeats; ++n) {
        (this->*kCode[n])->setText(QString::number(table.players[n].number));
        (this->*kNom[n])->setText(table.players[n].name);
        (this->*kScore[n])->setText(table.scores[n]);
    }
    DerniereCorrection->setText(table.lastChange.isEmpty()
                                    ? QStringLiteral("Cette table n'a jamais été corrigée.")
                                    : table.lastChange);
    SaisieEquipe->setEnabled(false);
    for (ui::Saisie* Correction::*score : kScore)
        (this->*score)->show();
    Valider->setEnabled(true);
    Supprimer->setEnabled(true);
    Score01->setFocus();
    showMissing(SaisieEquipe->text().left(1).toInt());
}

void Correction::Score04_KeyPress(char32_t& KeyAscii) {
    if (KeyAscii != ui::Saisie::kEnter)
        return;
    Valider->setEnabled(true);
    Valider->setFocus();
}

void Correction::Valider_Click() {
    std::array<ScoreRow, kSeats> rows;
    for (int n = 0; n < kSeats; ++n)
        rows[n] = ScoreRow{(this->*kCode[n])->text(), (this->*kNom[n])->text(),
                           (this->*kScore[n])->text()};
    const QString code = SaisieEquipe->text();
    const std::optional<Refusal> refused =
        correctScores(DataResultats, databasePath(), code, rows, QDateTime::currentDateTime());
    if (!refused) {
        Annuler_Click();
        DerniereCorrection->setText(
            QStringLiteral("Les scores de la table %1 sont enregistrés.").arg(code));
        showMissing(code.left(1).toInt());
        return;
    }
    ui::MessageBox::critical(refused->title, refused->text);
    if (refused->scoresEmptied)
        for (ui::Saisie* Correction::*score : kScore)
            (this->*score)->clear();
    if (refused->scoreRow > 0)
        (this->*kScore[refused->scoreRow - 1])->setFocus();
}

void Correction::Supprimer_Click() {
    const QString code = SaisieEquipe->text();
    if (ui::MessageBox::questionNoByDefault(
            kTitle, QStringLiteral("Supprimer les scores de la table %1 ?\n\nSes quatre scores "
                                   "seront effacés ; la table pourra être saisie de nouveau par "
                                   "le menu Fichier, Saisie des résultats.")
                        .arg(code)) != ui::MessageBox::Answer::Yes)
        return;
    const std::optional<Refusal> refused =
        deleteScores(DataResultats, databasePath(), code, QDateTime::currentDateTime());
    if (refused) {
        ui::MessageBox::critical(refused->title, refused->text);
        return;
    }
    Annuler_Click();
    DerniereCorrection->setText(
        QStringLiteral("Les scores de la table %1 sont supprimés : elle peut être saisie de "
                       "nouveau.")
            .arg(code));
    showMissing(code.left(1).toInt());
}

void Correction::Annuler_Click() {
    for (int n = 0; n < kSeats; ++n) {
        (this->*kCode[n])->clear();
        (this->*kNom[n])->clear();
    }
    for (ui::Saisie* Correction::*score : kScore) {
        (this->*score)->clear();
        (this->*score)->hide();
    }
    DerniereCorrection->clear();
    Valider->setEnabled(false);
    Supprimer->setEnabled(false);
    SaisieEquipe->setEnabled(true);
    SaisieEquipe->clear();
    SaisieEquipe->setFocus();
}

void Correction::Quitter_Click() {
    close(); // the card picture comes back as the window closes
}

} // namespace results
