#include "Soirees.h"

#include "common/Cause.h"
#include "common/RankingRows.h"
#include "db/DbError.h"
#include "db/Season.h"
#include "ui/MessageBox.h"

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

const QString kTitle = QStringLiteral("Soirées de la saison");

QTreeWidget* list(QWidget* parent, const char* name) {
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setAllColumnsShowFocus(true);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return tree;
}

QString day(const QDate& date) {
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace

Soirees::Soirees(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("Soirees"));
    setWindowTitle(kTitle);
    Etiquette1 = label("Etiquette1", QStringLiteral("Soirées gardées à chaque réinitialisation :"));
    ListeSoirees = list(this, "ListeSoirees");
    ListeSoirees->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("Joueurs"), QStringLiteral("Manches")});
    ListeSoirees->setMinimumSize(300, 160);
    Etiquette2 = label("Etiquette2", QStringLiteral("Classement de la soirée choisie :"));
    Classement = list(this, "Classement");
    Classement->setMinimumSize(520, 240);
    SaisieDate = new QDateEdit(this);
    SaisieDate->setObjectName(QStringLiteral("SaisieDate"));
    SaisieDate->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    SaisieDate->setCalendarPopup(true);
    ChangerDate = new QPushButton(QStringLiteral("Changer la &date"), this);
    ChangerDate->setObjectName(QStringLiteral("ChangerDate"));
    Supprimer = new QPushButton(QStringLiteral("&Supprimer la soirée"), this);
    Supprimer->setObjectName(QStringLiteral("Supprimer"));
    Quitter = new QPushButton(QStringLiteral("&Quitter"), this);
    Quitter->setObjectName(QStringLiteral("Quitter"));

    connect(ListeSoirees, &QTreeWidget::itemSelectionChanged, this, &Soirees::ListeSoirees_Click);
    connect(ChangerDate, &QPushButton::clicked, this, &Soirees::ChangerDate_Click);
    connect(Supprimer, &QPushButton::clicked, this, &Soirees::Supprimer_Click);
    connect(Quitter, &QPushButton::clicked, this, &Soirees::Quitter_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Etiquette1);
    layout->addWidget(ListeSoirees);
    layout->addWidget(Etiquette2);
    layout->addWidget(Classement);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SaisieDate);
    buttons->addWidget(ChangerDate);
    buttons->addWidget(Supprimer);
    buttons->addStretch();
    buttons->addWidget(Quitter);
    layout->addLayout(buttons);
}

bool Soirees::Form_Load() {
    return showEvenings();
}

bool Soirees::showEvenings() {
    const auto closed = qScopeGuard([this] { DataSoirees.Database().Close(); });
    QList<db::Evening> kept;
    try {
        DataSoirees.DatabaseName = databasePath();
        kept = db::evenings(DataSoirees.Database().connection());
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(
            kTitle,
            QStringLiteral("Les soirées n'ont pas pu être lues : %1").arg(common::cause(error)));
        return false;
    }
    ListeSoirees->clear();
    Classement->clear();
    Classement->setHeaderLabels({});
    for (const db::Evening& evening : std::as_const(kept)) {
        auto* item =
            new QTreeWidgetItem(ListeSoirees, {day(evening.date), QString::number(evening.players),
                                               QString::number(evening.rounds.size())});
        item->setData(0, Qt::UserRole, evening.number);
    }
    Supprimer->setEnabled(!kept.isEmpty());
    ChangerDate->setEnabled(!kept.isEmpty());
    SaisieDate->setEnabled(!kept.isEmpty());
    if (kept.isEmpty())
        Etiquette1->setText(QStringLiteral("Aucune soirée n'est encore gardée : chaque "
                                           "réinitialisation de la base garde la sienne."));
    else
        ListeSoirees->setCurrentItem(ListeSoirees->topLevelItem(0));
    return true;
}

int Soirees::chosenEvening() const {
    const QTreeWidgetItem* item = ListeSoirees->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

void Soirees::ListeSoirees_Click() {
    Classement->clear();
    const int evening = chosenEvening();
    if (!evening)
        return;
    SaisieDate->setDate(
        QDate::fromString(ListeSoirees->currentItem()->text(0), QStringLiteral("dd/MM/yyyy")));
    const auto closed = qScopeGuard([this] { DataSoirees.Database().Close(); });
    std::optional<db::Standings> standings;
    try {
        DataSoirees.DatabaseName = databasePath();
        standings = db::eveningStandings(DataSoirees.Database().connection(), evening);
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(
            kTitle, QStringLiteral("La soirée n'a pas pu être lue : %1").arg(common::cause(error)));
        return;
    }
    if (!standings)
        return;
    Classement->setHeaderLabels(common::rankingHeadings(standings->rounds));
    for (const QStringList& line : common::rankingLines(*standings)) {
        auto* item = new QTreeWidgetItem(Classement, line);
        for (int c = 0; c < line.size(); ++c)
            if (c != 2 && c != 3)
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void Soirees::Supprimer_Click() {
    const QTreeWidgetItem* item = ListeSoirees->currentItem();
    if (!item) {
        ui::MessageBox::information(kTitle,
                                    QStringLiteral("Choisissez d'abord une soirée dans la liste."));
        return;
    }
    const int evening = item->data(0, Qt::UserRole).toInt();
    if (ui::MessageBox::questionNoByDefault(
            kTitle, QStringLiteral("Supprimer la soirée du %1 (%2 joueurs) de la saison ?\n\nSon "
                                   "classement ne comptera plus dans celui de la saison.")
                        .arg(item->text(0), item->text(1))) != ui::MessageBox::Answer::Yes)
        return;
    std::optional<QString> refused;
    try {
        DataSoirees.DatabaseName = databasePath();
        refused = db::removeEvening(DataSoirees.Database().connection(), evening,
                                    QDateTime::currentDateTime());
    } catch (const db::DbError& error) {
        refused = QStringLiteral("La soirée n'a pas pu être supprimée : %1\n\nElle reste dans la "
                                 "saison.")
                      .arg(common::cause(error));
    }
    DataSoirees.Database().Close();
    if (refused)
        ui::MessageBox::critical(kTitle, *refused);
    showEvenings();
}

void Soirees::ChangerDate_Click() {
    const int evening = chosenEvening();
    if (!evening) {
        ui::MessageBox::information(kTitle,
                                    QStringLiteral("Choisissez d'abord une soirée dans la liste."));
        return;
    }
    std::optional<QString> refused;
    try {
        DataSoirees.DatabaseName = databasePath();
        refused = db::redateEvening(DataSoirees.Database().connection(), evening,
                                    SaisieDate->date(), QDateTime::currentDateTime());
    } catch (const db::DbError& error) {
        refused = QStringLiteral("La date n'a pas pu être changée : %1\n\nLa soirée garde la "
                                 "sienne.")
                      .arg(common::cause(error));
    }
    DataSoirees.Database().Close();
    if (refused)
        ui::MessageBox::critical(kTitle, *refused);
    showEvenings();
    // The evening stays chosen, wherever its new date puts it.
    for (int i = 0; i < ListeSoirees->topLevelItemCount(); ++i)
        if (ListeSoirees->topLevelItem(i)->data(0, Qt::UserRole).toInt() == evening)
            ListeSoirees->setCurrentItem(ListeSoirees->topLevelItem(i));
}

void Soirees::Quitter_Click() {
    close();
}

} // namespace season
