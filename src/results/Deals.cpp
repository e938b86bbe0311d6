#include "Deals.h"

#include "StoredScores.h"
#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Transaction.h"

#include <QScopeGuard>

namespace results {
namespace {

const QString kTitle = QStringLiteral("Saisie donne par donne");

Refusal refusal(const QString& text) {
    return Refusal{kTitle, text};
}

// Read within the caller's open connection.
DealTable read(db::DataControl& DataResultats, const QString& databasePath, const QString& code) {
    DealTable table;
    const Table found = lookUpTable(DataResultats, databasePath, code);
    if (found.refusal) {
        table.refusal = found.refusal;
        return table;
    }
    table.players = found.players;
    if (table.players.size() < kSeats) {
        table.refusal = refusal(QStringLiteral("La table %1 compte %2 joueur(s) au lieu de 4 : "
                                               "ses donnes ne peuvent pas être saisies.")
                                    .arg(code)
                                    .arg(table.players.size()));
        return table;
    }
    db::DataControl& data = DataResultats;
    data.DatabaseName = databasePath;
    db::Connection& connection = data.Database().connection();
    table.deals = db::tableDeals(connection, code.toInt());
    table.required = db::dealsPerRound(connection);
    table.grid = common::scoreDeals(table.deals, int(table.players.size()));
    auto scored = connection.prepare(
        QStringLiteral("SELECT 1 FROM Resultats WHERE Manche = ?1 AND CodeIndividuel = ?2"));
    for (const Player& player : std::as_const(table.players)) {
        scored->reset();
        scored->bind(1, code.left(1).toInt());
        scored->bind(2, player.number);
        table.stored = table.stored || scored->step();
    }
    return table;
}

Refusal unreadable(const QString& code, const db::DbError& error) {
    return refusal(QStringLiteral("Les donnes de la table %1 n'ont pas pu être enregistrées : "
                                  "%2\n\nRien n'a été changé.")
                       .arg(code, common::cause(error)));
}

const QString kStored = QStringLiteral("Les scores de la table %1 sont déjà enregistrés : ses "
                                       "donnes ne se changent plus que par « Correction des "
                                       "résultats ».");

} // namespace

DealTable readDealTable(db::DataControl& DataResultats, const QString& databasePath,
                        const QString& code) {
    const auto closed = qScopeGuard([&DataResultats] { DataResultats.Database().Close(); });
    try {
        return read(DataResultats, databasePath, code);
    } catch (const db::DbError& error) {
        DealTable table;
        table.refusal = refusal(QStringLiteral("Les donnes de la table %1 n'ont pas pu être "
                                               "lues : %2")
                                    .arg(code, common::cause(error)));
        return table;
    }
}

std::optional<Refusal> addTableDeal(db::DataControl& DataResultats, const QString& databasePath,
                                    const QString& code, const db::Deal& deal) {
    const auto closed = qScopeGuard([&DataResultats] { DataResultats.Database().Close(); });
    try {
        DataResultats.DatabaseName = databasePath;
        db::Connection& connection = DataResultats.Database().connection();
        db::Transaction added(connection);
        const DealTable table = read(DataResultats, databasePath, code);
        if (table.refusal)
            return table.refusal;
        if (table.stored)
            return refusal(kStored.arg(code));
        const int next = int(table.deals.size()) + 1;
        if (deal.number < next)
            return refusal(QStringLiteral("La donne %1 est déjà enregistrée (envoyée deux "
                                          "fois ?) : voici la grille de la table.")
                               .arg(deal.number));
        if (deal.number != next)
            return refusal(QStringLiteral("La page n'était plus à jour : voici la grille de la "
                                          "table, la donne %1 est la prochaine.")
                               .arg(next));
        if (table.required > 0 && next > table.required)
            return refusal(QStringLiteral("Les %1 donnes de la manche sont jouées : validez la "
                                          "table.")
                               .arg(table.required));
        if (std::optional<QString> wrong = common::checkDeal(deal, int(table.players.size())))
            return refusal(*wrong);
        db::addDeal(connection, code.toInt(), deal);
        added.commit();
    } catch (const db::DbError& error) {
        return unreadable(code, error);
    }
    return std::nullopt;
}

std::optional<Refusal> undoLastDeal(db::DataControl& DataResultats, const QString& databasePath,
                                    const QString& code, int number) {
    const auto closed = qScopeGuard([&DataResultats] { DataResultats.Database().Close(); });
    try {
        DataResultats.DatabaseName = databasePath;
        db::Connection& connection = DataResultats.Database().connection();
        db::Transaction undone(connection);
        const DealTable table = read(DataResultats, databasePath, code);
        if (table.refusal)
            return table.refusal;
        if (table.stored)
            return refusal(kStored.arg(code));
        // A page sent twice, or from a second phone, takes back one deal, not two.
        if (table.deals.isEmpty() || table.deals.size() != number)
            return refusal(QStringLiteral("La dernière donne a déjà été annulée : voici la "
                                          "grille de la table."));
        db::deleteLastDeal(connection, code.toInt());
        undone.commit();
    } catch (const db::DbError& error) {
        return unreadable(code, error);
    }
    return std::nullopt;
}

DealTotals dealTotals(const DealTable& table, bool confirmed) {
    DealTotals totals;
    if (table.refusal) {
        totals.refusal = table.refusal;
        return totals;
    }
    const int played = int(table.deals.size());
    if (played == 0) {
        totals.refusal = refusal(QStringLiteral("Aucune donne n'est saisie : ajoutez les donnes "
                                                "de la table avant de la valider."));
        return totals;
    }
    if (played < table.required && !confirmed) {
        totals.askConfirmation = true;
        totals.refusal = refusal(QStringLiteral("La table n'a joué que %1 donne%2 sur %3.\n\n"
                                                "Valider quand même avec %1 donne%2 ?")
                                     .arg(played)
                                     .arg(played > 1 ? QStringLiteral("s") : QString())
                                     .arg(table.required));
        return totals;
    }
    for (int n = 0; n < table.players.size(); ++n)
        totals.rows.append({QString::number(table.players[n].number), table.players[n].name,
                            QString::number(table.grid.totals.value(n))});
    return totals;
}

std::optional<Refusal> correctDeal(db::DataControl& DataResultats, const QString& databasePath,
                                   const QString& code, const db::Deal& deal,
                                   const QDateTime& when) {
    std::optional<db::Transaction> corrected;
    try {
        DataResultats.DatabaseName = databasePath;
        db::Connection& connection = DataResultats.Database().connection();
        corrected.emplace(connection);
        DealTable table = read(DataResultats, databasePath, code);
        DataResultats.Database().Close();
        if (table.refusal)
            return table.refusal;
        if (std::optional<QString> wrong = common::checkDeal(deal, int(table.players.size())))
            return refusal(*wrong);
        bool found = false;
        for (db::Deal& d : table.deals)
            if (d.number == deal.number) {
                d = deal;
                found = true;
            }
        if (!found)
            return refusal(
                QStringLiteral("La table %1 n'a pas de donne %2.").arg(code).arg(deal.number));
        db::replaceDeal(connection, code.toInt(), deal);
        table.grid = common::scoreDeals(table.deals, int(table.players.size()));
        // The same correction as totals typed in the window: checked, stored and logged.
        const DealTotals totals = dealTotals(table, true);
        if (totals.refusal)
            return totals.refusal;
        if (std::optional<Refusal> refused =
                correctScores(DataResultats, databasePath, code, totals.rows, when))
            return refused;
        corrected->commit();
    } catch (const db::DbError& error) {
        DataResultats.Database().Close();
        return unreadable(code, error);
    }
    return std::nullopt;
}

} // namespace results
