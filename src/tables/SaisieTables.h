#pragma once

#include "TableServer.h"
#include "db/DataControl.h"
#include "ui/CommandWindow.h"

#include <QHostAddress>
#include <QUrl>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace tables {

// The window of score entry at the tables: the local web server started and stopped, the
// address the players type or photograph, and what comes in, round by round. Closed, it stops
// the server: nothing listens unless this window is open and started.
class SaisieTables : public ui::CommandWindow {
    Q_OBJECT
public:
    SaisieTables(ui::Shell& shell, QWidget* parent);
    ~SaisieTables() override;

    // While started, the address of the page ("http://192.168.1.20:8080/"), the one listened
    // on; empty while stopped. Reads nothing.
    QString address() const;
    // While started, gives its key to every table drawn since (a draw deletes the keys), so
    // that the sheets printed next carry one; a failure is told in the window's state.
    void ensureKeys();

    QLabel* EtiquettePort;
    QSpinBox* SaisiePort;
    QLabel* EtiquetteAdresse;
    QComboBox* ChoixAdresse; // the computer's address on the club's network, the likeliest first
    QPushButton* Demarrer;
    QPushButton* Arreter;
    QLabel* Etat;
    QLabel* Adresse;         // the address to type
    QLabel* CodeQr;          // and to photograph
    QTableWidget* Manches;   // per round: tables entered, tables drawn
    QTableWidget* Dernieres; // the last tables entered from a phone
    QLabel* Refuses;         // phones refused: how often, the last one and why
    QLabel* Ralentis;        // phones made to wait: the same
    QLabel* EtiquetteCleTable;
    QLineEdit* SaisieCleTable; // the code of a table whose sheet is lost
    QPushButton* NouvelleCle;  // gives it a new key
    QLabel* EtiquetteClassement;
    QComboBox* ChoixClassement; // the live ranking: not published, public, players with a key
    QPushButton* AfficherSalle; // the room's screen in this computer's browser
    // Opens an address in the desktop's browser; false when none opens. Tests replace it.
    std::function<bool(const QUrl&)> openUrl;
    QCheckBox* DonneParDonne;  // the phones enter each deal, the program adds them up
    TableServer Serveur;
    db::DataControl DataSaisie;

public slots:
    void Demarrer_Click();
    void Arreter_Click();
    void NouvelleCle_Click();
    void ChoixClassement_Change(int index);
    void AfficherSalle_Click();
    void DonneParDonne_Click(bool checked);

protected:
    bool Form_Load() override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The computer's addresses read again; false when the one the organiser chose is gone.
    bool fillAddresses();
    void showState();
    void refreshRounds();
    void entryStored(const Entry& entry);
    void phoneTurnedAway(const TurnedAway& turned);

    QString m_chosen; // the address the organiser chose; empty while he chose none
    struct Count {
        int times = 0;
        TurnedAway last;
    };
    Count m_refused, m_slowed;

    QTimer* m_refresh;
    quint64 m_changesShown = ~quint64(0); // the file's change count the rounds show
};

} // namespace tables
