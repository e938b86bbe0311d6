#include "Restauration.h"

#include "Restore.h"

#include "common/Cause.h"
#include "db/Backup.h"
#include "db/DbError.h"
#include "ui/BackupFirst.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace backup {
namespace {

const QString kTitle = QStringLiteral("Restaurer une sauvegarde");

QString shownDate(const QDateTime& when) {
    return when.toString(QStringLiteral("dd/MM/yyyy 'à' HH:mm:ss"));
}

} // namespace

Restauration::Restauration(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("Restauration"));
    setWindowTitle(kTitle);

    Etiquette1 =
        label("Etiquette1", QStringLiteral("Copies du tournoi, la plus récente en tête :"));
    ListeSauvegardes = new QTreeWidget(this);
    ListeSauvegardes->setObjectName(QStringLiteral("ListeSauvegardes"));
    ListeSauvegardes->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Motif"),
                                       QStringLiteral("Joueurs"), QStringLiteral("Manches tirées"),
                                       QStringLiteral("Scores")});
    ListeSauvegardes->setRootIsDecorated(false);
    ListeSauvegardes->setUniformRowHeights(true);
    ListeSauvegardes->setAllColumnsShowFocus(true);
    ListeSauvegardes->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListeSauvegardes->setMinimumSize(620, 300);
    Dossier = label("Dossier", QString());
    Dossier->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Nothing to type, so nothing to empty: no "&Annuler".
    BoiteBoutons = new ui::BoiteBoutons(this);
    delete BoiteBoutons->Annuler;
    BoiteBoutons->Annuler = nullptr;
    Restaurer = BoiteBoutons->Valider;
    Restaurer->setObjectName(QStringLiteral("Restaurer"));
    Restaurer->setText(QStringLiteral("&Restaurer"));
    BoiteBoutons->Valider = nullptr;
    Quitter = BoiteBoutons->Quitter;
    connect(Restaurer, &QPushButton::clicked, this, &Restauration::Restaurer_Click);
    connect(Quitter, &QPushButton::clicked, this, &Restauration::Quitter_Click);
    connect(ListeSauvegardes, &QTreeWidget::itemDoubleClicked, this,
            &Restauration::Restaurer_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Etiquette1);
    layout->addWidget(ListeSauvegardes);
    layout->addWidget(Dossier);
    layout->addWidget(BoiteBoutons, 0, Qt::AlignHCenter);
}

bool Restauration::Form_Load() {
    fillList();
    return true;
}

void Restauration::fillList() {
    const QString folder = db::backupFolder(shell().programDirectory());
    Dossier->setText(QStringLiteral("Dossier : %1").arg(QDir::toNativeSeparators(folder)));
    ListeSauvegardes->clear();
    for (const db::BackupCopy& copy : db::listBackups(folder)) {
        auto* item = new QTreeWidgetItem(ListeSauvegardes);
        item->setText(0, shownDate(copy.when));
        item->setText(1, copy.reason);
        item->setData(0, Qt::UserRole, copy.path);
        item->setToolTip(0, QDir::toNativeSeparators(copy.path));
        try {
            const db::BackupSummary summary = db::summarize(copy.path);
            item->setText(2, QString::number(summary.players));
            item->setText(3, QString::number(summary.roundsDrawn));
            item->setText(4, QString::number(summary.scores));
            for (int column = 2; column <= 4; ++column)
                item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        } catch (const db::DbError& error) {
            item->setText(2, QStringLiteral("copie illisible"));
            item->setToolTip(2, common::cause(error));
        }
    }
    const bool any = ListeSauvegardes->topLevelItemCount() > 0;
    if (any) {
        ListeSauvegardes->setCurrentItem(ListeSauvegardes->topLevelItem(0));
        ListeSauvegardes->setFocus();
    } else {
        Etiquette1->setText(QStringLiteral("Aucune copie du tournoi n'a encore été écrite."));
    }
    Restaurer->setEnabled(any);
}

void Restauration::Restaurer_Click() {
    QTreeWidgetItem* chosen = ListeSauvegardes->currentItem();
    if (!chosen)
        return;
    const QString path = chosen->data(0, Qt::UserRole).toString();
    const QString copy =
        QStringLiteral("la copie du %1 (%2)").arg(chosen->text(0), chosen->text(1));
    if (ui::MessageBox::questionNoByDefault(
            kTitle, QStringLiteral("Remplacer le tournoi en cours par %1 ?\n\nLe tournoi en "
                                   "cours sera d'abord copié (« avant restauration »), pour "
                                   "pouvoir y revenir.")
                        .arg(copy)) != ui::MessageBox::Answer::Yes)
        return;
    const auto closed = qScopeGuard([this] { DataRestauration.Database().Close(); });
    Restored restored;
    try {
        DataRestauration.DatabaseName = databasePath();
        restored =
            restoreCopy(DataRestauration.Database().connection(), shell().programDirectory(), path);
    } catch (const db::DbError& error) {
        restored.refusal = common::cause(error);
    }
    if (!restored.refusal.isEmpty()) {
        ui::MessageBox::critical(kTitle,
                                 QStringLiteral("%1 ne peut pas être restaurée :\n%2\n\n"
                                                "Le tournoi en cours n'a pas été modifié.")
                                     .arg(copy.left(1).toUpper() + copy.mid(1), restored.refusal));
        return;
    }
    if (!restored.done)
        return;
    ui::MessageBox::information(kTitle, QStringLiteral("Le tournoi de %1 est restauré.").arg(copy));
    ui::tellBackup(kTitle, restored.before);
    fillList();
}

void Restauration::Quitter_Click() {
    close(); // the card picture comes back as the window closes
}

} // namespace backup
