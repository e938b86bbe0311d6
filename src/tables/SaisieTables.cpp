#include "SaisieTables.h"

#include "PlayerPages.h"
#include "TableKeys.h"
#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Deals.h"
#include "db/Tournament.h"
#include "db/Transaction.h"
#include "results/StoredScores.h"
#include "ui/MessageBox.h"
#include "ui/QrCode.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tables {
namespace {

const QString kTitle = QStringLiteral("Saisie aux tables");
constexpr int kDefaultPort = 8080;
constexpr int kEntriesShown = 30;
constexpr int kQrPixels = 200;

QTableWidget* grid(QWidget* parent, const char* name, const QStringList& headings) {
    auto* table = new QTableWidget(0, int(headings.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(headings);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table;
}

// "3 fois, la dernière à 20:15:02 (téléphone 192.168.1.23, table 1002) : table ou clé
// inconnue."
QString told(const QString& what, int times, const TurnedAway& last) {
    if (times == 0)
        return QStringLiteral("%1 : aucun.").arg(what);
    QStringList who;
    if (!last.client.isEmpty())
        who.append(QStringLiteral("téléphone %1").arg(last.client));
    if (!last.code.isEmpty())
        who.append(QStringLiteral("table %1").arg(last.code));
    return QStringLiteral("%1 : %2 fois, la dernière à %3%4 : %5.")
        .arg(what)
        .arg(times)
        .arg(last.when.toString(QStringLiteral("HH:mm:ss")),
             who.isEmpty() ? QString()
                           : QStringLiteral(" (%1)").arg(who.join(QStringLiteral(", "))),
             last.reason);
}

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

SaisieTables::SaisieTables(ui::Shell& shell, QWidget* parent)
    : CommandWindow(shell, parent), Serveur(databasePath()) {
    setObjectName(QStringLiteral("SaisieTables"));
    setWindowTitle(kTitle);
    // Unlike the other command windows, not modal: while the phones send their scores, the
    // organiser still prints and types tables in the results window. One at a time: the
    // main window brings this one back rather than opening another.
    setWindowModality(Qt::NonModal);

    EtiquettePort = label("EtiquettePort", QStringLiteral("&Port :"));
    SaisiePort = new QSpinBox(this);
    SaisiePort->setObjectName(QStringLiteral("SaisiePort"));
    SaisiePort->setRange(1, 65535);
    SaisiePort->setValue(kDefaultPort);
    EtiquettePort->setBuddy(SaisiePort);
    EtiquetteAdresse = label("EtiquetteAdresse", QStringLiteral("Adresse de l'&ordinateur :"));
    ChoixAdresse = new QComboBox(this);
    ChoixAdresse->setObjectName(QStringLiteral("ChoixAdresse"));
    EtiquetteAdresse->setBuddy(ChoixAdresse);

    Demarrer = new QPushButton(QStringLiteral("&Démarrer"), this);
    Demarrer->setObjectName(QStringLiteral("Demarrer"));
    Arreter = new QPushButton(QStringLiteral("&Arrêter"), this);
    Arreter->setObjectName(QStringLiteral("Arreter"));
    connect(Demarrer, &QPushButton::clicked, this, &SaisieTables::Demarrer_Click);
    connect(Arreter, &QPushButton::clicked, this, &SaisieTables::Arreter_Click);

    Etat = label("Etat", QString());
    Etat->setWordWrap(true);
    Adresse = label("Adresse", QString());
    QFont large = Adresse->font();
    large.setPointSize(16);
    large.setBold(true);
    Adresse->setFont(large);
    Adresse->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Adresse->setAlignment(Qt::AlignCenter);
    CodeQr = label("CodeQr", QString());
    CodeQr->setFixedSize(kQrPixels, kQrPixels);
    CodeQr->setAlignment(Qt::AlignCenter);

    Manches = grid(this, "Manches",
                   {QStringLiteral("Manche"), QStringLiteral("Tables saisies"),
                    QStringLiteral("Tables tirées")});
    Dernieres = grid(this, "Dernieres",
                     {QStringLiteral("Heure"), QStringLiteral("Table"), QStringLiteral("Nord"),
                      QStringLiteral("Est"), QStringLiteral("Sud"), QStringLiteral("Ouest")});
    Refuses = label("Refuses", told(QStringLiteral("Téléphones refusés"), 0, {}));
    Refuses->setWordWrap(true);
    Ralentis = label("Ralentis", told(QStringLiteral("Téléphones ralentis"), 0, {}));
    Ralentis->setWordWrap(true);
    EtiquetteCleTable =
        label("EtiquetteCleTable", QStringLiteral("Grille perdue, code de la ta&ble :"));
    SaisieCleTable = new QLineEdit(this);
    SaisieCleTable->setObjectName(QStringLiteral("SaisieCleTable"));
    SaisieCleTable->setMaxLength(4);
    EtiquetteCleTable->setBuddy(SaisieCleTable);
    NouvelleCle = new QPushButton(QStringLiteral("&Nouvelle clé"), this);
    NouvelleCle->setObjectName(QStringLiteral("NouvelleCle"));
    connect(NouvelleCle, &QPushButton::clicked, this, &SaisieTables::NouvelleCle_Click);
    DonneParDonne = new QCheckBox(QStringLiteral("Saisie donne par donne"), this);
    DonneParDonne->setObjectName(QStringLiteral("DonneParDonne"));
    DonneParDonne->setToolTip(QStringLiteral("Chaque table saisit ses donnes sur le téléphone ; "
                                             "le programme les compte selon les règles de la "
                                             "fédération et additionne la grille."));
    connect(DonneParDonne, &QCheckBox::clicked, this, &SaisieTables::DonneParDonne_Click);

    EtiquetteClassement = label("EtiquetteClassement", QStringLiteral("C&lassement en direct :"));
    ChoixClassement = new QComboBox(this);
    ChoixClassement->setObjectName(QStringLiteral("ChoixClassement"));
    // In the order of tables::LiveRanking.
    ChoixClassement->addItems({QStringLiteral("non publié"),
                               QStringLiteral("public sur le réseau du club"),
                               QStringLiteral("réservé aux joueurs (numéro et clé)")});
    EtiquetteClassement->setBuddy(ChoixClassement);
    connect(ChoixClassement, &QComboBox::currentIndexChanged, this,
            &SaisieTables::ChoixClassement_Change);
    AfficherSalle = new QPushButton(QStringLiteral("Afficher l'écran de la &salle"), this);
    AfficherSalle->setObjectName(QStringLiteral("AfficherSalle"));
    connect(AfficherSalle, &QPushButton::clicked, this, &SaisieTables::AfficherSalle_Click);
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    auto* settings = new QGridLayout;
    settings->addWidget(EtiquettePort, 0, 0);
    settings->addWidget(SaisiePort, 0, 1);
    settings->addWidget(EtiquetteAdresse, 1, 0);
    settings->addWidget(ChoixAdresse, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Demarrer);
    buttons->addWidget(Arreter);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addLayout(buttons);
    layout->addWidget(DonneParDonne);
    layout->addWidget(Etat);
    layout->addWidget(Adresse);
    layout->addWidget(CodeQr, 0, Qt::AlignHCenter);
    layout->addWidget(label("EtiquetteManches", QStringLiteral("Tables par manche")));
    layout->addWidget(Manches);
    layout->addWidget(label("EtiquetteDernieres", QStringLiteral("Dernières tables reçues")));
    layout->addWidget(Dernieres);
    layout->addWidget(Refuses);
    layout->addWidget(Ralentis);
    auto* newKey = new QHBoxLayout;
    newKey->addWidget(EtiquetteCleTable);
    newKey->addWidget(SaisieCleTable);
    newKey->addWidget(NouvelleCle);
    newKey->addStretch();
    layout->addLayout(newKey);
    auto* pages = new QHBoxLayout;
    pages->addWidget(EtiquetteClassement);
    pages->addWidget(ChoixClassement);
    pages->addStretch();
    pages->addWidget(AfficherSalle);
    layout->addLayout(pages);
    resize(560, 820);

    m_refresh = new QTimer(this);
    m_refresh->setInterval(2000);
    connect(m_refresh, &QTimer::timeout, this, &SaisieTables::refreshRounds);
    connect(&Serveur, &TableServer::stored, this, &SaisieTables::entryStored);
    connect(&Serveur, &TableServer::turnedAway, this, &SaisieTables::phoneTurnedAway);
    // The organiser's choice of network, kept while the computer keeps that address.
    connect(ChoixAdresse, &QComboBox::currentTextChanged, this,
            [this](const QString& chosen) { m_chosen = chosen; });
    // However the window goes (title bar, Escape), nothing listens any more.
    connect(this, &QDialog::finished, this, &SaisieTables::Arreter_Click);
}

SaisieTables::~SaisieTables() {
    Serveur.stop();
}

bool SaisieTables::fillAddresses() {
    const QSignalBlocker quiet(ChoixAdresse);
    ChoixAdresse->clear();
    ChoixAdresse->addItems(networkAddresses());
    // Without a network, the page still opens in this computer's own browser.
    ChoixAdresse->addItem(QStringLiteral("127.0.0.1"));
    if (m_chosen.isEmpty())
        return true;
    const int kept = ChoixAdresse->findText(m_chosen);
    if (kept >= 0)
        ChoixAdresse->setCurrentIndex(kept);
    return kept >= 0;
}

bool SaisieTables::Form_Load() {
    {
        const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
        try {
            DataSaisie.DatabaseName = databasePath();
            DonneParDonne->setChecked(db::dealByDeal(DataSaisie.Database().connection()));
        } catch (const db::DbError& error) {
            DonneParDonne->setEnabled(false);
            DonneParDonne->setToolTip(
                QStringLiteral("Le choix n'a pas pu être lu : %1").arg(common::cause(error)));
        }
    }
    fillAddresses();
    showState();
    refreshRounds();
    return true;
}

QString SaisieTables::address() const {
    if (!Serveur.isListening())
        return QString();
    return QStringLiteral("http://%1:%2/").arg(Serveur.address().toString()).arg(Serveur.port());
}

void SaisieTables::ensureKeys() {
    if (!Serveur.isListening())
        return;
    const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
    try {
        DataSaisie.DatabaseName = databasePath();
        db::Connection& connection = DataSaisie.Database().connection();
        // A player registered since (a late arrival) gets his key too.
        db::Transaction keys(connection);
        makeMissingKeys(connection);
        makeMissingPlayerKeys(connection);
        keys.commit();
    } catch (const db::DbError& error) {
        Etat->setText(QStringLiteral("Les clés des tables n'ont pas pu être enregistrées : %1")
                          .arg(common::cause(error)));
    }
}

void SaisieTables::Demarrer_Click() {
    {
        const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
        try {
            DataSaisie.DatabaseName = databasePath();
            db::Connection& connection = DataSaisie.Database().connection();
            // The players' keys with the tables': all of them, or none.
            db::Transaction keys(connection);
            makeMissingKeys(connection);
            makeMissingPlayerKeys(connection);
            keys.commit();
        } catch (const db::DbError& error) {
            ui::MessageBox::critical(kTitle,
                                     QStringLiteral("Les clés des tables n'ont pas pu être "
                                                    "enregistrées : %1\n\nLa saisie aux tables "
                                                    "n'est pas démarrée.")
                                         .arg(common::cause(error)));
            return;
        }
    }
    // The computer may have joined or left a network since the window opened.
    if (!fillAddresses()) {
        ui::MessageBox::critical(
            kTitle, QStringLiteral("La saisie aux tables n'a pas pu démarrer : l'adresse %1 "
                                   "n'est plus celle de cet ordinateur (le réseau a changé ?). "
                                   "Choisissez-en une autre dans « Adresse de l'ordinateur ».")
                        .arg(m_chosen));
        m_chosen.clear();
        return;
    }
    // There alone: on the network chosen, not on every network of the computer.
    const QString failure =
        Serveur.start(QHostAddress(ChoixAdresse->currentText()), quint16(SaisiePort->value()));
    if (!failure.isEmpty()) {
        ui::MessageBox::critical(
            kTitle, QStringLiteral("La saisie aux tables n'a pas pu démarrer : %1").arg(failure));
        return;
    }
    showState();
    m_refresh->start();
}

void SaisieTables::Arreter_Click() {
    Serveur.stop();
    m_refresh->stop();
    showState();
}

void SaisieTables::showState() {
    const bool started = Serveur.isListening();
    Demarrer->setEnabled(!started);
    Arreter->setEnabled(started);
    SaisiePort->setEnabled(!started);
    ChoixAdresse->setEnabled(!started);
    AfficherSalle->setEnabled(started);
    if (!started) {
        Etat->setText(QStringLiteral("Arrêtée : aucun téléphone ne peut saisir de scores. Les "
                                     "grilles de comptage s'impriment sans clé."));
        Adresse->clear();
        CodeQr->clear();
        return;
    }
    const QString url = address();
    Adresse->setText(url);
    CodeQr->setPixmap(QPixmap::fromImage(
        ui::qrCode(url).scaled(kQrPixels, kQrPixels, Qt::KeepAspectRatio, Qt::FastTransformation)));
    Etat->setText(
        Serveur.address().isLoopback()
            ? QStringLiteral("En service, mais à l'adresse de cet ordinateur seul : aucun "
                             "téléphone ne l'atteint. Arrêtez, choisissez dans « Adresse de "
                             "l'ordinateur » son adresse sur le réseau du club (reliez-le "
                             "d'abord au réseau), puis démarrez de nouveau.")
            : QStringLiteral("En service : sur un téléphone relié au réseau du club, ouvrez "
                             "l'adresse ci-dessous, ou photographiez le code de la grille de "
                             "comptage de la table (imprimez les grilles maintenant)."));
}

void SaisieTables::refreshRounds() {
    const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
    try {
        DataSaisie.DatabaseName = databasePath();
        // Read again only once the file has changed.
        const quint64 changes = DataSaisie.Database().connection().changeCount();
        if (changes == m_changesShown)
            return;
        const QList<results::RoundTables> rounds = results::roundTables(DataSaisie, databasePath());
        Manches->setRowCount(int(rounds.size()));
        for (int row = 0; row < rounds.size(); ++row) {
            const results::RoundTables& r = rounds[row];
            Manches->setItem(row, 0, cell(QString::number(r.round)));
            Manches->setItem(row, 1, cell(QString::number(r.entered.size())));
            Manches->setItem(row, 2, cell(QString::number(r.entered.size() + r.missing.size())));
        }
        m_changesShown = changes;
    } catch (const db::DbError& error) {
        Etat->setText(
            QStringLiteral("Les tables n'ont pas pu être lues : %1").arg(common::cause(error)));
    }
}

void SaisieTables::entryStored(const Entry& entry) {
    Dernieres->insertRow(0);
    Dernieres->setItem(0, 0, cell(entry.when.toString(QStringLiteral("HH:mm:ss"))));
    Dernieres->setItem(0, 1, cell(entry.code));
    // A column for the fifth seat once a table of five has come.
    while (Dernieres->columnCount() < 2 + entry.scores.size()) {
        const int column = Dernieres->columnCount();
        Dernieres->insertColumn(column);
        Dernieres->setHorizontalHeaderItem(column, new QTableWidgetItem(db::seatName(column - 1)));
    }
    for (int n = 0; n < entry.scores.size(); ++n)
        Dernieres->setItem(0, 2 + n, cell(entry.scores[n]));
    if (Dernieres->rowCount() > kEntriesShown)
        Dernieres->setRowCount(kEntriesShown);
}

void SaisieTables::phoneTurnedAway(const TurnedAway& turned) {
    Count& count = turned.slowed ? m_slowed : m_refused;
    ++count.times;
    count.last = turned;
    (turned.slowed ? Ralentis : Refuses)
        ->setText(told(turned.slowed ? QStringLiteral("Téléphones ralentis")
                                     : QStringLiteral("Téléphones refusés"),
                       count.times, turned));
}

void SaisieTables::NouvelleCle_Click() {
    const QString code = SaisieCleTable->text().trimmed();
    const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
    std::variant<QString, results::Refusal> given;
    try {
        DataSaisie.DatabaseName = databasePath();
        given = giveNewKey(DataSaisie.Database().connection(), code);
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(kTitle,
                                 QStringLiteral("La nouvelle clé de la table %1 n'a pas pu être "
                                                "enregistrée : %2\n\nL'ancienne clé reste "
                                                "valable.")
                                     .arg(code, common::cause(error)));
        return;
    }
    if (const auto* refused = std::get_if<results::Refusal>(&given)) {
        ui::MessageBox::critical(kTitle, refused->text);
        SaisieCleTable->setFocus();
        return;
    }
    ui::MessageBox::information(
        kTitle, QStringLiteral("La table %1 a une nouvelle clé : %2\n\nL'ancienne clé, celle "
                               "de la grille perdue, est refusée désormais. Imprimez de nouveau "
                               "la grille de la table, ou donnez cette clé à ses joueurs.")
                    .arg(code, std::get<QString>(given)));
    SaisieCleTable->clear();
}

void SaisieTables::ChoixClassement_Change(int index) {
    Serveur.service().pages().ranking = LiveRanking(qBound(0, index, 2));
}

void SaisieTables::AfficherSalle_Click() {
    const QString url = address();
    if (url.isEmpty())
        return;
    if (!openUrl(QUrl(url + QStringLiteral("salle"))))
        ui::MessageBox::critical(
            kTitle, QStringLiteral("Le navigateur de cet ordinateur ne s'est pas ouvert.\n\n"
                                   "Ouvrez-le vous-même à l'adresse %1salle")
                        .arg(url));
}

void SaisieTables::DonneParDonne_Click(bool checked) {
    const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
    try {
        DataSaisie.DatabaseName = databasePath();
        db::setDealByDeal(DataSaisie.Database().connection(), checked);
    } catch (const db::DbError& error) {
        DonneParDonne->setChecked(!checked);
        ui::MessageBox::critical(kTitle, QStringLiteral("Le choix « Saisie donne par donne » n'a "
                                                        "pas pu être enregistré : %1\n\nIl "
                                                        "reste tel qu'il était.")
                                             .arg(common::cause(error)));
    }
}

void SaisieTables::closeEvent(QCloseEvent* event) {
    Arreter_Click();
    CommandWindow::closeEvent(event);
}

} // namespace tables
