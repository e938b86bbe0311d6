#include "Correction.h"

#include "Deals.h"
#include "StoredScores.h"
#include "common/Cause.h"
#include "common/Decimal.h"
#include "db/DbError.h"
#include "ui/BoiteBoutons.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace results {
namespace {

using ui::place;
using ui::twips;

const QString kTitle = QStringLiteral("Correction des résultats");
constexpr int kWidthTwips = 6840;
constexpr int kDealsTwips = 7800; // the deals' panel, beside the window's own plan

QComboBox* choices(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    return box;
}

QSpinBox* counter(QWidget* parent, const char* name, int last) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, last);
    return box;
}

} // namespace

Correction::Correction(ui::Shell& shell, QWidget* parent)
    : TableWindow(shell, parent, "Correction", kTitle) {
    // The results window's plan, a button wider, and the tables missing below.
    DerniereCorrection = label("DerniereCorrection", QString());
    DerniereCorrection->setWordWrap(true);
    place(DerniereCorrection, 360, 2160, 6120, 480);
    Supprimer = new QPushButton(QStringLiteral("&Supprimer"), BoiteBoutons);
    Supprimer->setObjectName(QStringLiteral("Supprimer"));
    BoiteBoutons->setFixedSize(twips(this, 5415), twips(this, 735));
    place(Supprimer, 1440, 240, 1215, 375);
    place(Annuler, 2760, 240, 1215, 375);
    place(Quitter, 4080, 240, 1215, 375);
    Supprimer->setEnabled(false);
    connect(Supprimer, &QPushButton::clicked, this, &Correction::Supprimer_Click);
    setTabOrder(Valider, Supprimer);
    setTabOrder(Supprimer, Annuler);

    EtiquetteManquantes =
        label("EtiquetteManquantes", QStringLiteral("Tables saisies et tables manquantes"));
    place(EtiquetteManquantes, 360, 3480, 6120, 300);
    Manquantes = new QPlainTextEdit(this);
    Manquantes->setObjectName(QStringLiteral("Manquantes"));
    Manquantes->setReadOnly(true);
    Manquantes->setFocusPolicy(Qt::NoFocus);
    place(Manquantes, 360, 3780, 6120, 1380);
    setFixedSize(twips(this, kWidthTwips), twips(this, 5400));

    CadreDonnes = new QGroupBox(QStringLiteral("Donnes de la table"), this);
    CadreDonnes->setObjectName(QStringLiteral("CadreDonnes"));
    place(CadreDonnes, kWidthTwips, 120, kDealsTwips - 240, 5160);
    Donnes = new QTableWidget(CadreDonnes);
    Donnes->setObjectName(QStringLiteral("Donnes"));
    Donnes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Donnes->setSelectionBehavior(QAbstractItemView::SelectRows);
    Donnes->setSelectionMode(QAbstractItemView::SingleSelection);
    Donnes->verticalHeader()->hide();
    connect(Donnes, &QTableWidget::currentCellChanged, this,
            [this](int row) { Donnes_CurrentRowChanged(row); });
    ChoixPreneur = choices(CadreDonnes, "ChoixPreneur", {});
    ChoixContrat = choices(CadreDonnes, "ChoixContrat",
                           {common::contractName(1), common::contractName(2),
                            common::contractName(3), common::contractName(4)});
    SaisieBouts = counter(CadreDonnes, "SaisieBouts", 3);
    SaisiePoints = new QLineEdit(CadreDonnes);
    SaisiePoints->setObjectName(QStringLiteral("SaisiePoints"));
    SaisiePoints->setMaxLength(4);
    SaisieSimples = counter(CadreDonnes, "SaisieSimples", 2);
    SaisieDoubles = counter(CadreDonnes, "SaisieDoubles", 2);
    SaisieTriples = counter(CadreDonnes, "SaisieTriples", 1);
    ChoixPetit = choices(
        CadreDonnes, "ChoixPetit",
        {QStringLiteral("Non"), QStringLiteral("Au preneur"), QStringLiteral("À la défense")});
    ChoixChelem =
        choices(CadreDonnes, "ChoixChelem",
                {QStringLiteral("Non"), QStringLiteral("Annoncé et réussi"),
                 QStringLiteral("Réussi sans annonce"), QStringLiteral("Annoncé et chuté")});
    CorrigerDonne = new QPushButton(QStringLiteral("Corriger la &donne"), CadreDonnes);
    CorrigerDonne->setObjectName(QStringLiteral("CorrigerDonne"));
    connect(CorrigerDonne, &QPushButton::clicked, this, &Correction::CorrigerDonne_Click);
    auto* grid = new QGridLayout(CadreDonnes);
    grid->addWidget(Donnes, 0, 0, 1, 4);
    const auto field = [grid](int row, int column, const QString& caption, QWidget* w) {
        auto* label = new QLabel(caption, w->parentWidget());
        label->setBuddy(w);
        grid->addWidget(label, row, column);
        grid->addWidget(w, row, column + 1);
    };
    field(1, 0, QStringLiteral("Preneur :"), ChoixPreneur);
    field(1, 2, QStringLiteral("Contrat :"), ChoixContrat);
    field(2, 0, QStringLiteral("Bouts :"), SaisieBouts);
    field(2, 2, QStringLiteral("Points du preneur :"), SaisiePoints);
    field(3, 0, QStringLiteral("Poignées simples :"), SaisieSimples);
    field(3, 2, QStringLiteral("Poignées doubles :"), SaisieDoubles);
    field(4, 0, QStringLiteral("Poignée triple :"), SaisieTriples);
    field(4, 2, QStringLiteral("Petit au bout :"), ChoixPetit);
    field(5, 0, QStringLiteral("Chelem :"), ChoixChelem);
    grid->addWidget(CorrigerDonne, 5, 2, 1, 2);
    CadreDonnes->hide();
}

