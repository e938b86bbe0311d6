#pragma once

#include "Scores.h"
#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QPushButton;

namespace ui {
class BoiteBoutons;
class Saisie;
} // namespace ui

namespace results {

// What the results window and the correction window share: a table found by its code, then
// its players in seat order with a score field each, laid out in twips; Enter walks the fields
// down to "Valider". A table of five takes a fifth row, which the window grows to hold while it
// is shown. The window starts in code entry; a table shown puts it in score entry until it is
// stored or "&Annuler" is pressed.
class TableWindow : public ui::CommandWindow {
    Q_OBJECT
public:
    QLabel* Etiquette1;
    ui::Saisie* SaisieEquipe;
    ui::Saisie* Score01;
    ui::Saisie* Score02;
    ui::Saisie* Score03;
    ui::Saisie* Score04;
    ui::Saisie* Score05;
    QLabel* Code01;
    QLabel* Code02;
    QLabel* Code03;
    QLabel* Code04;
    QLabel* Code05;
    QLabel* Nom01;
    QLabel* Nom02;
    QLabel* Nom03;
    QLabel* Nom04;
    QLabel* Nom05;
    ui::BoiteBoutons* BoiteBoutons;
    QPushButton* Valider;
    QPushButton* Annuler;
    QPushButton* Quitter;
    db::DataControl DataResultats;

public slots:
    virtual void Valider_Click() = 0;
    // Back to code entry: rows, scores and code emptied, the score fields hidden.
    virtual void Annuler_Click();
    void Quitter_Click();

protected:
    // name: the window's object name; title: its caption.
    TableWindow(ui::Shell& shell, QWidget* parent, const char* name, const QString& title);

    // The table's players in rows 1 to 4, or 1 to 5 at a table of five, their scores (none:
    // empty fields) shown beside them, the code kept but closed, the focus on the first score.
    void showTable(const QList<Player>& players, const QStringList& scores = {});
    // The rows of the table shown: number, name and the score typed.
    QList<ScoreRow> typedRows() const;
    // Rows of the table shown: 4, or 5 at a table of five.
    int rows() const { return m_rows; }
    // The row captions emptied, the fifth one's too.
    void clearCaptions();
    // A refusal told, and the focus where the organiser goes on.
    void refuse(const Refusal& refusal);
    // Enter in the code field: the window's lookup.
    virtual void SaisieEquipe_KeyPress(char32_t& KeyAscii) = 0;

private:
    void Score04_KeyPress(char32_t& KeyAscii);
    void Score05_KeyPress(char32_t& KeyAscii);
    // Four rows, or five: the fifth row shown or hidden, and what stands below the rows moved
    // down or back with the window's bottom.
    void setRows(int count);

    int m_rows = kSeats;
};

} // namespace results
