#include "Depart.h"

#include "Apropos.h"
#include "backup/Restauration.h"
#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/PlayerKeys.h"
#include "db/Schema.h"
#include "draw/ArriveesDeparts.h"
#include "draw/Tirage.h"
#include "registration/Inscriptions.h"
#include "registration/Registration.h"
#include "registration/Reinitialisation.h"
#include "reports/PainterSurface.h"
#include "reports/Ranking.h"
#include "reports/RankingExport.h"
#include "reports/RouteCards.h"
#include "reports/ScoreSheets.h"
#include "reports/SeasonRanking.h"
#include "reports/TableList.h"
#include "results/Correction.h"
#include "results/Resultats.h"
#include "season/ClassementSaison.h"
#include "season/ImporterJoueurs.h"
#include "season/JoueursSaison.h"
#include "season/Soirees.h"
#include "settings/Parametres.h"
#include "tables/SaisieTables.h"
#include "tables/TableKeys.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLockFile>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace app {
namespace {

const QString kTitle = QStringLiteral("Velmora");

// The tool bar, in its five groups; an empty key marks the gap between two groups.
struct Button {
    const char* key;
    const char* toolTip;
    const char* picture;
};
const Button kButtons[] = {
    {"Inscriptions", "Saisie des inscriptions", "inscriptions"},
    {"Tables", "Constitution des tables", "tables"},
    {"Resultats", "Saisie des résultats", "resultats"},
    {"Correction", "Correction des résultats", "correction"},
    {nullptr, nullptr, nullptr},
    {"ListeTables", "Edition de liste des tables", "listetables"},
    {"Grilles", "Edition des grilles de résultats", "grilles"},
    {"ListeResultats", "Edition des classements", "listeresultats"},
    {nullptr, nullptr, nullptr},
    {"Manches", "Paramètrage du nombre de manches et parties", "manches"},
    {"Reinitialisation", "Réinitialisation de la base", "reinitialisation"},
    {nullptr, nullptr, nullptr},
    {"Quitter", "Quitter", "quitter"},
    {nullptr, nullptr, nullptr},
    {"Apropos", "A propos", "apropos"},
    {"Aide", "Aide", "aide"},
};

// Why the tournament file did not open, in the organiser's words.
QString openFailure(const QString& path, const QString& cause) {
    return QStringLiteral("Impossible d'ouvrir la base du tournoi :\n%1\n\n%2\n\nLe programme va "
                          "s'arrêter.")
        .arg(QDir::toNativeSeparators(path), cause);
}

// Player numbers that an earlier build, or another program, gave to two players.
QString duplicateNumbersText(const QList<qint64>& numbers) {
    QStringList list;
    for (const qint64 n : numbers)
        list.append(QString::number(n));
    const QString first =
        numbers.size() == 1
            ? QStringLiteral("Le numéro de joueur %1 est attribué à plusieurs inscrits !!!")
            : QStringLiteral("Les numéros de joueur %1 sont attribués chacun à plusieurs "
                             "inscrits !!!");
    return first.arg(list.join(QStringLiteral(", "))) +
           QStringLiteral("\n\nToutes les inscriptions sont conservées, mais la constitution "
                          "des tables, la saisie des résultats et le classement ne peuvent pas "
                          "distinguer ces joueurs. Une réinitialisation de la base permet de "
                          "les inscrire à nouveau.");
}

} // namespace

Depart::Depart(Environment environment, QWidget* parent)
    : QMainWindow(parent), m_environment(std::move(environment)) {
    setObjectName(QStringLiteral("Depart"));
    setWindowTitle(kTitle);
    setWindowIcon(QIcon(QStringLiteral(":/icons/velmora.png")));

    auto* client = new QWidget(this);
    auto* layout = new QGridLayout(client);
    Cartes = new QLabel(client);
    Cartes->setObjectName(QStringLiteral("Cartes"));
    Cartes->setPixmap(QPixmap(QStringLiteral(":/cartes.png")));
    // Both centred in the client area, the panel over the picture.
    layout->addWidget(Cartes, 0, 0, Qt::AlignCenter);
    Message =
        new QLabel(QStringLiteral("Impressions en cours !!      Veuillez patienter ..."), client);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Message->setLineWidth(2);
    Message->setMargin(24);
    Message->setAutoFillBackground(true);
    QFont messageFont = Message->font();
    messageFont.setPointSize(14);
    messageFont.setBold(true);
    Message->setFont(messageFont);
    Message->hide();
    layout->addWidget(Message, 0, 0, Qt::AlignCenter);
    setCentralWidget(client);

    buildMenus();
    buildToolBar();
    buildStatusBar();
    resize(1024, 700);
}

