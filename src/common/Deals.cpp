#include "Deals.h"

#include "db/Tournament.h"

#include <cstdlib>

namespace common {

QString contractName(int contract) {
    switch (contract) {
    case 1:
        return QStringLiteral("Prise");
    case 2:
        return QStringLiteral("Garde");
    case 3:
        return QStringLiteral("Garde sans");
    case 4:
        return QStringLiteral("Garde contre");
    default:
        return QString();
    }
}

int target(int bouts) {
    static constexpr int kTargets[] = {56, 51, 41, 36};
    return kTargets[bouts < 0 ? 0 : bouts > 3 ? 3 : bouts];
}

int dealer(int number, int players) {
    return players == db::kMaxSeats ? (number - 1) % players + 1 : 0;
}

std::optional<QString> checkDeal(const db::Deal& d, int players) {
    if (players != 4 && players != db::kMaxSeats)
        return QStringLiteral("Une donne se joue à une table de quatre ou de cinq joueurs.");
    if (d.taker == 0)
        return std::nullopt;
    if (d.taker < 0 || d.taker > players)
        return QStringLiteral("Choisissez le preneur parmi les joueurs de la table, ou « Donne "
                              "passée ».");
    if (d.taker == dealer(d.number, players))
        return QStringLiteral("Le donneur ne joue pas cette donne : il ne peut pas être le "
                              "preneur.");
    if (d.contract < 1 || d.contract > kContracts)
        return QStringLiteral("Choisissez le contrat : Prise, Garde, Garde sans ou Garde "
                              "contre.");
    if (d.bouts < 0 || d.bouts > 3)
        return QStringLiteral("Le preneur a de 0 à 3 bouts dans ses plis.");
    // Each bout is worth 4,5 points: those held, and those the defence holds, bound the count.
    if (d.halfPoints < 9 * d.bouts || d.halfPoints > 182 - 9 * (3 - d.bouts))
        return QStringLiteral("Avec %1 bout%2, le preneur a entre %3 et %4 points.")
            .arg(d.bouts)
            .arg(d.bouts > 1 ? QStringLiteral("s") : QString())
            .arg(QString::number(4.5 * d.bouts).replace(u'.', u','))
            .arg(QString::number(91 - 4.5 * (3 - d.bouts)).replace(u'.', u','));
    // One poignée at most per player, and not more than the 22 trumps (the excuse with them)
    // allow: 10, 13 and 15 at four, 8, 10 and 13 at five.
    if (d.simple < 0 || d.doubled < 0 || d.triple < 0 || d.simple + d.doubled + d.triple > 4 ||
        d.triple > 1)
        return QStringLiteral("Une poignée au plus par joueur, et une seule triple.");
    const bool five = players > 4;
    if (d.simple * (five ? 8 : 10) + d.doubled * (five ? 10 : 13) + d.triple * (five ? 13 : 15) >
        22)
        return QStringLiteral("Ces poignées demandent plus d'atouts que le jeu n'en compte (22, "
                              "l'excuse comprise).");
    if (d.petitAuBout < 0 || d.petitAuBout > 2)
        return QStringLiteral("Le petit au bout est au preneur, à la défense, ou à personne.");
    if (d.petitAuBout == 1 && d.bouts == 0)
        return QStringLiteral("Le petit mené au bout par le preneur est dans ses plis : il a "
                              "au moins 1 bout.");
    if (d.petitAuBout == 2 && d.bouts == 3)
        return QStringLiteral("Le petit mené au bout par la défense est dans ses plis : le "
                              "preneur a au plus 2 bouts.");
    if (d.chelem < 0 || d.chelem > 3)
        return QStringLiteral("Le chelem est annoncé ou non, réussi ou non.");
    return std::nullopt;
}

QList<int> scoreDeal(const db::Deal& d, int players) {
    QList<int> points(players, 0);
    if (d.taker == 0)
        return points;
    const int factor = d.contract == 4 ? 6 : d.contract == 3 ? 4 : d.contract == 2 ? 2 : 1;
    // Made or failed to the half point; the half of the difference then counts as a whole point
    // for the side that scores (40,5 for 41: failed by 1; 41,5: made by 1).
    const int difference = d.halfPoints - 2 * target(d.bouts);
    const bool made = difference >= 0;
    int value = (25 + (std::abs(difference) + 1) / 2) * factor;
    if (!made)
        value = -value;
    // The petit au bout goes to the side that took the last trick, whoever wins the deal.
    if (d.petitAuBout == 1)
        value += 10 * factor;
    else if (d.petitAuBout == 2)
        value -= 10 * factor;
    // The poignées go to the side that wins the deal, whoever showed them, unmultiplied.
    const int shown = 20 * d.simple + 30 * d.doubled + 40 * d.triple;
    value += made ? shown : -shown;
    if (d.chelem == 1)
        value += 400;
    else if (d.chelem == 2)
        value += 200;
    else if (d.chelem == 3)
        value -= 200;
    const int out = dealer(d.number, players);
    for (int seat = 1; seat <= players; ++seat)
        if (seat == d.taker)
            points[seat - 1] = 3 * value;
        else if (seat != out)
            points[seat - 1] = -value;
    return points;
}

DealGrid scoreDeals(const QList<db::Deal>& deals, int players) {
    DealGrid grid;
    grid.totals = QList<int>(players, 0);
    for (const db::Deal& deal : deals) {
        grid.points.append(scoreDeal(deal, players));
        for (int n = 0; n < players; ++n)
            grid.totals[n] += grid.points.last()[n];
    }
    return grid;
}

QString describeDeal(const db::Deal& d, const QStringList& players) {
    if (d.taker == 0)
        return QStringLiteral("Donne passée");
    QStringList parts{
        players.value(d.taker - 1), contractName(d.contract),
        QStringLiteral("%1 bout%2").arg(d.bouts).arg(d.bouts > 1 ? "s" : ""),
        QStringLiteral("%1 points").arg(QString::number(d.halfPoints / 2.0).replace(u'.', u','))};
    const auto shown = [&parts](int count, const char* kind) {
        if (count == 1)
            parts.append(QStringLiteral("poignée %1").arg(QString::fromUtf8(kind)));
        else if (count > 1)
            parts.append(QStringLiteral("%1 poignées %2s").arg(count).arg(QString::fromUtf8(kind)));
    };
    shown(d.simple, "simple");
    shown(d.doubled, "double");
    shown(d.triple, "triple");
    if (d.petitAuBout)
        parts.append(d.petitAuBout == 1 ? QStringLiteral("petit au bout (preneur)")
                                        : QStringLiteral("petit au bout (défense)"));
    static const char* const kChelems[] = {"", "chelem annoncé réussi", "chelem non annoncé",
                                           "chelem annoncé chuté"};
    if (d.chelem > 0 && d.chelem < 4)
        parts.append(QString::fromUtf8(kChelems[d.chelem]));
    return parts.join(QStringLiteral(", "));
}

} // namespace common