void Correction::showDeals(const QString& code) {
    const DealTable table = readDealTable(DataResultats, databasePath(), code);
    m_deals = table.refusal ? QList<db::Deal>() : table.deals;
    const bool shown = !m_deals.isEmpty();
    CadreDonnes->setVisible(shown);
    setFixedSize(twips(this, kWidthTwips + (shown ? kDealsTwips : 0)), height());
    if (!shown)
        return;
    QStringList headings{QStringLiteral("N°")};
    QStringList names;
    ChoixPreneur->clear();
    for (const Player& player : table.players) {
        headings.append(player.name.section(u' ', 0, 0));
        names.append(player.name);
        ChoixPreneur->addItem(player.name);
    }
    ChoixPreneur->addItem(QStringLiteral("Donne passée"));
    headings.append(QStringLiteral("Donne"));
    Donnes->clear();
    Donnes->setColumnCount(int(headings.size()));
    Donnes->setHorizontalHeaderLabels(headings);
    Donnes->setRowCount(int(m_deals.size()) + 1);
    const auto cell = [this](int row, int column, const QString& text) {
        Donnes->setItem(row, column, new QTableWidgetItem(text));
    };
    for (int row = 0; row < m_deals.size(); ++row) {
        cell(row, 0, QString::number(m_deals[row].number));
        for (int n = 0; n < table.players.size(); ++n)
            cell(row, n + 1, QString::number(table.grid.points[row].value(n)));
        const QString what = common::describeDeal(m_deals[row], names);
        cell(row, int(headings.size()) - 1, what);
        Donnes->item(row, int(headings.size()) - 1)->setToolTip(what); // the whole line
    }
    cell(int(m_deals.size()), 0, QStringLiteral("Total"));
    for (int n = 0; n < table.players.size(); ++n)
        cell(int(m_deals.size()), n + 1, QString::number(table.grid.totals.value(n)));
    Donnes->resizeColumnsToContents();
    Donnes->horizontalHeader()->setStretchLastSection(true);
    Donnes->setCurrentCell(0, 0);
    Donnes_CurrentRowChanged(0);
}

void Correction::Donnes_CurrentRowChanged(int row) {
    const bool deal = row >= 0 && row < m_deals.size();
    CorrigerDonne->setEnabled(deal);
    if (!deal)
        return;
    const db::Deal& d = m_deals[row];
    ChoixPreneur->setCurrentIndex(d.taker == 0 ? ChoixPreneur->count() - 1 : d.taker - 1);
    ChoixContrat->setCurrentIndex(std::max(0, d.contract - 1));
    SaisieBouts->setValue(d.bouts);
    SaisiePoints->setText(common::decimalText(d.halfPoints * 5, 1));
    SaisieSimples->setValue(d.simple);
    SaisieDoubles->setValue(d.doubled);
    SaisieTriples->setValue(d.triple);
    ChoixPetit->setCurrentIndex(d.petitAuBout);
    ChoixChelem->setCurrentIndex(d.chelem);
}

