#include "Apropos.h"

#include "ui/Shell.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace app {

Apropos::Apropos(ui::Shell& shell, const QString& versionText, const QString& fileDateText,
                 const QString& programFileName, QWidget* parent)
    : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("Apropos"));
    setWindowTitle(QStringLiteral("A propos de Velmora"));

    const auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/icons/velmora.png")));
    Titre = label("Titre", QStringLiteral("Velmora"));
    QFont big = Titre->font();
    big.setPointSize(20);
    big.setBold(true);
    Titre->setFont(big);
    auto* subtitle = label("SousTitre", QStringLiteral("Gestion de tournois de tarot"));
    Version = label("Version", QStringLiteral("Version ") + versionText);
    DateFichier = label("DateFichier", QStringLiteral("Programme du ") + fileDateText);
    Fichier = label("Fichier", QStringLiteral("Fichier : ") + programFileName);

    Historique = new QTextBrowser(this);
    Historique->setObjectName(QStringLiteral("Historique"));
    Historique->setHtml(QStringLiteral(
        "<p><b>Historique des versions</b></p>"
        "<p><b>1.1</b> &ndash; Correction d'une table saisie, tables manquantes, noms corrigés "
        "et joueurs retirés, copies de sauvegarde et restauration, tirage sans rencontres "
        "répétées, classement exporté en tableur et en page web, saisie des scores aux tables "
        "depuis les téléphones, messages d'erreur en français.</p>"
        "<p><b>1.0</b> &ndash; Première version : inscriptions, manches et parties, constitution "
        "des tables, saisie des résultats, listes des tables, grilles de comptage de points, "
        "classement, réinitialisation de la base.</p>"));
    Historique->setMaximumHeight(110);

    Support =
        label("Support", QStringLiteral("Assistance : la touche F1 ouvre l'aide depuis toutes les "
                                        "fenêtres.\nPour toute autre question, adressez-vous au "
                                        "responsable du programme dans votre club."));
    Support->setWordWrap(true);

    Quitter = new QPushButton(QStringLiteral("&Quitter"), this);
    Quitter->setObjectName(QStringLiteral("Quitter"));
    connect(Quitter, &QPushButton::clicked, this, &Apropos::Quitter_Click);

    auto* header = new QHBoxLayout;
    header->addWidget(picture);
    auto* titles = new QVBoxLayout;
    titles->addWidget(Titre);
    titles->addWidget(subtitle);
    titles->addWidget(Version);
    titles->addWidget(DateFichier);
    titles->addWidget(Fichier);
    titles->addWidget(label("Donnees", QStringLiteral("Données : ") +
                                           QDir::toNativeSeparators(shell.programDirectory())));
    header->addLayout(titles, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Quitter);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(Historique);
    layout->addWidget(Support);
    layout->addLayout(buttons);
    resize(460, 380);
    Quitter->setFocus();
}

void Apropos::Quitter_Click() {
    close();
}

} // namespace app
