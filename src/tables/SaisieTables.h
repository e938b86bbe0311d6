#pragma once

#include "TableServer.h"
#include "db/DataControl.h"
#include "ui/CommandWindow.h"

#include <QHostAddress>

class QComboBox;
class QLabel;
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

    // While started, the address of the page ("http://192.168.1.20:8080/"), every drawn table
    // then having its key, a draw made since included; empty while stopped.
    QString address();

    // Where the server listens: every network of the computer; a test keeps it to this
    // computer alone.
    QHostAddress listenAddress = QHostAddress::AnyIPv4;

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
    TableServer Serveur;
    db::DataControl DataSaisie;

public slots:
    void Demarrer_Click();
    void Arreter_Click();

protected:
    bool Form_Load() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void fillAddresses();
    void showState();
    void refreshRounds();
    void entryStored(const Entry& entry);

    QTimer* m_refresh;
    quint64 m_changesShown = ~quint64(0); // the file's change count the rounds show
};

} // namespace tables
