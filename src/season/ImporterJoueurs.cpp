#include "ImporterJoueurs.h"

#include "common/Cause.h"
#include "db/DbError.h"
#include "ui/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace season {
namespace {

const QString kTitle = QStringLiteral("Importer des joueurs");

QString plural(int count, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(count).arg(count > 1 ? many : one);
}

} // namespace

ImporterJoueurs::ImporterJoueurs(ui::Shell& shell, QWidget* parent) : CommandWindow(shell, parent) {
    setObjectName(QStringLiteral("ImporterJoueurs"));
    setWindowTitle(kTitle);
    Choisir = new QPushButton(QStringLiteral("&Choisir le fichier..."), this);
    Choisir->setObjectName(QStringLiteral("Choisir"));
    Fichier = label("Fichier", QStringLiteral("Un fichier CSV dont la première ligne nomme les "
                                              "colonnes « Nom » et « Prénom »."));
    Fichier->setWordWrap(true);
    Apercu = new QTreeWidget(this);
    Apercu->setObjectName(QStringLiteral("Apercu"));
    Apercu->setHeaderLabels({QStringLiteral("Ligne"), QStringLiteral("Nom"),
                             QStringLiteral("Prénom"), QStringLiteral("Import")});
    Apercu->setRootIsDecorated(false);
    Apercu->setUniformRowHeights(true);
    Apercu->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Apercu->setMinimumSize(520, 280);
    Bilan = label("Bilan", QString());
    Importer = new QPushButton(QStringLiteral("&Importer"), this);
    Importer->setObjectName(QStringLiteral("Importer"));
    Importer->setEnabled(false);
    Quitter = new QPushButton(QStringLiteral("&Quitter"), this);
    Quitter->setObjectName(QStringLiteral("Quitter"));
    connect(Choisir, &QPushButton::clicked, this, &ImporterJoueurs::Choisir_Click);
    connect(Importer, &QPushButton::clicked, this, &ImporterJoueurs::Importer_Click);
    connect(Quitter, &QPushButton::clicked, this, &ImporterJoueurs::Quitter_Click);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(Choisir);
    top->addWidget(Fichier, 1);
    layout->addLayout(top);
    layout->addWidget(Apercu);
    layout->addWidget(Bilan);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Importer);
    buttons->addStretch();
    buttons->addWidget(Quitter);
    layout->addLayout(buttons);
}

void ImporterJoueurs::Choisir_Click() {
    const QString path = QFileDialog::getOpenFileName(
        this, kTitle, QDir::homePath(), QStringLiteral("Listes de joueurs (*.csv *.txt)"));
    if (!path.isEmpty())
        load(path);
}

void ImporterJoueurs::load(const QString& path) {
    m_list = MemberList();
    Apercu->clear();
    Bilan->clear();
    Importer->setEnabled(false);
    Fichier->setText(QDir::toNativeSeparators(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui::MessageBox::critical(
            kTitle,
            QStringLiteral("Le fichier %1 ne peut pas être lu.").arg(QFileInfo(path).fileName()));
        return;
    }
    // A member list is a few hundred lines: a far larger file was chosen by mistake.
    constexpr qint64 kMostBytes = 8 * 1024 * 1024;
    if (file.size() > kMostBytes) {
        ui::MessageBox::critical(kTitle, QStringLiteral("Le fichier %1 est trop gros pour une "
                                                        "liste de joueurs (plus de 8 Mo).\n\n"
                                                        "Rien n'a été importé.")
                                             .arg(QFileInfo(path).fileName()));
        return;
    }
    const QByteArray bytes = file.readAll();
    const auto closed = qScopeGuard([this] { DataJoueurs.Database().Close(); });
    try {
        DataJoueurs.DatabaseName = databasePath();
        m_list = readMemberList(bytes, db::knownKeys(DataJoueurs.Database().connection()));
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(kTitle, QStringLiteral("Les joueurs du club n'ont pas pu être "
                                                        "lus : %1")
                                             .arg(common::cause(error)));
        return;
    }
    if (!m_list.refusal.isEmpty()) {
        ui::MessageBox::critical(kTitle, m_list.refusal);
        return;
    }
    for (const MemberLine& line : std::as_const(m_list.lines)) {
        const QString what = line.state == MemberLine::State::New ? QStringLiteral("nouveau")
                             : line.state == MemberLine::State::Known
                                 ? QStringLiteral("déjà connu")
                                 : QStringLiteral("refusé : ") + line.reason;
        auto* item =
            new QTreeWidgetItem(Apercu, {QString::number(line.line), line.nom, line.prenom, what});
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    }
    Bilan->setText(
        QStringLiteral("%1, %2, %3.")
            .arg(plural(m_list.added, QStringLiteral("nouveau joueur"),
                        QStringLiteral("nouveaux joueurs")),
                 plural(m_list.known, QStringLiteral("déjà connu"), QStringLiteral("déjà connus")),
                 plural(m_list.refused, QStringLiteral("ligne refusée"),
                        QStringLiteral("lignes refusées"))));
    Importer->setEnabled(m_list.added > 0);
}

void ImporterJoueurs::Importer_Click() {
    const QList<db::NewPlayer> players = m_list.newPlayers();
    if (players.isEmpty())
        return;
    int added = 0;
    try {
        DataJoueurs.DatabaseName = databasePath();
        added = db::importPlayers(DataJoueurs.Database().connection(), players,
                                  QDateTime::currentDateTime());
    } catch (const db::DbError& error) {
        DataJoueurs.Database().Close();
        ui::MessageBox::critical(kTitle, QStringLiteral("Les joueurs n'ont pas pu être importés : "
                                                        "%1\n\nAucun n'a été ajouté.")
                                             .arg(common::cause(error)));
        return;
    }
    DataJoueurs.Database().Close();
    ui::MessageBox::information(
        kTitle, QStringLiteral("%1 ajouté%2 aux joueurs du club.")
                    .arg(plural(added, QStringLiteral("joueur"), QStringLiteral("joueurs")),
                         added > 1 ? QStringLiteral("s") : QString()));
    // What the file holds now stands as known.
    m_list = MemberList();
    Apercu->clear();
    Bilan->clear();
    Importer->setEnabled(false);
}

void ImporterJoueurs::Quitter_Click() {
    close();
}

} // namespace season
