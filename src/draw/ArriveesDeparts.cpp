#include "ArriveesDeparts.h"

#include "common/Cause.h"
#include "db/DbError.h"
#include "ui/BackupFirst.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QVBoxLayout>

namespace draw {
namespace {

const QString kTitle = QStringLiteral("Arrivées et départs");

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QSpinBox* roundBox(QWidget* parent, const char* name) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(1, db::kMaxRounds);
    return box;
}

// Where a player stands this evening, as the list shows it.
QString standing(const Evening& evening, const Evening::Player& p) {
    QString line = QStringLiteral("n° %1 %2").arg(p.placement.number).arg(p.name);
    if (p.goneFrom)
        return line + QStringLiteral(" — parti à partir de la manche %1").arg(p.goneFrom);
    QList<int> played;
    for (int k = 1; k <= evening.rounds; ++k)
        if (p.placement.codes[k - 1])
            played.append(k);
    if (played.isEmpty())
        return line + (evening.drawn ? QStringLiteral(" — sans table (arrivé après le tirage ?)")
                                     : QString());
    if (played.size() < evening.rounds) {
        QStringList rounds;
        for (const int k : std::as_const(played))
            rounds.append(QString::number(k));
        return line + QStringLiteral(" — à une table aux manches %1").arg(rounds.join(u", "));
    }
    return line;
}

} // namespace

ArriveesDeparts::ArriveesDeparts(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("ArriveesDeparts"));
    setWindowTitle(kTitle);

    Etiquette1 = label("Etiquette1", QStringLiteral("Joueurs inscrits :"));
    Joueurs = new QListWidget(this);
    Joueurs->setObjectName(QStringLiteral("Joueurs"));
    Joueurs->setMinimumSize(460, 260);
    Inscrire = button(this, "Inscrire", QStringLiteral("&Inscrire un retardataire..."));
    Etiquette2 =
        label("Etiquette2", QStringLiteral("Le joueur choisi part à partir de la manche :"));
    MancheDepart = roundBox(this, "MancheDepart");
    MarquerParti = button(this, "MarquerParti", QStringLiteral("&Marquer parti"));
    AnnulerDepart = button(this, "AnnulerDepart", QStringLiteral("Annuler le &départ"));
    Etiquette3 = label("Etiquette3", QStringLiteral("Refaire les tables à partir de la manche :"));
    MancheRefaire = roundBox(this, "MancheRefaire");
    Refaire = button(this, "Refaire", QStringLiteral("&Refaire les manches à venir"));
    Quitter = button(this, "Quitter", QStringLiteral("&Quitter"));
    Bilan = label("Bilan", QString());
    Bilan->setWordWrap(true);
    Bilan->setMaximumWidth(520);

    connect(Inscrire, &QPushButton::clicked, this, &ArriveesDeparts::Inscrire_Click);
    connect(MarquerParti, &QPushButton::clicked, this, &ArriveesDeparts::MarquerParti_Click);
    connect(AnnulerDepart, &QPushButton::clicked, this, &ArriveesDeparts::AnnulerDepart_Click);
    connect(Refaire, &QPushButton::clicked, this, &ArriveesDeparts::Refaire_Click);
    connect(Quitter, &QPushButton::clicked, this, &ArriveesDeparts::Quitter_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Etiquette1);
    layout->addWidget(Joueurs);
    layout->addWidget(Inscrire, 0, Qt::AlignLeft);
    auto* grid = new QGridLayout;
    grid->addWidget(Etiquette2, 0, 0);
    grid->addWidget(MancheDepart, 0, 1);
    auto* gone = new QHBoxLayout;
    gone->addWidget(MarquerParti);
    gone->addWidget(AnnulerDepart);
    gone->addStretch();
    grid->addLayout(gone, 1, 0, 1, 2);
    grid->addWidget(Etiquette3, 2, 0);
    grid->addWidget(MancheRefaire, 2, 1);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Refaire);
    buttons->addStretch();
    buttons->addWidget(Quitter);
    layout->addLayout(buttons);
    layout->addWidget(Bilan);
}

bool ArriveesDeparts::Form_Load() {
    return showEvening();
}

bool ArriveesDeparts::showEvening() {
    const auto closed = qScopeGuard([this] { DataArrivees.Database().Close(); });
    Evening evening;
    try {
        DataArrivees.DatabaseName = databasePath();
        evening = readEvening(DataArrivees.Database().connection());
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(kTitle, QStringLiteral("Les inscriptions n'ont pas pu être lues : "
                                                        "%1")
                                             .arg(common::cause(error)));
        return false;
    }
    const int chosen = Joueurs->currentRow();
    Joueurs->clear();
    for (const Evening::Player& p : std::as_const(evening.players)) {
        auto* item = new QListWidgetItem(standing(evening, p), Joueurs);
        item->setData(Qt::UserRole, p.placement.number);
    }
    if (chosen >= 0 && chosen < Joueurs->count())
        Joueurs->setCurrentRow(chosen);
    // The rounds still to come: from the first without scores to the last one set.
    const int last = std::max(evening.rounds, 1);
    const int first = std::min(evening.firstOpen(), last);
    MancheDepart->setRange(first, last);
    MancheRefaire->setRange(first, last);
    if (const int added = evening.firstUndrawn())
        MancheRefaire->setValue(added);
    const bool open = evening.drawn && evening.firstOpen() <= evening.rounds;
    MarquerParti->setEnabled(open);
    MancheDepart->setEnabled(open);
    Refaire->setEnabled(open);
    MancheRefaire->setEnabled(open);
    if (!evening.drawn)
        Bilan->setText(QStringLiteral("Les tables ne sont pas encore tirées : la constitution des "
                                      "tables placera tous les inscrits."));
    else if (!open)
        Bilan->setText(QStringLiteral("Toutes les manches ont des résultats : pour en jouer une "
                                      "de plus, augmentez le nombre de manches par le menu "
                                      "Paramètres, Manches et parties."));
    return true;
}

