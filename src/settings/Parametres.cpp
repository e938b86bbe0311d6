#include "Parametres.h"

#include "Settings.h"
#include "common/Cause.h"
#include "db/DbError.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace settings {

Parametres::Parametres(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("Parametres"));
    setWindowTitle(QStringLiteral("Paramètres"));

    const auto sized = [this](QLineEdit* f, const char* name) {
        f->setObjectName(QString::fromLatin1(name));
        f->setMaxLength(2);
        f->setFixedWidth(f->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 16);
        f->setAlignment(Qt::AlignRight);
    };
    const auto stored = [this, &sized](const char* name) {
        auto* f = new QLineEdit(this);
        sized(f, name);
        f->setReadOnly(true);
        f->setFocusPolicy(Qt::NoFocus);
        return f;
    };
    const auto input = [this, &sized](const char* name) {
        auto* f = new ui::Saisie(this);
        sized(f, name);
        return f;
    };
    Label1 = label("Label1", QStringLiteral("Actuel"));
    Manches = stored("Manches");
    Parties = stored("Parties");
    Etiquette1 = label("Etiquette1", QStringLiteral("Nombre de manches"));
    SaisieManches = input("SaisieManches");
    Etiquette2 = label("Etiquette2", QStringLiteral("Nombre de partie par manche"));
    SaisieParties = input("SaisieParties");
    BoiteBoutons = new ui::BoiteBoutons(this);
    Valider = BoiteBoutons->Valider;
    Annuler = BoiteBoutons->Annuler;
    Quitter = BoiteBoutons->Quitter;

    // The fields take any character as typed; Enter moves on.
    SaisieManches->setNext(SaisieParties);
    SaisieParties->setNext(Valider);
    connect(Valider, &QPushButton::clicked, this, &Parametres::Valider_Click);
    connect(Annuler, &QPushButton::clicked, this, &Parametres::Annuler_Click);
    connect(Quitter, &QPushButton::clicked, this, &Parametres::Quitter_Click);

    // Left column the stored values, right column the new ones, line by line.
    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0, Qt::AlignHCenter | Qt::AlignBottom);
    grid->addWidget(Manches, 1, 0, Qt::AlignHCenter);
    grid->addWidget(Etiquette1, 0, 1, Qt::AlignBottom);
    grid->addWidget(SaisieManches, 1, 1, Qt::AlignLeft);
    grid->addWidget(Parties, 3, 0, Qt::AlignHCenter);
    grid->addWidget(Etiquette2, 2, 1, Qt::AlignBottom);
    grid->addWidget(SaisieParties, 3, 1, Qt::AlignLeft);
    grid->setHorizontalSpacing(32);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addWidget(BoiteBoutons, 0, Qt::AlignHCenter);
    setTabOrder(SaisieManches, SaisieParties);
    setTabOrder(SaisieParties, Valider);
    setTabOrder(Valider, Annuler);
    setTabOrder(Annuler, Quitter);
    SaisieManches->setFocus();
}

bool Parametres::Form_Load() {
    try {
        const Shown current = readSettings(DataParametres, databasePath());
        Manches->setText(current.manches);
        Parties->setText(current.parties);
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(windowTitle(),
                                 QStringLiteral("Les paramètres n'ont pas pu être lus : %1\n\nLa "
                                                "fenêtre des paramètres ne peut pas s'ouvrir.")
                                     .arg(common::cause(error)));
        return false;
    }
    SaisieManches->setFocus();
    return true;
}

void Parametres::Valider_Click() {
    const Checked checked = checkSettings(SaisieManches->text(), SaisieParties->text());
    if (const std::optional<Fault>& fault = checked.fault) {
        ui::MessageBox::critical(QStringLiteral("Erreur de saisie"), fault->message);
        (fault->field == Fault::Field::Manches ? SaisieManches : SaisieParties)->setFocus();
        return;
    }
    const int manches = checked.manches;
    const int parties = checked.parties;
    try {
        if (const std::optional<Fault> fault =
                checkScoredRounds(DataParametres, databasePath(), manches)) {
            ui::MessageBox::critical(QStringLiteral("Erreur de saisie"), fault->message);
            SaisieManches->setFocus();
            return;
        }
        storeSettings(DataParametres, databasePath(), manches, parties);
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(windowTitle(),
                                 QStringLiteral("Les paramètres n'ont pas pu être enregistrés : "
                                                "%1\n\nLes valeurs actuelles restent en vigueur.")
                                     .arg(common::cause(error)));
        return;
    }
    // What is now stored, as it reads back (" 7" and "7," are both stored as 7).
    Manches->setText(QString::number(manches));
    Parties->setText(QString::number(parties));
    SaisieManches->clear();
    SaisieParties->clear();
    SaisieManches->setFocus();
}

void Parametres::Annuler_Click() {
    SaisieManches->clear();
    SaisieParties->clear();
    SaisieManches->setFocus();
}

void Parametres::Quitter_Click() {
    close(); // the card picture comes back as the window closes
}

} // namespace settings
