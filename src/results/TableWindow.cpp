#include "TableWindow.h"

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
ui::Saisie* TableWindow::*const kScore[] = {&TableWindow::Score01, &TableWindow::Score02,
                                            &TableWindow::Score03, &TableWindow::Score04,
                                            &TableWindow::Score05};
QLabel* TableWindow::*const kCode[] = {&TableWindow::Code01, &TableWindow::Code02,
                                       &TableWindow::Code03, &TableWindow::Code04,
                                       &TableWindow::Code05};
QLabel* TableWindow::*const kNom[] = {&TableWindow::Nom01, &TableWindow::Nom02, &TableWindow::Nom03,
                                      &TableWindow::Nom04, &TableWindow::Nom05};
static_assert(std::size(kScore) == kMaxSeats);

// A row's height: what the window grows by for a table of five.
constexpr int kRowTwips = 360;

} // namespace

TableWindow::TableWindow(ui::Shell& shell, QWidget* parent, const char* name, const QString& title)
    : CommandWindow(shell, parent) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);

    QFont typed(QStringLiteral("Arial"));
    typed.setPointSizeF(9.75);
    typed.setBold(true);
    const auto field = [this, &typed](const char* fieldName, int maxLength) {
        auto* f = new ui::Saisie(this);
        f->setObjectName(QString::fromLatin1(fieldName));
        f->setMaxLength(maxLength);
        f->setFont(typed);
        return f;
    };
    Etiquette1 = label("Etiquette1", QStringLiteral("Equipe"));
    place(Etiquette1, 360, 240, 615, 360); // on the field's line, as the rows' labels below
    SaisieEquipe = field("SaisieEquipe", 4);
    place(SaisieEquipe, 1080, 240, 615, 360);
    SaisieEquipe->setKeyHook([this](char32_t& key) { SaisieEquipe_KeyPress(key); });

    for (int n = 0; n < kMaxSeats; ++n) {
        // A row: the score typed on the left, then whose score it is.
        const int top = kRowTwips * n;
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
    Score05->setKeyHook([this](char32_t& key) { Score05_KeyPress(key); });
    // The fifth row stands where the buttons stand until a table of five moves them down.
    Code05->hide();
    Nom05->hide();

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
    connect(Valider, &QPushButton::clicked, this, &TableWindow::Valider_Click);
    connect(Annuler, &QPushButton::clicked, this, &TableWindow::Annuler_Click);
    connect(Quitter, &QPushButton::clicked, this, &TableWindow::Quitter_Click);

    setTabOrder(SaisieEquipe, Score01);
    setTabOrder(Score01, Score02);
    setTabOrder(Score02, Score03);
    setTabOrder(Score03, Score04);
    setTabOrder(Score04, Score05);
    setTabOrder(Score05, Valider);
    setTabOrder(Valider, Annuler);
    setTabOrder(Annuler, Quitter);
    SaisieEquipe->setFocus();
}

void TableWindow::setRows(int count) {
    const int shift = twips(this, kRowTwips) * ((count > kSeats) - (m_rows > kSeats));
    m_rows = count;
    Code05->setVisible(count > kSeats);
    Nom05->setVisible(count > kSeats);
    if (shift == 0)
        return;
    const int fifthRow = Score05->y();
    for (QWidget* below : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (below != Score05 && below != Code05 && below != Nom05 && below->y() >= fifthRow)
            below->move(below->x(), below->y() + shift);
    setFixedSize(width(), height() + shift);
}

void TableWindow::showTable(const QList<Player>& players, const QStringList& scores) {
    setRows(players.size() > kSeats ? kMaxSeats : kSeats);
    for (int n = 0; n < players.size() && n < m_rows; ++n) {
        (this->*kCode[n])->setText(QString::number(players[n].number));
        (this->*kNom[n])->setText(players[n].name);
        (this->*kScore[n])->setText(scores.value(n));
    }
    SaisieEquipe->setEnabled(false);
    for (int n = 0; n < m_rows; ++n)
        (this->*kScore[n])->show();
    Score01->setFocus();
}

QList<ScoreRow> TableWindow::typedRows() const {
    QList<ScoreRow> rows;
    for (int n = 0; n < m_rows; ++n)
        rows.append(ScoreRow{(this->*kCode[n])->text(), (this->*kNom[n])->text(),
                             (this->*kScore[n])->text()});
    return rows;
}

void TableWindow::clearCaptions() {
    for (int n = 0; n < kMaxSeats; ++n) {
        (this->*kCode[n])->clear();
        (this->*kNom[n])->clear();
    }
}

void TableWindow::refuse(const Refusal& refusal) {
    ui::MessageBox::critical(refusal.title, refusal.text);
    if (refusal.scoresEmptied)
        for (ui::Saisie* TableWindow::*score : kScore)
            (this->*score)->clear();
    if (refusal.scoreRow > 0 && refusal.scoreRow <= m_rows)
        (this->*kScore[refusal.scoreRow - 1])->setFocus();
}

void TableWindow::Score04_KeyPress(char32_t& KeyAscii) {
    if (KeyAscii != ui::Saisie::kEnter)
        return;
    // At a table of five the fifth score comes first.
    if (m_rows > kSeats) {
        Score05->setFocus();
        return;
    }
    Valider->setEnabled(true);
    Valider->setFocus();
}

void TableWindow::Score05_KeyPress(char32_t& KeyAscii) {
    if (KeyAscii != ui::Saisie::kEnter)
        return;
    Valider->setEnabled(true);
    Valider->setFocus();
}

void TableWindow::Annuler_Click() {
    clearCaptions();
    for (ui::Saisie* TableWindow::*score : kScore) {
        (this->*score)->clear();
        (this->*score)->hide();
    }
    setRows(kSeats);
    Valider->setEnabled(false);
    SaisieEquipe->setEnabled(true);
    SaisieEquipe->clear();
    SaisieEquipe->setFocus();
}

void TableWindow::Quitter_Click() {
    close(); // the card picture comes back as the window closes
}

} // namespace results