Depart::~Depart() {
    // The help window goes with the main window, whatever its modality.
    m_help.close();
}

// ---- Start-up -------------------------------------------------------------------------------

bool Depart::Form_Load() {
    // One copy only. The lock lies beside the database. A lock left by a copy that ended
    // without removing it (a crash) names a process that no longer runs, or is old, and is
    // taken over; a running copy keeps its lock however old, as it holds it locked.
    m_instanceLock =
        std::make_unique<QLockFile>(m_environment.programDirectory + QStringLiteral("Velmora.lck"));
    if (!m_instanceLock->tryLock(0)) {
        if (m_instanceLock->error() == QLockFile::LockFailedError) {
            ui::MessageBox::critical(kTitle, QStringLiteral("L'application est déjà en mémoire "
                                                            "!!\n\nUtiliser la barre des taches"));
            return false;
        }
        // A directory where no lock can be written: carry on, the database says the rest.
    }

    // The details of any failure of the tournament file go beside it.
    common::setLogDirectory(m_environment.programDirectory);

    // Help file, and F1 from every window of the program.
    m_help.attach((m_environment.helpDirectory.isEmpty() ? m_environment.programDirectory
                                                         : m_environment.helpDirectory) +
                  QStringLiteral("Velmora.hlp"));
    qApp->installEventFilter(this);

    // The main connection, kept open for the whole run.
    if (!openDatabase())
        return false;

    m_fileDateText = app::fileDateText(QFileInfo(m_environment.programFile).lastModified());
    m_versionText = app::versionText(m_environment.versionMajor, m_environment.versionMinor);
    Panneaux[0]->setText(statusTitle(m_versionText));
    updateStatusBar();
    m_statusTimer->start();
    return true;
}

bool Depart::openDatabase() {
    const QString path = db::databasePath(m_environment.programDirectory);
    const QFileInfo file(path);
    if (!file.exists()) {
        ui::MessageBox::critical(
            kTitle, openFailure(path, QStringLiteral("Le fichier est introuvable : il doit se "
                                                     "trouver dans le répertoire du programme.")));
        return false;
    }
    if (!file.isFile() || !file.isReadable()) {
        ui::MessageBox::critical(kTitle,
                                 openFailure(path, QStringLiteral("Le fichier ne peut pas être "
                                                                  "lu (droits d'accès).")));
        return false;
    }
    if (!file.isWritable() || !QFileInfo(file.absolutePath()).isWritable()) {
        // Read-only, every score typed would be lost at its first storing.
        ui::MessageBox::critical(
            kTitle, openFailure(path, QStringLiteral("Le fichier, ou son répertoire, est protégé "
                                                     "en écriture : aucune saisie ne pourrait y "
                                                     "être enregistrée.")));
        return false;
    }
    db::SchemaCheck check;
    try {
        m_mainConnection = db::OpenDatabase(path, false, false, QString::fromUtf16(db::kConnect));
        const QStringList missing = db::missingTables(*m_mainConnection);
        if (!missing.isEmpty()) {
            m_mainConnection.reset();
            ui::MessageBox::critical(
                kTitle, openFailure(path, QStringLiteral("Le fichier ne contient pas les tables "
                                                         "du tournoi (%1).")
                                              .arg(missing.join(QStringLiteral(", ")))));
            return false;
        }
        check = db::upgradeDatabase(*m_mainConnection);
    } catch (const db::DbError& error) {
        m_mainConnection.reset();
        QString cause;
        switch (error.kind()) {
        case db::DbError::Kind::NotADatabase:
            cause = QStringLiteral("Ce n'est pas une base Velmora, ou elle ne s'ouvre pas avec "
                                   "son mot de passe.");
            break;
        case db::DbError::Kind::ReadOnly:
            cause = QStringLiteral("Le fichier est protégé en écriture : aucune saisie ne "
                                   "pourrait y être enregistrée.");
            break;
        case db::DbError::Kind::Busy:
            cause = QStringLiteral("Un autre programme utilise le fichier : fermez-le, puis "
                                   "relancez Velmora.");
            break;
        default:
            cause = common::cause(error);
            cause[0] = cause[0].toUpper();
        }
        ui::MessageBox::critical(kTitle, openFailure(path, cause));
        return false;
    }
    if (!check.duplicateNumbers.isEmpty())
        ui::MessageBox::critical(kTitle, duplicateNumbersText(check.duplicateNumbers));
    return true;
}