int ArriveesDeparts::chosenPlayer() {
    const QListWidgetItem* item = Joueurs->currentItem();
    if (!item) {
        ui::MessageBox::critical(kTitle, QStringLiteral("Choisissez d'abord un joueur dans la "
                                                        "liste."));
        Joueurs->setFocus();
        return 0;
    }
    return item->data(Qt::UserRole).toInt();
}

void ArriveesDeparts::markGone(int from) {
    const int number = chosenPlayer();
    if (!number)
        return;
    std::optional<QString> refused;
    {
        const auto closed = qScopeGuard([this] { DataArrivees.Database().Close(); });
        try {
            DataArrivees.DatabaseName = databasePath();
            refused = setGone(DataArrivees.Database().connection(), number, from);
        } catch (const db::DbError& error) {
            refused = QStringLiteral("Le départ n'a pas pu être enregistré : %1")
                          .arg(common::cause(error));
        }
    }
    if (refused)
        ui::MessageBox::critical(kTitle, *refused);
    else
        Bilan->setText(QStringLiteral("Pour que les tables en tiennent compte, pressez « Refaire "
                                      "les manches à venir »."));
    showEvening();
}

void ArriveesDeparts::MarquerParti_Click() {
    markGone(MancheDepart->value());
}

void ArriveesDeparts::AnnulerDepart_Click() {
    markGone(0);
}

void ArriveesDeparts::Inscrire_Click() {
    // Through the registration window itself, with all its checks; the list follows when this
    // window comes back to the front.
    m_registering = true;
    shell().openRegistration();
}

void ArriveesDeparts::changeEvent(QEvent* event) {
    CommandWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_registering) {
        m_registering = false;
        showEvening();
    }
}

void ArriveesDeparts::Refaire_Click() {
    const int from = MancheRefaire->value();
    const auto closed = qScopeGuard([this] { DataArrivees.Database().Close(); });
    Redraw redraw;
    QString copy;
    try {
        DataArrivees.DatabaseName = databasePath();
        db::Connection& connection = DataArrivees.Database().connection();
        redraw = planRedraw(connection, from, m_random);
        if (!redraw.refusal && redraw.replacesTables) {
            const QString rounds =
                from == redraw.rounds
                    ? QStringLiteral("de la manche %1").arg(from)
                    : QStringLiteral("des manches %1 à %2").arg(from).arg(redraw.rounds);
            if (ui::MessageBox::question(
                    kTitle, QStringLiteral("Les tables %1 vont être tirées à nouveau ; les "
                                           "manches précédentes et leurs résultats ne changent "
                                           "pas.\n\nContinuer ?")
                                .arg(rounds)) != ui::MessageBox::Answer::Yes)
                return;
            // The tables replaced may already be printed: a dated copy keeps them.
            const ui::BackupFirst backup =
                ui::backUpFirst(connection, shell().programDirectory(),
                                QStringLiteral("avant nouvelles tables"), kTitle);
            if (!backup.goOn)
                return;
            copy = backup.copy;
        }
        if (!redraw.refusal)
            redraw.refusal = writeRedraw(connection, redraw);
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(kTitle, QStringLiteral("Les nouvelles tables n'ont pas pu être "
                                                        "enregistrées : %1\n\nLes tables et les "
                                                        "résultats restent tels qu'ils étaient.")
                                             .arg(common::cause(error)));
        return;
    }
    if (redraw.refusal) {
        ui::MessageBox::critical(redraw.refusal->title, redraw.refusal->text);
        return;
    }
    QString told =
        from == redraw.rounds
            ? QStringLiteral("Manche %1 tirée à nouveau.").arg(from)
            : QStringLiteral("Manches %1 à %2 tirées à nouveau.").arg(from).arg(redraw.rounds);
    told += QStringLiteral(" Changements de place : %1. Rencontres répétées sur la soirée : %2.")
                .arg(redraw.seatChanges)
                .arg(redraw.repeats);
    if (!redraw.sittingOut.isEmpty())
        told += (redraw.sittingOut.size() == 1 ? QStringLiteral(" Ne joue pas : ")
                                               : QStringLiteral(" Ne jouent pas : ")) +
                redraw.sittingOut.join(QStringLiteral(", "));
    DataArrivees.Database().Close();
    showEvening();
    Bilan->setText(told);
    ui::tellBackup(kTitle, copy);
}

void ArriveesDeparts::Quitter_Click() {
    close(); // the card picture comes back as the window closes
}

} // namespace draw
