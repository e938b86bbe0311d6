#pragma once

#include "db/DataControl.h"
#include "ui/CommandWindow.h"

#include <QDate>

class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace season {

// The season's ranking for a period (from the 1st of September by default): shown, printed on
// the print surface and exported like the evening's ranking.
class ClassementSaison : public ui::CommandWindow {
    Q_OBJECT
public:
    // `today` sets the default period: from the start of its season to that day.
    ClassementSaison(ui::Shell& shell, QWidget* parent, const QDate& today = QDate::currentDate());

    QLabel* Etiquette1;
    QDateEdit* SaisieDu;
    QLabel* Etiquette2;
    QDateEdit* SaisieAu;
    QLabel* Bilan; // the evenings of the period
    QTreeWidget* Classement;
    QPushButton* Imprimer;
    QPushButton* Exporter;
    QPushButton* Quitter;
    db::DataControl DataSaison;

    bool Form_Load() override;

public slots:
    void Periode_Change();
    void Imprimer_Click();
    void Exporter_Click();
    void Quitter_Click();

private:
    bool showRanking();
    // The period typed, or none (the organiser told) when it ends before it starts.
    bool periodValid();
};

} // namespace season