// ---- Menus and tool bar ---------------------------------------------------------------------

void Depart::buildMenus() {
    const auto command = [this](QMenu* menu, QAction*& action, const char* name,
                                const QString& caption, void (Depart::*handler)()) {
        action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    const auto separator = [](QMenu* menu, QAction*& action, const char* name) {
        action = menu->addSeparator();
        action->setObjectName(QString::fromLatin1(name));
    };

    MenuFichier = menuBar()->addMenu(QStringLiteral("&Fichier"));
    MenuFichier->setObjectName(QStringLiteral("MenuFichier"));
    command(MenuFichier, MenuInscriptions, "MenuInscriptions", QStringLiteral("&Inscriptions"),
            &Depart::MenuInscriptions_Click);
    command(MenuFichier, MenuEquipe, "MenuEquipe", QStringLiteral("&Constitution des tables"),
            &Depart::MenuEquipe_Click);
    command(MenuFichier, MenuArrivees, "MenuArrivees", QStringLiteral("&Arrivées et départs"),
            &Depart::MenuArrivees_Click);
    separator(MenuFichier, MenuSepare01, "MenuSepare01");
    command(MenuFichier, MenuSaisie, "MenuSaisie", QStringLiteral("&Saisie des résultats"),
            &Depart::MenuSaisie_Click);
    command(MenuFichier, MenuCorrection, "MenuCorrection",
            QStringLiteral("Co&rrection des résultats"), &Depart::MenuCorrection_Click);
    command(MenuFichier, MenuSaisieTables, "MenuSaisieTables", QStringLiteral("Saisie aux &tables"),
            &Depart::MenuSaisieTables_Click);
    separator(MenuFichier, MenuSepare02, "MenuSepare02");
    command(MenuFichier, MenuQuitter, "MenuQuitter", QStringLiteral("&Quitter"),
            &Depart::MenuQuitter_Click);
    // F12 quits: the key this command has always carried.
    MenuQuitter->setShortcut(QKeySequence(Qt::Key_F12));

    MenuEditions = menuBar()->addMenu(QStringLiteral("&Editions"));
    MenuEditions->setObjectName(QStringLiteral("MenuEditions"));
    command(MenuEditions, MenuListeEquipe, "MenuListeEquipe", QStringLiteral("&Liste des tables"),
            &Depart::MenuListeEquipe_Click);
    command(MenuEditions, MenuGriles, "MenuGriles",
            QStringLiteral("&Grilles de comptage de points"), &Depart::MenuGriles_Click);
    command(MenuEditions, MenuFeuillesRoute, "MenuFeuillesRoute",
            QStringLiteral("&Feuilles de route"), &Depart::MenuFeuillesRoute_Click);
    command(MenuEditions, MenuResultats, "MenuResultats", QStringLiteral("&Résultats"),
            &Depart::MenuResultats_Click);
    command(MenuEditions, MenuExporter, "MenuExporter", QStringLiteral("&Exporter le classement"),
            &Depart::MenuExporter_Click);

    MnuParametres = menuBar()->addMenu(QStringLiteral("&Paramètres"));
    MnuParametres->setObjectName(QStringLiteral("MnuParametres"));
    command(MnuParametres, MenuManches, "MenuManches", QStringLiteral("&Manches et parties"),
            &Depart::MenuManches_Click);
    command(MnuParametres, MenuReinitialisation, "MenuReinitialisation",
            QStringLiteral("&Réinitialisation de la base"), &Depart::MenuReinitialisation_Click);
    command(MnuParametres, MenuRestaurer, "MenuRestaurer",
            QStringLiteral("Restaurer une &sauvegarde"), &Depart::MenuRestaurer_Click);

    MenuSaison = menuBar()->addMenu(QStringLiteral("&Saison"));
    MenuSaison->setObjectName(QStringLiteral("MenuSaison"));
    command(MenuSaison, MenuSoirees, "MenuSoirees", QStringLiteral("&Soirées"),
            &Depart::MenuSoirees_Click);
    command(MenuSaison, MenuJoueurs, "MenuJoueurs", QStringLiteral("&Joueurs"),
            &Depart::MenuJoueurs_Click);
    command(MenuSaison, MenuImporter, "MenuImporter", QStringLiteral("&Importer des joueurs"),
            &Depart::MenuImporter_Click);
    command(MenuSaison, MenuClassementSaison, "MenuClassementSaison",
            QStringLiteral("&Classement de la saison"), &Depart::MenuClassementSaison_Click);

    MenuInterro = menuBar()->addMenu(QStringLiteral("&?"));
    MenuInterro->setObjectName(QStringLiteral("MenuInterro"));
    command(MenuInterro, MenuApropos, "MenuApropos", QStringLiteral("A &propos"),
            &Depart::MenuApropos_Click);
    command(MenuInterro, MenuAide, "MenuAide", QStringLiteral("&Aide"), &Depart::MenuAide_Click);
}

void Depart::buildToolBar() {
    Toolbar1 = addToolBar(QStringLiteral("Barre d'outils"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(32, 32));
    for (const Button& button : kButtons) {
        if (!button.key) {
            // A gap between two groups, as wide as half a button.
            auto* gap = new QWidget(Toolbar1);
            gap->setFixedWidth(16);
            Toolbar1->addWidget(gap);
            continue;
        }
        const QString key = QString::fromLatin1(button.key);
        QAction* action = Toolbar1->addAction(
            QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1StringView(button.picture))),
            QString::fromUtf8(button.toolTip));
        action->setObjectName(QStringLiteral("Toolbar1_") + key);
        action->setData(key);
        action->setToolTip(QString::fromUtf8(button.toolTip));
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    }
}

