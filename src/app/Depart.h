#pragma once

#include "HelpViewer.h"
#include "Platform.h"
#include "db/DataControl.h"
#include "ui/Shell.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QLabel;
class QLockFile;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;

namespace db {
class Connection;
}
namespace tables {
class SaisieTables;
}

namespace app {

// The main window: start-up, the menus and the tool bar that start every command, the status
// bar, and the two parts the commands hide and show (the card picture and the printing panel).
class Depart : public QMainWindow, public ui::Shell {
    Q_OBJECT
public:
    explicit Depart(Environment environment, QWidget* parent = nullptr);
    ~Depart() override;

    // Start-up. False when the program must end at once: another copy runs, or the tournament
    // file does not open (the organiser has been told why).
    bool Form_Load();

    QString programDirectory() const override { return m_environment.programDirectory; }
    void setCartesVisible(bool visible) override;
    void setMessageVisible(bool visible) override;
    void setBusy(bool busy) override;
    QString tableEntryAddress() const override;
    QString keyedTableEntryAddress() override;
    QString keyedPlayerPageAddress() override;
    void openRegistration() override { MenuInscriptions_Click(); }
    void printSeasonRanking(const QDate& from, const QDate& to) override;
    void exportSeasonRanking(const QDate& from, const QDate& to) override;

    QString versionText() const { return m_versionText; }
    QString fileDateText() const { return m_fileDateText; }
    HelpViewer& helpViewer() { return m_help; }

public slots:
    // A tool-bar button was pressed: runs the handler of the menu command of the same meaning.
    void Toolbar1_ButtonClick(const QString& key);

    virtual void MenuInscriptions_Click();
    virtual void MenuEquipe_Click();
    virtual void MenuArrivees_Click();
    virtual void MenuSaisie_Click();
    virtual void MenuCorrection_Click();
    virtual void MenuSaisieTables_Click();
    virtual void MenuQuitter_Click();
    virtual void MenuListeEquipe_Click();
    virtual void MenuGriles_Click();
    virtual void MenuFeuillesRoute_Click();
    virtual void MenuResultats_Click();
    virtual void MenuExporter_Click();
    virtual void MenuManches_Click();
    virtual void MenuReinitialisation_Click();
    virtual void MenuRestaurer_Click();
    virtual void MenuSoirees_Click();
    virtual void MenuJoueurs_Click();
    virtual void MenuImporter_Click();
    virtual void MenuClassementSaison_Click();
    virtual void MenuApropos_Click();
    virtual void MenuAide_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_QueryUnload();
    bool openDatabase();
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void updateStatusBar();
    // Where a report's pages go: the default printer, or PDF files in "Impressions" beside
    // the program, that folder then opened for the organiser.
    template <typename Report, typename... Data> void printReport(Data&... data);
    // Files written into a folder: the folder opened for the organiser, or, without a file
    // viewer, a message naming it and the files ("<written> dans le dossier : ...").
    void showFiles(const QString& title, const QString& written, const QString& folder,
                   const QStringList& files);

    Environment m_environment;
    std::unique_ptr<QLockFile> m_instanceLock;
    std::shared_ptr<db::Connection> m_mainConnection;
    HelpViewer m_help;
    QString m_versionText;
    QString m_fileDateText;
    bool m_insertMode = false;

public:
    // Controls, under their names.
    QMenu* MenuFichier = nullptr;
    QAction* MenuInscriptions = nullptr;
    QAction* MenuEquipe = nullptr;
    QAction* MenuArrivees = nullptr;
    QAction* MenuSepare01 = nullptr;
    QAction* MenuSaisie = nullptr;
    QAction* MenuCorrection = nullptr;
    QAction* MenuSaisieTables = nullptr;
    QAction* MenuSepare02 = nullptr;
    QAction* MenuQuitter = nullptr;
    QMenu* MenuEditions = nullptr;
    QAction* MenuListeEquipe = nullptr;
    QAction* MenuGriles = nullptr;
    QAction* MenuFeuillesRoute = nullptr;
    QAction* MenuResultats = nullptr;
    QAction* MenuExporter = nullptr;
    QMenu* MnuParametres = nullptr;
    QAction* MenuManches = nullptr;
    QAction* MenuReinitialisation = nullptr;
    QAction* MenuRestaurer = nullptr;
    QMenu* MenuSaison = nullptr;
    QAction* MenuSoirees = nullptr;
    QAction* MenuJoueurs = nullptr;
    QAction* MenuImporter = nullptr;
    QAction* MenuClassementSaison = nullptr;
    QMenu* MenuInterro = nullptr;
    QAction* MenuApropos = nullptr;
    QAction* MenuAide = nullptr;

    QToolBar* Toolbar1 = nullptr;
    QStatusBar* Barre = nullptr;
    QLabel* Cartes = nullptr;
    QLabel* Message = nullptr;
    // The seven panels of the status bar, left to right.
    QLabel* Panneaux[7] = {};

    db::DataControl DataReinit;
    db::DataControl DataEditions;
    db::DataControl DataInscriptions;

private:
    QTimer* m_statusTimer = nullptr;
    QPointer<tables::SaisieTables> m_tableEntry; // the one window of score entry at the tables
};

} // namespace app
