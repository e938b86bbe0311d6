#include "Deals.h"

#include "Connection.h"
#include "Transaction.h"

namespace db {
namespace {

bool hasSetting(Connection& connection) {
    for (const ColumnInfo& c : connection.columns(QStringLiteral("Parametres")))
        if (c.name.compare(u"DonneParDonne", Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

bool dealByDeal(Connection& connection) {
    if (!hasSetting(connection))
        return false;
    auto read = connection.prepare(QStringLiteral("SELECT DonneParDonne FROM Parametres LIMIT 1"));
    return read->step() && read->columnInt64(0) != 0;
}

void setDealByDeal(Connection& connection, bool on) {
    Transaction setting(connection);
    connection.executeNative(QStringLiteral("UPDATE Parametres SET DonneParDonne = ?1"),
                             {on ? 1 : 0});
    setting.commit();
}

int dealsPerRound(Connection& connection) {
    auto read = connection.prepare(QStringLiteral("SELECT Parties FROM Parametres LIMIT 1"));
    return read->step() ? int(read->columnInt64(0)) : 0;
}

QList<Deal> tableDeals(Connection& connection, int code) {
    QList<Deal> deals;
    auto read = connection.prepare(QStringLiteral(
        "SELECT Donne, Preneur, Contrat, Bouts, PointsPreneur, PoigneesSimples, "
        "PoigneesDoubles, PoigneesTriples, PetitAuBout, Chelem FROM Donnes WHERE CodeEquipe = "
        "?1 ORDER BY Donne"));
    read->bind(1, code);
    while (read->step()) {
        Deal d;
        d.number = int(read->columnInt64(0));
        d.taker = int(read->columnInt64(1));
        d.contract = int(read->columnInt64(2));
        d.bouts = int(read->columnInt64(3));
        d.halfPoints = qRound(read->column(4).toDouble() * 2);
        d.simple = int(read->columnInt64(5));
        d.doubled = int(read->columnInt64(6));
        d.triple = int(read->columnInt64(7));
        d.petitAuBout = int(read->columnInt64(8));
        d.chelem = int(read->columnInt64(9));
        deals.append(d);
    }
    return deals;
}

void addDeal(Connection& connection, int code, const Deal& deal) {
    connection.executeNative(
        QStringLiteral("INSERT INTO Donnes (CodeEquipe, Manche, Donne, Preneur, Contrat, Bouts, "
                       "PointsPreneur, PoigneesSimples, PoigneesDoubles, PoigneesTriples, "
                       "PetitAuBout, Chelem) SELECT ?1, ?2, coalesce(max(Donne), 0) + 1, ?3, "
                       "?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11 FROM Donnes WHERE CodeEquipe = ?1"),
        {code, code / 1000, deal.taker, deal.contract, deal.bouts, deal.halfPoints / 2.0,
         deal.simple, deal.doubled, deal.triple, deal.petitAuBout, deal.chelem});
}

bool replaceDeal(Connection& connection, int code, const Deal& deal) {
    connection.executeNative(
        QStringLiteral("UPDATE Donnes SET Preneur = ?3, Contrat = ?4, Bouts = ?5, PointsPreneur "
                       "= ?6, PoigneesSimples = ?7, PoigneesDoubles = ?8, PoigneesTriples = ?9, "
                       "PetitAuBout = ?10, Chelem = ?11 WHERE CodeEquipe = ?1 AND Donne = ?2"),
        {code, deal.number, deal.taker, deal.contract, deal.bouts, deal.halfPoints / 2.0,
         deal.simple, deal.doubled, deal.triple, deal.petitAuBout, deal.chelem});
    return connection.changes() > 0;
}

bool deleteLastDeal(Connection& connection, int code) {
    connection.executeNative(
        QStringLiteral("DELETE FROM Donnes WHERE CodeEquipe = ?1 AND Donne = (SELECT max(Donne) "
                       "FROM Donnes WHERE CodeEquipe = ?1)"),
        {code});
    return connection.changes() > 0;
}

QSet<int> tablesWithDeals(Connection& connection, int round) {
    QSet<int> codes;
    if (!connection.hasTable(QStringLiteral("Donnes")))
        return codes;
    auto read = connection.prepare(
        QStringLiteral("SELECT DISTINCT CodeEquipe FROM Donnes WHERE Manche = ?1"));
    read->bind(1, round);
    while (read->step())
        codes.insert(int(read->columnInt64(0)));
    return codes;
}

void deleteDealsFrom(Connection& connection, int first) {
    if (connection.hasTable(QStringLiteral("Donnes")))
        connection.executeNative(QStringLiteral("DELETE FROM Donnes WHERE CodeEquipe >= ?1"),
                                 {first});
}

void deleteAllDeals(Connection& connection) {
    if (connection.hasTable(QStringLiteral("Donnes")))
        connection.executeNative(QStringLiteral("DELETE FROM Donnes"));
}

} // namespace db
