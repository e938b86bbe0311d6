#include "Inscriptions.h"

#include "Registration.h"
#include "common/Cause.h"
#include "db/DbError.h"
#include "db/Season.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace registration {
namespace {

const QString kErreurDeSaisie = QStringLiteral("Erreur de saisie");

QTreeWidgetItem* listed(QTreeWidget* list, const Registered& player) {
    auto* item =
        new QTreeWidgetItem(list, {QString::number(player.number), player.nom, player.prenom});
    item->setData(0, Qt::UserRole, player.number);
    item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

Inscriptions::Inscriptions(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("Inscriptions"));
    setWindowTitle(QStringLiteral("Inscriptions"));

    const auto field = [this](const char* name) {
        auto* f = new ui::Saisie(this);
        f->setObjectName(QString::fromLatin1(name));
        f->setMaxLength(25);
        f->setMinimumWidth(f->fontMetrics().horizontalAdvance(QString(25, u'W')) / 2);
        return f;
    };
    Label1 = label("Label1", QStringLiteral("Nombre d'inscriptions :"));
    NombreInscrits = label("NombreInscrits", QString());
    QFont digits = NombreInscrits->font();
    digits.setPointSize(28);
    digits.setBold(true);
    NombreInscrits->setFont(digits);
    QPalette red = NombreInscrits->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    NombreInscrits->setPalette(red);
    Etiquette1 = label("Etiquette1", QStringLiteral("Nom"));
    SaisieNom = field("SaisieNom");
    Etiquette2 = label("Etiquette2", QStringLiteral("Prénom"));
    SaisiePrenom = field("SaisiePrenom");
    BoiteBoutons = new ui::BoiteBoutons(this);
    Valider = BoiteBoutons->Valider;
    Annuler = BoiteBoutons->Annuler;
    Quitter = BoiteBoutons->Quitter;

    SaisieNom->setKeyHook([this](char32_t& key) { SaisieNom_KeyPress(key); });
    SaisiePrenom->setKeyHook([this](char32_t& key) { SaisiePrenom_KeyPress(key); });
    SaisieNom->setNext(SaisiePrenom);
    SaisiePrenom->setNext(Valider);
    connect(Valider, &QPushButton::clicked, this, &Inscriptions::Valider_Click);
    connect(Annuler, &QPushButton::clicked, this, &Inscriptions::Annuler_Click);
    connect(Quitter, &QPushButton::clicked, this, &Inscriptions::Quitter_Click);

    EtiquetteCorrection = label("EtiquetteCorrection", QString());
    EtiquetteListe = label("EtiquetteListe", QStringLiteral("Joueurs inscrits"));
    ListeInscrits = new QTreeWidget(this);
    ListeInscrits->setObjectName(QStringLiteral("ListeInscrits"));
    ListeInscrits->setHeaderLabels(
        {QStringLiteral("N°"), QStringLiteral("Nom"), QStringLiteral("Prénom")});
    ListeInscrits->setRootIsDecorated(false);
    ListeInscrits->setUniformRowHeights(true);
    ListeInscrits->setAllColumnsShowFocus(true);
    ListeInscrits->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListeInscrits->setMinimumHeight(160);
    Corriger = new QPushButton(QStringLiteral("C&orriger"), this);
    Corriger->setObjectName(QStringLiteral("Corriger"));
    Retirer = new QPushButton(QStringLiteral("&Retirer"), this);
    Retirer->setObjectName(QStringLiteral("Retirer"));
    connect(Corriger, &QPushButton::clicked, this, &Inscriptions::Corriger_Click);
    connect(Retirer, &QPushButton::clicked, this, &Inscriptions::Retirer_Click);
    connect(ListeInscrits, &QTreeWidget::itemDoubleClicked, this, &Inscriptions::Corriger_Click);

    auto* counter = new QHBoxLayout;
    counter->addWidget(Label1);
    counter->addWidget(NombreInscrits);
    counter->addStretch();
    counter->addWidget(EtiquetteCorrection);
    auto* fields = new QGridLayout;
    fields->addWidget(Etiquette1, 0, 0);
    fields->addWidget(SaisieNom, 1, 0);
    fields->addWidget(Etiquette2, 0, 1);
    fields->addWidget(SaisiePrenom, 1, 1);
    fields->setHorizontalSpacing(24);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(counter);
    layout->addSpacing(12);
    layout->addLayout(fields);
    layout->addSpacing(12);
    // Centred across the window, whatever its width.
    layout->addWidget(BoiteBoutons, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(EtiquetteListe);
    layout->addWidget(ListeInscrits);
    auto* choices = new QHBoxLayout;
    choices->addStretch();
    choices->addWidget(Corriger);
    choices->addWidget(Retirer);
    layout->addLayout(choices);
    Suggestions = new QListWidget(this);
    Suggestions->setObjectName(QStringLiteral("Suggestions"));
    // A list beside the field that never takes the keyboard: typing goes on in the surname.
    Suggestions->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    Suggestions->setAttribute(Qt::WA_ShowWithoutActivating);
    Suggestions->setFocusPolicy(Qt::NoFocus);
    Suggestions->hide();
    connect(Suggestions, &QListWidget::itemClicked, this, &Inscriptions::Suggestions_Click);
    connect(SaisieNom, &QLineEdit::textEdited, this, &Inscriptions::SaisieNom_Change);
    SaisieNom->installEventFilter(this);

    setTabOrder(SaisieNom, SaisiePrenom);
    setTabOrder(SaisiePrenom, Valider);
    setTabOrder(Valider, Annuler);
    setTabOrder(Annuler, Quitter);
    SaisieNom->setFocus();
}

bool Inscriptions::Form_Load() {
    try {
        NombreInscrits->setText(
            QString::number(registrationCount(DataInscriptions, databasePath())));
        for (const Registered& player : registeredPlayers(DataInscriptions, databasePath()))
            listed(ListeInscrits, player);
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(windowTitle(),
                                 QStringLiteral("Le nombre d'inscriptions n'a pas pu être lu : "
                                                "%1\n\nLa saisie des inscriptions est "
                                                "impossible.")
                                     .arg(common::cause(error)));
        return false;
    }
    SaisieNom->setFocus();
    return true;
}

void Inscriptions::SaisieNom_KeyPress(char32_t& KeyAscii) {
    // Enter is the field's own: it moves on to the first name.
    if (KeyAscii != ui::Saisie::kEnter)
        KeyAscii = surnameKey(KeyAscii);
}

void Inscriptions::SaisiePrenom_KeyPress(char32_t& KeyAscii) {
    // Enter is the field's own: it moves on to "Valider".
    if (KeyAscii != ui::Saisie::kEnter)
        KeyAscii = firstNameKey(KeyAscii, SaisiePrenom->textBeforeKey());
}

void Inscriptions::Valider_Click() {
    if (SaisieNom->text().isEmpty()) {
        ui::MessageBox::critical(kErreurDeSaisie,
                                 QStringLiteral("La saisie du nom est obligatoire !!!"));
        SaisieNom->setFocus();
        return;
    }
    if (SaisiePrenom->text().isEmpty()) {
        ui::MessageBox::critical(kErreurDeSaisie,
                                 QStringLiteral("La saisie du prénom est obligatoire !!!"));
        SaisiePrenom->setFocus();
        return;
    }
    hideSuggestions();
    if (m_correcting) {
        correctPlayer();
        return;
    }
    // The counter moves only once the row is stored: a failed write must not leave a gap,
    // nor give its number twice.
    int number = 0;
    try {
        if (!secondTimeAgreed(0))
            return;
        number = nextPlayerNumber(DataInscriptions, databasePath());
        storePlayer(DataInscriptions, databasePath(), number, SaisieNom->text(),
                    SaisiePrenom->text());
    } catch (const db::DbError& error) {
        const QString cause =
            error.kind() == db::DbError::Kind::Duplicate
                ? QStringLiteral("le numéro %1 est déjà attribué à un autre joueur.").arg(number)
                : common::cause(error);
        ui::MessageBox::critical(windowTitle(),
                                 QStringLiteral("Le joueur n'a pas pu être enregistré : %1\n\nIl "
                                                "n'est pas inscrit ; vous pouvez valider à "
                                                "nouveau.")
                                     .arg(cause));
        return;
    }
    NombreInscrits->setText(QString::number(NombreInscrits->text().toInt() + 1));
    ListeInscrits->scrollToItem(
        listed(ListeInscrits, {number, SaisieNom->text(), SaisiePrenom->text()}));
    SaisieNom->clear();
    SaisiePrenom->clear();
    SaisieNom->setFocus();
}

void Inscriptions::Annuler_Click() {
    hideSuggestions();
    endCorrection();
    SaisieNom->clear();
    SaisiePrenom->clear();
    SaisieNom->setFocus();
}

void Inscriptions::endCorrection() {
    m_correcting = 0;
    EtiquetteCorrection->clear();
}

void Inscriptions::Corriger_Click() {
    QTreeWidgetItem* chosen = ListeInscrits->currentItem();
    if (!chosen) {
        ui::MessageBox::information(windowTitle(),
                                    QStringLiteral("Choisissez d'abord un joueur dans la liste."));
        return;
    }
    m_correcting = chosen->data(0, Qt::UserRole).toInt();
    EtiquetteCorrection->setText(QStringLiteral("Correction du joueur n° %1").arg(m_correcting));
    SaisieNom->setText(chosen->text(1));
    SaisiePrenom->setText(chosen->text(2));
    SaisieNom->setFocus();
}

bool Inscriptions::secondTimeAgreed(int except) {
    const auto twin = sameNames(DataInscriptions, databasePath(), SaisieNom->text(),
                                SaisiePrenom->text(), except);
    if (!twin ||
        ui::MessageBox::questionNoByDefault(windowTitle(), secondRegistrationQuestion(*twin)) ==
            ui::MessageBox::Answer::Yes)
        return true;
    SaisieNom->setFocus(); // the names stay, to be told apart or cancelled
    return false;
}

void Inscriptions::correctPlayer() {
    std::optional<QString> refused;
    try {
        if (!secondTimeAgreed(m_correcting))
            return;
        refused = renamePlayer(DataInscriptions, databasePath(), m_correcting, SaisieNom->text(),
                               SaisiePrenom->text(), QDateTime::currentDateTime());
    } catch (const db::DbError& error) {
        refused = QStringLiteral("Les noms n'ont pas pu être corrigés : %1\n\nLe joueur garde "
                                 "les noms qu'il avait.")
                      .arg(common::cause(error));
    }
    if (refused) {
        ui::MessageBox::critical(windowTitle(), *refused);
        return;
    }
    for (int i = 0; i < ListeInscrits->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListeInscrits->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toInt() == m_correcting) {
            item->setText(1, SaisieNom->text());
            item->setText(2, SaisiePrenom->text());
        }
    }
    Annuler_Click();
}

void Inscriptions::Retirer_Click() {
    QTreeWidgetItem* chosen = ListeInscrits->currentItem();
    if (!chosen) {
        ui::MessageBox::information(windowTitle(),
                                    QStringLiteral("Choisissez d'abord un joueur dans la liste."));
        return;
    }
    const int number = chosen->data(0, Qt::UserRole).toInt();
    if (ui::MessageBox::questionNoByDefault(
            windowTitle(), QStringLiteral("Retirer le joueur n° %1, %2 %3, des inscriptions ?")
                               .arg(number)
                               .arg(chosen->text(1), chosen->text(2))) !=
        ui::MessageBox::Answer::Yes)
        return;
    std::optional<QString> refused;
    try {
        refused =
            removePlayer(DataInscriptions, databasePath(), number, QDateTime::currentDateTime());
    } catch (const db::DbError& error) {
        refused = QStringLiteral("Le joueur n'a pas pu être retiré : %1\n\nIl reste inscrit.")
                      .arg(common::cause(error));
    }
    if (refused) {
        ui::MessageBox::critical(windowTitle(), *refused);
        return;
    }
    delete chosen;
    NombreInscrits->setText(QString::number(NombreInscrits->text().toInt() - 1));
    if (m_correcting == number)
        Annuler_Click();
}

void Inscriptions::SaisieNom_Change() {
    if (m_correcting || SaisieNom->text().trimmed().isEmpty()) {
        hideSuggestions();
        return;
    }
    QList<db::KnownPlayer> known;
    try {
        DataInscriptions.DatabaseName = databasePath();
        known = db::knownPlayersStartingWith(DataInscriptions.Database().connection(),
                                             SaisieNom->text());
    } catch (const db::DbError&) {
        // Only a help to typing: without it the organiser types the names as before.
    }
    DataInscriptions.Database().Close();
    if (known.isEmpty()) {
        hideSuggestions();
        return;
    }
    Suggestions->clear();
    for (const db::KnownPlayer& player : std::as_const(known)) {
        auto* item =
            new QListWidgetItem(QStringLiteral("%1 %2 — %3 soirée%4")
                                    .arg(player.nom, player.prenom)
                                    .arg(player.evenings)
                                    .arg(player.evenings > 1 ? QStringLiteral("s") : QString()),
                                Suggestions);
        item->setData(Qt::UserRole, player.nom);
        item->setData(Qt::UserRole + 1, player.prenom);
    }
    const int rows = int(known.size());
    Suggestions->setFixedSize(
        std::max(SaisieNom->width() * 2, Suggestions->sizeHintForColumn(0) + 8),
        Suggestions->sizeHintForRow(0) * rows + 2 * Suggestions->frameWidth());
    Suggestions->move(SaisieNom->mapToGlobal(QPoint(0, SaisieNom->height())));
    Suggestions->show();
}

void Inscriptions::Suggestions_Click(QListWidgetItem* item) {
    if (!item)
        return;
    // The known spelling, as stored: the checks of "Valider" still apply to it.
    SaisieNom->setText(item->data(Qt::UserRole).toString());
    SaisiePrenom->setText(item->data(Qt::UserRole + 1).toString());
    hideSuggestions();
    Valider->setFocus();
}

void Inscriptions::hideSuggestions() {
    Suggestions->hide();
    Suggestions->clear();
}

bool Inscriptions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SaisieNom && Suggestions->isVisible()) {
        if (event->type() == QEvent::FocusOut) {
            hideSuggestions();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            const int row = Suggestions->currentRow();
            switch (key) {
            case Qt::Key_Down:
                Suggestions->setCurrentRow(std::min(row + 1, Suggestions->count() - 1));
                return true;
            case Qt::Key_Up:
                Suggestions->setCurrentRow(std::max(row - 1, 0));
                return true;
            case Qt::Key_Escape:
                hideSuggestions();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (row >= 0) {
                    Suggestions_Click(Suggestions->currentItem());
                    return true;
                }
                hideSuggestions(); // none chosen: Enter moves on as it always has
                break;
            default:
                break;
            }
        }
    }
    return CommandWindow::eventFilter(watched, event);
}

void Inscriptions::Quitter_Click() {
    close(); // the card picture comes back as the window closes
}

} // namespace registration