void Depart::Toolbar1_ButtonClick(const QString& key) {
    static const QHash<QString, void (Depart::*)()> handlers = {
        {QStringLiteral("Inscriptions"), &Depart::MenuInscriptions_Click},
        {QStringLiteral("Tables"), &Depart::MenuEquipe_Click},
        {QStringLiteral("Resultats"), &Depart::MenuSaisie_Click},
        {QStringLiteral("Correction"), &Depart::MenuCorrection_Click},
        {QStringLiteral("ListeTables"), &Depart::MenuListeEquipe_Click},
        {QStringLiteral("Grilles"), &Depart::MenuGriles_Click},
        {QStringLiteral("ListeResultats"), &Depart::MenuResultats_Click},
        {QStringLiteral("Manches"), &Depart::MenuManches_Click},
        {QStringLiteral("Reinitialisation"), &Depart::MenuReinitialisation_Click},
        {QStringLiteral("Quitter"), &Depart::MenuQuitter_Click},
        {QStringLiteral("Apropos"), &Depart::MenuApropos_Click},
        {QStringLiteral("Aide"), &Depart::MenuAide_Click},
    };
    const auto found = handlers.constFind(key);
    if (found != handlers.cend())
        (this->*found.value())();
}

// ---- Status bar -----------------------------------------------------------------------------

