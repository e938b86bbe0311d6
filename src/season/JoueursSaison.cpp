#include "JoueursSaison.h"

#include "common/Cause.h"
#include "db/DbError.h"
#include "db/Season.h"
#include "ui/MessageBox.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace season {
namespace {

const QString kTitle = QStringLiteral("Joueurs du club");

QString named(const QTreeWidgetItem* item) {
    return QStringLiteral("« %1 %2 » (%3 soirée%4)")
        .arg(item->text(0), item->text(1), item->text(2),
             item->text(2).toInt() > 1 ? QStringLiteral("s") : QString());
}

} // namespace

JoueursSaison::JoueursSaison(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("JoueursSaison"));
    setWindowTitle(kTitle);
    Etiquette1 = label("Etiquette1", QStringLiteral("Joueurs connus du club :"));
    ListeJoueurs = new QTreeWidget(this);
    ListeJoueurs->setObjectName(QStringLiteral("ListeJoueurs"));
    ListeJoueurs->setHeaderLabels(
        {QStringLiteral("Nom"), QStringLiteral("Prénom"), QStringLiteral("Soirées")});
    ListeJoueurs->setRootIsDecorated(false);
    ListeJoueurs->setUniformRowHeights(true);
    ListeJoueurs->setAllColumnsShowFocus(true);
    ListeJoueurs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListeJoueurs->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListeJoueurs->setMinimumSize(420, 320);
    Etiquette2 = label("Etiquette2",
                       QStringLiteral("Pour réunir deux orthographes d'un même joueur, choisissez "
                                      "l'orthographe à effacer, puis, avec Ctrl, celle à garder."));
    Etiquette2->setWordWrap(true);
    Reunir = new QPushButton(QStringLiteral("&Réunir les deux orthographes"), this);
    Reunir->setObjectName(QStringLiteral("Reunir"));
    Quitter = new QPushButton(QStringLiteral("&Quitter"), this);
    Quitter->setObjectName(QStringLiteral("Quitter"));
    connect(Reunir, &QPushButton::clicked, this, &JoueursSaison::Reunir_Click);
    connect(Quitter, &QPushButton::clicked, this, &JoueursSaison::Quitter_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Etiquette1);
    layout->addWidget(ListeJoueurs);
    layout->addWidget(Etiquette2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Reunir);
    buttons->addStretch();
    buttons->addWidget(Quitter);
    layout->addLayout(buttons);
}

bool JoueursSaison::Form_Load() {
    return showPlayers();
}

bool JoueursSaison::showPlayers() {
    const auto closed = qScopeGuard([this] { DataJoueurs.Database().Close(); });
    QList<db::KnownPlayer> players;
    try {
        DataJoueurs.DatabaseName = databasePath();
        players = db::knownPlayers(DataJoueurs.Database().connection());
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(kTitle, QStringLiteral("Les joueurs du club n'ont pas pu être "
                                                        "lus : %1")
                                             .arg(common::cause(error)));
        return false;
    }
    ListeJoueurs->clear();
    for (const db::KnownPlayer& player : std::as_const(players)) {
        auto* item = new QTreeWidgetItem(
            ListeJoueurs, {player.nom, player.prenom, QString::number(player.evenings)});
        item->setData(0, Qt::UserRole, player.number);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    Etiquette1->setText(players.isEmpty()
                            ? QStringLiteral("Aucun joueur n'est encore connu du club : chaque "
                                             "soirée gardée et chaque liste importée en ajoute.")
                            : QStringLiteral("Joueurs connus du club : %1").arg(players.size()));
    return true;
}

void JoueursSaison::Reunir_Click() {
    const QList<QTreeWidgetItem*> chosen = ListeJoueurs->selectedItems();
    QTreeWidgetItem* kept = ListeJoueurs->currentItem();
    if (chosen.size() != 2 || !kept || !kept->isSelected()) {
        ui::MessageBox::information(kTitle, QStringLiteral("Choisissez exactement deux joueurs "
                                                           "dans la liste : l'orthographe à "
                                                           "effacer, puis celle à garder."));
        return;
    }
    const QTreeWidgetItem* gone = chosen[0] == kept ? chosen[1] : chosen[0];
    if (ui::MessageBox::questionNoByDefault(
            kTitle, QStringLiteral("Réunir %1 à %2 ?\n\nSes soirées passent à %3 %4, et "
                                   "l'orthographe %5 %6 n'est plus connue du club.")
                        .arg(named(gone), named(kept), kept->text(0), kept->text(1), gone->text(0),
                             gone->text(1))) != ui::MessageBox::Answer::Yes)
        return;
    std::optional<QString> refused;
    try {
        DataJoueurs.DatabaseName = databasePath();
        refused = db::mergePlayers(
            DataJoueurs.Database().connection(), kept->data(0, Qt::UserRole).toInt(),
            gone->data(0, Qt::UserRole).toInt(), QDateTime::currentDateTime());
    } catch (const db::DbError& error) {
        refused = QStringLiteral("Les deux orthographes n'ont pas pu être réunies : %1\n\nRien "
                                 "n'a été changé.")
                      .arg(common::cause(error));
    }
    DataJoueurs.Database().Close();
    if (refused)
        ui::MessageBox::critical(kTitle, *refused);
    showPlayers();
}

void JoueursSaison::Quitter_Click() {
    close();
}

} // namespace season
