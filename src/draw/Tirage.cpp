#include "Tirage.h"

#include "Evening.h"
#include "common/Cause.h"
#include "db/DbError.h"
#include "db/Tournament.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace draw {

Tirage::Tirage(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("Tirage"));
    setWindowTitle(QStringLiteral("Constitution des tables"));

    // Each figure large and bold, in its own colour on light grey.
    const auto figure = [this](const char* name, const char* colour) {
        QLabel* l = label(name, QString());
        QFont font(QStringLiteral("Arial"), 20);
        font.setBold(true);
        l->setFont(font);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
        l->setStyleSheet(QStringLiteral("QLabel { background-color: #c0c0c0; color: %1; "
                                        "padding: 2px 6px; }")
                             .arg(QLatin1String(colour)));
        return l;
    };
    Label1 = label("Label1", QStringLiteral("Nombre d'inscriptions :"));
    NombreInscrits = figure("NombreInscrits", "#0000ff");
    Label2 = label("Label2", QStringLiteral("Nombre de participants :"));
    Participants = figure("Participants", "#ff0000");
    Etiquette1 = label("Etiquette1", QStringLiteral("Nombre de manches :"));
    Manches = figure("Manches", "#ffff00");
    Etiquette2 = label("Etiquette2", QStringLiteral("Nombre de partie par manche :"));
    Parties = figure("Parties", "#ff00ff");

    Jauge = new QProgressBar(this);
    Jauge->setObjectName(QStringLiteral("Jauge"));
    Jauge->setFixedWidth(320);
    QSizePolicy keepPlace = Jauge->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true); // the window keeps its size when the bar shows
    Jauge->setSizePolicy(keepPlace);
    Jauge->hide();

    // This window has nothing to type, so nothing to empty: no "&Annuler".
    BoiteBoutons = new ui::BoiteBoutons(this);
    delete BoiteBoutons->Annuler;
    BoiteBoutons->Annuler = nullptr;
    Valider = BoiteBoutons->Valider;
    Quitter = BoiteBoutons->Quitter;
    connect(Valider, &QPushButton::clicked, this, &Tirage::Valider_Click);
    connect(Quitter, &QPushButton::clicked, this, &Tirage::Quitter_Click);

    // Below the window's first controls, so that none of them moves: the choice, then what the draw
    // came to.
    EviterRencontres = new QCheckBox(QStringLiteral("Éviter les rencontres répétées"), this);
    EviterRencontres->setObjectName(QStringLiteral("EviterRencontres"));
    EviterRencontres->setToolTip(QStringLiteral("Chaque joueur garde sa place ; les tables "
                                                "tournent de sorte que deux joueurs ne se "
                                                "rencontrent qu'une fois."));
    TablesDeCinq =
        new QCheckBox(QStringLiteral("Tables de cinq (personne ne reste sans jouer)"), this);
    TablesDeCinq->setObjectName(QStringLiteral("TablesDeCinq"));
    TablesDeCinq->setToolTip(QStringLiteral("Les joueurs en plus d'un multiple de quatre "
                                            "s'assoient en cinquième aux dernières tables : à "
                                            "chaque donne, l'un des cinq, à tour de rôle, donne "
                                            "et ne joue pas."));
    connect(TablesDeCinq, &QCheckBox::toggled, this, &Tirage::showParticipants);
    Rencontres = label("Rencontres", QString());
    Exclus = label("Exclus", QString());
    Exclus->setWordWrap(true);
    Exclus->setMaximumWidth(420);

    auto* grid = new QGridLayout;
    const QList<std::pair<QLabel*, QLabel*>> rows = {{Label1, NombreInscrits},
                                                     {Label2, Participants},
                                                     {Etiquette1, Manches},
                                                     {Etiquette2, Parties}};
    for (int row = 0; row < rows.size(); ++row) {
        grid->addWidget(rows[row].first, row, 0);
        grid->addWidget(rows[row].second, row, 1);
    }
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    // Centred across the window, the bar and the buttons below the figures.
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addWidget(Jauge, 0, Qt::AlignHCenter);
    layout->addWidget(BoiteBoutons, 0, Qt::AlignHCenter);
    layout->addWidget(EviterRencontres, 0, Qt::AlignHCenter);
    layout->addWidget(TablesDeCinq, 0, Qt::AlignHCenter);
    layout->addWidget(Rencontres, 0, Qt::AlignHCenter);
    layout->addWidget(Exclus, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Valider->setDefault(true);
}

bool Tirage::Form_Load() {
    const auto closed = qScopeGuard([this] { DataTirage.Database().Close(); });
    try {
        db::RecordSet& players = DataTirage.Refresh(databasePath(), QStringLiteral("Inscriptions"));
        players.MoveLast();
        m_registrations = players.RecordCount();
        NombreInscrits->setText(QString::number(m_registrations));
        // As stored, unchecked: the draw itself refuses a number of rounds it cannot use.
        db::RecordSet& settings = DataTirage.Refresh(databasePath(), QStringLiteral("Parametres"));
        if (!settings.Eof()) {
            Manches->setText(settings.Fields(QStringLiteral("Manches")).Value().toString());
            Parties->setText(settings.Fields(QStringLiteral("Parties")).Value().toString());
        }
        EviterRencontres->setChecked(storedAvoidRepeats(DataTirage, databasePath()));
        DataTirage.DatabaseName = databasePath();
        TablesDeCinq->setChecked(storedChoices(DataTirage.Database().connection()).fives);
        showParticipants();
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(windowTitle(),
                                 QStringLiteral("Les inscriptions et les paramètres n'ont pas pu "
                                                "être lus : %1\n\nLa fenêtre de constitution des "
                                                "tables ne peut pas s'ouvrir.")
                                     .arg(common::cause(error)));
        return false;
    }
    return true;
}

void Tirage::Valider_Click() {
    TableDraw draw(DataTirage, databasePath(), m_random, *this);
    if (draw.run(Participants->text().toInt(), EviterRencontres->isChecked(),
                 TablesDeCinq->isChecked()) != TableDraw::Outcome::Drawn)
        return;
    Rencontres->setText(QStringLiteral("Rencontres répétées : %1").arg(draw.summary().repeats));
    const QStringList& out = draw.summary().sittingOut;
    Exclus->setText(out.isEmpty() ? QString()
                                  : (out.size() == 1 ? QStringLiteral("Ne joue pas : ")
                                                     : QStringLiteral("Ne jouent pas : ")) +
                                        out.join(QStringLiteral(", ")));
}

void Tirage::showParticipants() {
    Participants->setText(
        QString::number(db::participants(m_registrations, TablesDeCinq->isChecked())));
}

void Tirage::Quitter_Click() {
    close(); // the card picture comes back as the window closes
}

void Tirage::setButtons(bool validerEnabled, bool quitterEnabled) {
    Valider->setEnabled(validerEnabled);
    Quitter->setEnabled(quitterEnabled);
}

void Tirage::showProgress(int maximum) {
    Jauge->setRange(0, maximum);
    Jauge->setValue(0);
    Jauge->show();
    m_lastShown.start();
}

void Tirage::setProgress(int value) {
    constexpr qint64 kEyeMs = 50;
    if (value < Jauge->maximum() && m_lastShown.isValid() && m_lastShown.elapsed() < kEyeMs)
        return;
    Jauge->setValue(value);
    m_lastShown.start();
}

void Tirage::hideProgress() {
    Jauge->hide();
}

} // namespace draw
