#include "Resultats.h"

#include "Scores.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>

namespace results {
namespace {

using ui::place;
using ui::twips;

// Row n of the window: its score field, its player's number and name.
ui::Saisie* Resultats::*const kScore[] = {&Resultats::Score01, &Resultats::Score02,
                                          &Resultats::Score03, &Resultats::Score04};
QLabel* Resultats::*const kCode[] = {&Resultats::Code01, &Resultats::Code02, &Resultats::Code03,
                                     &Resultats::Code04};
QLabel* Resultats::*const kNom[] = {&Resultats::Nom01, &Resultats::Nom02, &Resultats::Nom03,
                                    &Resultats::Nom04};

} // namespace

Resultats::Resultats(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("Resultats"));
    setWindowTitle(QStringLiteral("Saisie des résultats"));

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
    place(Etiquette1, 360, 240, 615, 360); // on the field's line, as the rows' labels below
    SaisieEquipe = field("SaisieEquipe", 4);
    place(SaisieEquipe, 1080, 240, 615, 360);
    SaisieEquipe->setKeyHook([this](char32_t& key) { SaisieEquipe_KeyPress(key); });

    for (int n = 0; n < kSeats; ++n) {
        // A row: the score typed on the left, then whose score it is.
        const int top = 360 * n;
        const QByteArray row = QByteArray::number(n + 1).rightJustified(2, '0');
        this->*kScore[n] = field(("Score" + row).constData(), 5);
        place(this->*kScore[n], 720, 720 + top, 735, 360);
        (this->*kScore[n])->hide();
        // Where a field draws its text at its top, a label stands 120 twips lower to line up
        // with it; a Qt field centres its text, so the labels take the field's top and height
        // and centre theirs too.
        this->*kCode[n] = label(("Code" + row).constData(), QStringLiteral("Code"));
        place(this->*kCode[n], 1560, 720 + top, 375, 360);
        this->*kNom[n] = label(("Nom" + row).constData(), QStringLiteral("Nom"));
        place(this->*kNom[n], 2040, 720 + top, 2775, 360);
    }
    Score01->setNext(Score02);
    Score02->setNext(Score03);
    Score03->setNext(Score04);
    Score04->setKeyHook([this](char32_t& key) { Score04_KeyPress(key); });

    BoiteBoutons = new ui::BoiteBoutons(this);
    Valider = BoiteBoutons->Valider;
    Annuler = BoiteBoutons->Annuler;
    Quitter = BoiteBoutons->Quitter;
    delete BoiteBoutons->layout(); // the buttons stand where the frame's plan puts them
    BoiteBoutons->setFixedSize(twips(this, 4095), twips(this, 735));
    place(Valider, 120, 240, 1215, 375);
    place(Annuler, 1440, 240, 1215, 375);
    place(Quitter, 2760, 240, 1215, 375);
    Valider->setEnabled(false);
    connect(Valider, &QPushButton::clicked, this, &Resultats::Valider_Click);
    connect(Annuler, &QPushButton::clicked, this, &Resultats::Annuler_Click);
    connect(Quitter, &QPushButton::clicked, this, &Resultats::Quitter_Click);

    setFixedSize(twips(this, 5445), twips(this, 3240));
    setTabOrder(SaisieEquipe, Score01);
    setTabOrder(Score01, Score02);
    setTabOrder(Score02, Score03);
    setTabOrder(Score03, Score04);
    setTabOrder(Score04, Valider);
    setTabOrder(Valider, Annuler);
    setTabOrder(Annuler, Quitter);
    SaisieEquipe->setFocus();
}

bool Resultats::Form_Load() {
    BoiteBoutons->move((width() - BoiteBoutons->width()) / 2, twips(this, 2400));
    for (int n = 0; n < kSeats; ++n) {
        (this->*kCode[n])->clear();
        (this->*kNom[n])->clear();
    }
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
    for (int n = 0; n < table.players.size(); ++n) {
        (this->*kCode[n])->setText(QString::number(table.players[n].number));
        (this->*kNom[n])->setText(table.players[n].name);
    }
    SaisieEquipe->setEnabled(false);
    for (ui::Saisie* Resultats::*score : kScore)
        (this->*score)->show();
    Score01->setFocus();
}

void Resultats::Score04_KeyPress(char32_t& KeyAscii) {
    if (KeyAscii != ui::Saisie::kEnter)
        return;
    Valider->setEnabled(true);
    Valider->setFocus();
}

void Resultats::Valider_Click() {
    std::array<ScoreRow, kSeats> rows;
    for (int n = 0; n < kSeats; ++n)
        rows[n] = ScoreRow{(this->*kCode[n])->text(), (this->*kNom[n])->text(),
                           (this->*kScore[n])->text()};
    const std::optional<Refusal> refused =
        storeScores(DataResultats, databasePath(), SaisieEquipe->text(), rows);
    if (!refused) {
        Annuler_Click();
        return;
    }
    ui::MessageBox::critical(refused->title, refused->text);
    if (refused->scoresEmptied)
        for (ui::Saisie* Resultats::*score : kScore)
            (this->*score)->clear();
    if (refused->scoreRow > 0)
        (this->*kScore[refused->scoreRow - 1])->setFocus();
}

void Resultats::Annuler_Click() {
    for (int n = 0; n < kSeats; ++n) {
        (this->*kCode[n])->clear();
        (this->*kNom[n])->clear();
    }
    for (ui::Saisie* Resultats::*score : kScore) {
        (this->*score)->clear();
        (this->*score)->hide();
    }
    Valider->setEnabled(false);
    SaisieEquipe->setEnabled(true);
    SaisieEquipe->clear();
    SaisieEquipe->setFocus();
}

void Resultats::Quitter_Click() {
    close(); // the card picture comes back as the window closes
}

} // namespace results
