#include "ClassementSaison.h"

#include "common/Cause.h"
#include "common/RankingRows.h"
#include "db/DbError.h"
#include "db/Season.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace season {
namespace {

const QString kTitle = QStringLiteral("Classement de la saison");

QDateEdit* dateBox(QWidget* parent, const char* name, const QDate& date) {
    auto* box = new QDateEdit(date, parent);
    box->setObjectName(QLatin1String(name));
    box->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    box->setCalendarPopup(true);
    return box;
}

} // namespace

ClassementSaison::ClassementSaison(ui::Shell& shell, QWidget* parent, const QDate& today)
    : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("ClassementSaison"));
    setWindowTitle(kTitle);
    Etiquette1 = label("Etiquette1", QStringLiteral("Du"));
    SaisieDu = dateBox(this, "SaisieDu", db::seasonStart(today));
    Etiquette2 = label("Etiquette2", QStringLiteral("au"));
    SaisieAu = dateBox(this, "SaisieAu", today);
    Bilan = label("Bilan", QString());
    Classement = new QTreeWidget(this);
    Classement->setObjectName(QStringLiteral("Classement"));
    Classement->setHeaderLabels(common::seasonHeadings());
    Classement->setRootIsDecorated(false);
    Classement->setUniformRowHeights(true);
    Classement->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Classement->setMinimumSize(560, 320);
    Imprimer = new QPushButton(QStringLiteral("&Imprimer"), this);
    Imprimer->setObjectName(QStringLiteral("Imprimer"));
    Exporter = new QPushButton(QStringLiteral("&Exporter"), this);
    Exporter->setObjectName(QStringLiteral("Exporter"));
    Quitter = new QPushButton(QStringLiteral("&Quitter"), this);
    Quitter->setObjectName(QStringLiteral("Quitter"));
    connect(SaisieDu, &QDateEdit::dateChanged, this, &ClassementSaison::Periode_Change);
    connect(SaisieAu, &QDateEdit::dateChanged, this, &ClassementSaison::Periode_Change);
    connect(Imprimer, &QPushButton::clicked, this, &ClassementSaison::Imprimer_Click);
    connect(Exporter, &QPushButton::clicked, this, &ClassementSaison::Exporter_Click);
    connect(Quitter, &QPushButton::clicked, this, &ClassementSaison::Quitter_Click);

    auto* layout = new QVBoxLayout(this);
    auto* period = new QHBoxLayout;
    period->addWidget(Etiquette1);
    period->addWidget(SaisieDu);
    period->addWidget(Etiquette2);
    period->addWidget(SaisieAu);
    period->addStretch();
    layout->addLayout(period);
    layout->addWidget(Bilan);
    layout->addWidget(Classement);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Imprimer);
    buttons->addWidget(Exporter);
    buttons->addStretch();
    buttons->addWidget(Quitter);
    layout->addLayout(buttons);
}

bool ClassementSaison::Form_Load() {
    return showRanking();
}

void ClassementSaison::Periode_Change() {
    showRanking();
}

bool ClassementSaison::periodValid() {
    if (SaisieDu->date() <= SaisieAu->date())
        return true;
    ui::MessageBox::critical(QStringLiteral("Erreur de saisie"),
                             QStringLiteral("La période doit commencer avant sa fin !!!"));
    SaisieDu->setFocus();
    return false;
}

bool ClassementSaison::showRanking() {
    Classement->clear();
    if (SaisieDu->date() > SaisieAu->date()) {
        Bilan->setText(QStringLiteral("La période commence après sa fin."));
        return true;
    }
    const auto closed = qScopeGuard([this] { DataSaison.Database().Close(); });
    db::SeasonStandings season;
    try {
        DataSaison.DatabaseName = databasePath();
        season = db::seasonStandings(DataSaison.Database().connection(), SaisieDu->date(),
                                     SaisieAu->date());
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(
            kTitle,
            QStringLiteral("Les soirées n'ont pas pu être lues : %1").arg(common::cause(error)));
        return false;
    }
    Bilan->setText(season.evenings == 0
                       ? QStringLiteral("Aucune soirée gardée sur cette période.")
                       : QStringLiteral("%1 soirée%2, %3 joueurs classés.")
                             .arg(season.evenings)
                             .arg(season.evenings > 1 ? QStringLiteral("s") : QString())
                             .arg(season.rows.size()));
    for (const QStringList& line : common::seasonLines(season)) {
        auto* item = new QTreeWidgetItem(Classement, line);
        for (int c = 0; c < line.size(); ++c)
            if (c != 1 && c != 2)
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    return true;
}

void ClassementSaison::Imprimer_Click() {
    if (periodValid())
        shell().printSeasonRanking(SaisieDu->date(), SaisieAu->date());
}

void ClassementSaison::Exporter_Click() {
    if (periodValid())
        shell().exportSeasonRanking(SaisieDu->date(), SaisieAu->date());
}

void ClassementSaison::Quitter_Click() {
    close();
}

} // namespace season