void Depart::buildStatusBar() {
    Barre = statusBar();
    Barre->setObjectName(QStringLiteral("Barre"));
    Barre->setSizeGripEnabled(false);
    for (int i = 0; i < 7; ++i) {
        Panneaux[i] = new QLabel(Barre);
        Panneaux[i]->setObjectName(QStringLiteral("Panneau%1").arg(i + 1));
        Panneaux[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        Panneaux[i]->setAlignment(Qt::AlignCenter);
        if (i == 0) {
            Panneaux[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            Barre->addWidget(Panneaux[i], 1); // the widest
        } else {
            // Wide enough for the longest text of the panel, so nothing moves as it changes.
            static const char* const widest[] = {"",    "DEFIL",      "INS",  "MAJ",
                                                 "NUM", "00/00/0000", "00:00"};
            Panneaux[i]->setMinimumWidth(
                Panneaux[i]->fontMetrics().horizontalAdvance(QString::fromLatin1(widest[i])) + 16);
            Barre->addPermanentWidget(Panneaux[i]);
        }
    }
    m_statusTimer = new QTimer(this);
    m_statusTimer->setInterval(250);
    connect(m_statusTimer, &QTimer::timeout, this, &Depart::updateStatusBar);
}

void Depart::updateStatusBar() {
    const LockKeys keys = m_environment.lockKeys ? m_environment.lockKeys() : LockKeys{};
    Panneaux[1]->setText(keys.scroll ? QStringLiteral("DEFIL") : QString());
    Panneaux[2]->setText(m_insertMode ? QStringLiteral("INS") : QString());
    Panneaux[3]->setText(keys.caps ? QStringLiteral("MAJ") : QString());
    Panneaux[4]->setText(keys.num ? QStringLiteral("NUM") : QString());
    const QDateTime now =
        m_environment.clock ? m_environment.clock() : QDateTime::currentDateTime();
    Panneaux[5]->setText(now.toString(QStringLiteral("dd/MM/yyyy")));
    Panneaux[6]->setText(now.toString(QStringLiteral("HH:mm")));
}

// ---- Shell ----------------------------------------------------------------------------------

void Depart::setCartesVisible(bool visible) {
    Cartes->setVisible(visible);
}

void Depart::setMessageVisible(bool visible) {
    Message->setVisible(visible);
    if (visible) {
        Message->raise();
        // Printing holds the window until it ends: the panel must be painted now.
        repaint();
        QCoreApplication::processEvents();
    }
}

void Depart::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// ---- Commands -------------------------------------------------------------------------------

void Depart::MenuInscriptions_Click() {
    setCartesVisible(false);
    (new registration::Inscriptions(*this, this))->start();
}

void Depart::MenuManches_Click() {
    setCartesVisible(false);
    (new settings::Parametres(*this, this))->start();
}

void Depart::MenuReinitialisation_Click() {
    registration::reinitialiserBase(*this, DataReinit);
}

void Depart::MenuEquipe_Click() {
    const QString title = QStringLiteral("Constitution des équipes");
    setCartesVisible(false);
    bool nobody = false;
    try {
        nobody =
            registration::registrationCount(DataReinit, db::databasePath(programDirectory())) == 0;
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(title, QStringLiteral("Les inscriptions n'ont pas pu être lues : "
                                                       "%1\n\nLa constitution des équipes ne peut "
                                                       "se faire !!!")
                                            .arg(common::cause(error)));
        setCartesVisible(true);
        return;
    }
    if (nobody) {
        ui::MessageBox::critical(title, QStringLiteral("Il n'y a aucun inscrit !!!\n\nLa "
                                                       "constitution des équipes ne peut se "
                                                       "faire !!!"));
        setCartesVisible(true);
        return;
    }
    (new draw::Tirage(*this, this))->start();
}

void Depart::MenuArrivees_Click() {
    setCartesVisible(false);
    (new draw::ArriveesDeparts(*this, this))->start();
}

void Depart::MenuSaisie_Click() {
    setCartesVisible(false);
    (new results::Resultats(*this, this))->start();
}

void Depart::MenuCorrection_Click() {
    setCartesVisible(false);
    (new results::Correction(*this, this))->start();
}

void Depart::MenuSaisieTables_Click() {
    // One window at a time: the one open comes to the front.
    if (m_tableEntry) {
        m_tableEntry->show();
        m_tableEntry->raise();
        m_tableEntry->activateWindow();
        return;
    }
    m_tableEntry = new tables::SaisieTables(*this, this);
    m_tableEntry->start();
}

QString Depart::tableEntryAddress() const {
    return m_tableEntry ? m_tableEntry->address() : QString();
}

QString Depart::keyedTableEntryAddress() {
    if (!m_tableEntry)
        return QString();
    m_tableEntry->ensureKeys();
    return m_tableEntry->address();
}

QString Depart::keyedPlayerPageAddress() {
    const QString entry = tableEntryAddress();
    if (entry.isEmpty() || !m_mainConnection)
        return QString();
    try {
        db::addMissingPlayerKeys(*m_mainConnection, tables::newKey);
    } catch (const db::DbError&) {
        // Nothing written: the cards of the players still without a key print none, and the
        // report says so.
    }
    return entry + QStringLiteral("joueur");
}

void Depart::MenuRestaurer_Click() {
    setCartesVisible(false);
    (new backup::Restauration(*this, this))->start();
}

template <typename Report, typename... Data> void Depart::printReport(Data&... data) {
    const bool toPrinter = m_environment.hasPrinter && m_environment.hasPrinter();
    reports::PainterSurface Printer(
        toPrinter ? QString() : programDirectory() + QStringLiteral("Impressions"),
        m_environment.clock ? m_environment.clock() : QDateTime::currentDateTime());
    Report report(*this, data..., Printer);
    report.print();
    showFiles(report.title(), QStringLiteral("Les pages ont été enregistrées"), Printer.folder(),
              Printer.files());
}

void Depart::showFiles(const QString& title, const QString& written, const QString& folder,
                       const QStringList& files) {
    if (files.isEmpty())
        return;
    if (m_environment.openFolder && m_environment.openFolder(folder))
        return;
    // No file viewer on this machine: the organiser must still learn where his files are.
    QStringList names;
    for (const QString& file : files)
        names.append(QFileInfo(file).fileName());
    ui::MessageBox::information(
        title, QStringLiteral("%1 dans le dossier :\n%2\n\n%3")
                   .arg(written, QDir::toNativeSeparators(folder), names.join(u'\n')));
}

void Depart::MenuListeEquipe_Click() {
    printReport<reports::TableList>(DataEditions);
}

void Depart::MenuGriles_Click() {
    printReport<reports::ScoreSheets>(DataEditions);
}

void Depart::MenuFeuillesRoute_Click() {
    printReport<reports::RouteCards>(DataEditions);
}

void Depart::MenuResultats_Click() {
    printReport<reports::Ranking>(DataEditions, DataInscriptions);
}

void Depart::MenuExporter_Click() {
    reports::RankingExport ranking(
        *this, DataEditions, DataInscriptions, programDirectory() + QStringLiteral("Impressions"),
        m_environment.clock ? m_environment.clock() : QDateTime::currentDateTime());
    ranking.write();
    showFiles(ranking.title(), QStringLiteral("Le classement a été exporté"), ranking.folder(),
              ranking.files());
}

// ---- The club's season -----------------------------------------------------------------------

void Depart::MenuSoirees_Click() {
    setCartesVisible(false);
    (new season::Soirees(*this, this))->start();
}

void Depart::MenuJoueurs_Click() {
    setCartesVisible(false);
    (new season::JoueursSaison(*this, this))->start();
}

void Depart::MenuImporter_Click() {
    setCartesVisible(false);
    (new season::ImporterJoueurs(*this, this))->start();
}

void Depart::MenuClassementSaison_Click() {
    setCartesVisible(false);
    const QDate today =
        (m_environment.clock ? m_environment.clock() : QDateTime::currentDateTime()).date();
    (new season::ClassementSaison(*this, this, today))->start();
}

void Depart::printSeasonRanking(const QDate& from, const QDate& to) {
    const bool toPrinter = m_environment.hasPrinter && m_environment.hasPrinter();
    reports::PainterSurface Printer(
        toPrinter ? QString() : programDirectory() + QStringLiteral("Impressions"),
        m_environment.clock ? m_environment.clock() : QDateTime::currentDateTime());
    reports::SeasonRanking report(*this, DataEditions, from, to, Printer);
    report.print();
    setCartesVisible(false); // the season's window is still open
    showFiles(report.title(), QStringLiteral("Les pages ont été enregistrées"), Printer.folder(),
              Printer.files());
}

void Depart::exportSeasonRanking(const QDate& from, const QDate& to) {
    reports::SeasonRankingExport ranking(
        *this, DataEditions, from, to, programDirectory() + QStringLiteral("Impressions"),
        m_environment.clock ? m_environment.clock() : QDateTime::currentDateTime());
    ranking.write();
    setCartesVisible(false);
    showFiles(ranking.title(), QStringLiteral("Le classement de la saison a été exporté"),
              ranking.folder(), ranking.files());
}

void Depart::MenuApropos_Click() {
    setCartesVisible(false);
    auto* window = new Apropos(*this, m_versionText, m_fileDateText,
                               QFileInfo(m_environment.programFile).fileName(), this);
    window->show();
}

void Depart::MenuAide_Click() {
    // As if the organiser had pressed F1 where he stands.
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
}

void Depart::MenuQuitter_Click() {
    close();
}

void Depart::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
}

void Depart::Form_QueryUnload() {
    // Every change is already stored: nothing to save, nothing to ask.
    m_help.close();
    QCoreApplication::quit();
}

bool Depart::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F1) {
            m_help.openContents();
            return true;
        }
        // A key not taken by a widget travels up to its parents: count it once, at the
        // widget it was typed in.
        QWidget* first = QApplication::focusWidget();
        const bool typedHere =
            first ? watched == first : static_cast<QWidget*>(watched)->isWindow();
        if (key == Qt::Key_Insert && typedHere && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            m_insertMode = !m_insertMode;
            updateStatusBar();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace app