void Correction::CorrigerDonne_Click() {
    const int row = Donnes->currentRow();
    if (row < 0 || row >= m_deals.size())
        return;
    const QString code = SaisieEquipe->text();
    db::Deal deal;
    deal.number = m_deals[row].number;
    deal.taker = ChoixPreneur->currentIndex() == ChoixPreneur->count() - 1
                     ? 0
                     : ChoixPreneur->currentIndex() + 1;
    if (deal.taker != 0) {
        // Card points come in halves: 43,5 is read as 435 tenths.
        const std::optional<qint64> tenths = common::readDecimal(SaisiePoints->text(), 1);
        if (!tenths || *tenths % 5 != 0 || *tenths < 0 || *tenths > 910) {
            ui::MessageBox::critical(kTitle, QStringLiteral("Les points du preneur se tapent au "
                                                            "demi-point près, de 0 à 91 (par "
                                                            "exemple 43,5)."));
            SaisiePoints->setFocus();
            return;
        }
        deal.contract = ChoixContrat->currentIndex() + 1;
        deal.bouts = SaisieBouts->value();
        deal.halfPoints = int(*tenths / 5);
        deal.simple = SaisieSimples->value();
        deal.doubled = SaisieDoubles->value();
        deal.triple = SaisieTriples->value();
        deal.petitAuBout = ChoixPetit->currentIndex();
        deal.chelem = ChoixChelem->currentIndex();
    }
    if (std::optional<Refusal> refused =
            correctDeal(DataResultats, databasePath(), code, deal, QDateTime::currentDateTime())) {
        ui::MessageBox::critical(kTitle, refused->text);
        return;
    }
    // The table again as stored: its new totals, its deals, its last correction.
    const StoredTable table = lookUpStoredTable(DataResultats, databasePath(), code);
    showTable(table.players, table.scores);
    DerniereCorrection->setText(QStringLiteral("La donne %1 de la table %2 est corrigée : ses "
                                               "scores sont comptés de nouveau.")
                                    .arg(deal.number)
                                    .arg(code));
    showDeals(code);
    if (row < Donnes->rowCount())
        Donnes->setCurrentCell(row, 0);
}

bool Correction::Form_Load() {
    BoiteBoutons->move((width() - BoiteBoutons->width()) / 2, twips(this, 2640));
    clearCaptions();
    showMissing(0);
    return true;
}

void Correction::showMissing(int round) {
    try {
        Manquantes->setPlainText(describe(roundTables(DataResultats, databasePath(), round)));
    } catch (const db::DbError& error) {
        Manquantes->setPlainText(
            QStringLiteral("Les tables n'ont pas pu être lues : %1").arg(common::cause(error)));
    }
}

void Correction::SaisieEquipe_KeyPress(char32_t& KeyAscii) {
    if (KeyAscii != ui::Saisie::kEnter)
        return;
    const StoredTable table =
        lookUpStoredTable(DataResultats, databasePath(), SaisieEquipe->text());
    if (table.refusal) {
        ui::MessageBox::critical(table.refusal->title, table.refusal->text);
        SaisieEquipe->setFocus();
        return;
    }
    showTable(table.players, table.scores);
    DerniereCorrection->setText(table.lastChange.isEmpty()
                                    ? QStringLiteral("Cette table n'a jamais été corrigée.")
                                    : table.lastChange);
    Valider->setEnabled(true);
    Supprimer->setEnabled(true);
    showMissing(SaisieEquipe->text().left(1).toInt());
    showDeals(SaisieEquipe->text());
}

void Correction::Valider_Click() {
    const QString code = SaisieEquipe->text();
    const std::optional<Refusal> refused = correctScores(DataResultats, databasePath(), code,
                                                         typedRows(), QDateTime::currentDateTime());
    if (refused) {
        refuse(*refused);
        return;
    }
    Annuler_Click();
    DerniereCorrection->setText(
        QStringLiteral("Les scores de la table %1 sont enregistrés.").arg(code));
    showMissing(code.left(1).toInt());
}

void Correction::Supprimer_Click() {
    const QString code = SaisieEquipe->text();
    const QString count = rows() > kSeats ? QStringLiteral("cinq") : QStringLiteral("quatre");
    if (ui::MessageBox::questionNoByDefault(
            kTitle, QStringLiteral("Supprimer les scores de la table %1 ?\n\nSes %2 scores "
                                   "seront effacés ; la table pourra être saisie de nouveau par "
                                   "le menu Fichier, Saisie des résultats.")
                        .arg(code, count)) != ui::MessageBox::Answer::Yes)
        return;
    const std::optional<Refusal> refused =
        deleteScores(DataResultats, databasePath(), code, QDateTime::currentDateTime());
    if (refused) {
        refuse(*refused);
        return;
    }
    Annuler_Click();
    DerniereCorrection->setText(QStringLiteral("Les scores de la table %1 sont supprimés : elle "
                                               "peut être saisie de nouveau.")
                                    .arg(code));
    showMissing(code.left(1).toInt());
}

void Correction::Annuler_Click() {
    TableWindow::Annuler_Click();
    DerniereCorrection->clear();
    Supprimer->setEnabled(false);
    if (CadreDonnes->isVisible() || !m_deals.isEmpty()) {
        m_deals.clear();
        CadreDonnes->hide();
        setFixedSize(twips(this, kWidthTwips), height());
    }
}

} // namespace results
