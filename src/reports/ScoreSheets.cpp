#include "ScoreSheets.h"

#include "common/Deals.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Deals.h"
#include "db/Departures.h"
#include "db/KeyStore.h"
#include "db/Tournament.h"
#include "ui/MessageBox.h"
#include "ui/QrCode.h"
#include "ui/Shell.h"

#include <algorithm>

namespace reports {
namespace {

void text(PrintSurface& p, double size, bool bold, double x, double y, const QString& value,
          double width = 0) {
    p.FontSize = size;
    p.FontBold = bold;
    p.CurrentX = x;
    p.CurrentY = y;
    p.Print(value, width);
}

// The round typed in the input box: exactly one digit from 1 to the most rounds a tournament
// has; no blank, sign or leading zero.
int typedRound(const QString& answer) {
    if (answer.size() != 1 || answer[0] < u'1' || answer[0] > QChar(u'0' + db::kMaxRounds))
        return 0;
    return answer[0].unicode() - u'0';
}

// A sheet lost or spoilt is printed again alone: its table's four-digit code (3012) typed in
// the same box, its round digit checked as a round would be.
struct Asked {
    int round = 0;
    int table = 0; // 0: every table of the round
};
Asked typedRoundOrTable(const QString& answer) {
    if (answer.size() == 4 &&
        std::all_of(answer.cbegin(), answer.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return {typedRound(answer.left(1)), answer.toInt()};
    return {typedRound(answer), 0};
}

} // namespace

ScoreSheets::ScoreSheets(ui::Shell& shell, db::DataControl& DataEditions, PrintSurface& Printer)
    : Report(shell, DataEditions, Printer,
             QStringLiteral("Edition des grilles de comptage des points")) {}

void ScoreSheets::print() {
    // Asked before the report starts reading: the shell first gives a key to every table
    // drawn since score entry at the tables was started.
    m_entryAddress = m_shell.keyedTableEntryAddress();
    m_keys.clear();
    m_table = 0;
    m_filled.clear();
    run([this] { body(); });
}

void ScoreSheets::body() {
    if (!registeredAndDrawn())
        return;
    const auto [rounds, deals, fives] = storedSettings();

    const QString answer =
        ui::MessageBox::input(QStringLiteral("Quelle manche ?"), QStringLiteral("Editions"))
            .value_or(QString());
    const auto [k, table] = typedRoundOrTable(answer);
    m_table = table;
    if (k == 0 || k > rounds) {
        ui::MessageBox::critical(QStringLiteral("Erreur de saisie"),
                                 QStringLiteral("Numéro de manche inexistant !!!"));
        return;
    }

    const QString field = db::roundField(k);
    // k is one of the round digits checked above.
    db::RecordSet& rows = DataEditions.Refresh(
        databasePath(),
        QStringLiteral("Select * from Inscriptions where Mid(%1, 1, 1) = %2 order by %1, Position")
            .arg(field)
            .arg(k));
    // The rounds were raised after the draw: saying so beats printing nothing without a word.
    if (rows.Eof())
        return refuse(roundsNotDrawn({k}));
    if (table) {
        // The rows come in table order: the table's first row, or the end.
        const int first = rows.Fields(field).Value().toInt();
        while (!rows.Eof() && rows.Fields(field).Value().toInt() < table)
            rows.MoveNext();
        if (rows.Eof() || rows.Fields(field).Value().toInt() != table) {
            rows.MoveLast();
            ui::MessageBox::critical(
                QStringLiteral("Erreur de saisie"),
                QStringLiteral("Numéro de table inexistant !!!\n\nLes tables de la manche %1 "
                               "vont de %2 à %3.")
                    .arg(k)
                    .arg(first)
                    .arg(rows.Fields(field).Value().toInt()));
            return;
        }
    }
    if (!m_entryAddress.isEmpty()) {
        m_keys = db::tableKeys(DataEditions.Database().connection(), db::tableCode(k, 1),
                               db::tableCode(k, 999));
    }
    // Tables entered deal by deal: their sheets filled in, if the organiser wants them so.
    QSet<int> withDeals = db::tablesWithDeals(DataEditions.Database().connection(), k);
    if (table)
        withDeals.intersect({table});
    if (!withDeals.isEmpty()) {
        QList<int> codes(withDeals.begin(), withDeals.end());
        std::sort(codes.begin(), codes.end());
        QStringList named;
        for (const int code : std::as_const(codes))
            named.append(QString::number(code));
        const bool one = codes.size() == 1;
        const QString question =
            table ? QStringLiteral("La table %1 a été saisie donne par donne.\n\nImprimer sa "
                                   "grille remplie, à faire signer par la table ?\n\nNon : sa "
                                   "grille vide.")
                        .arg(table)
            : one ? QStringLiteral("La table %1 a été saisie donne par donne.\n\nImprimer sa "
                                   "grille remplie, à faire signer par la table ?\n\nNon : les "
                                   "grilles vides de toute la manche.")
                        .arg(named.first())
                  : QStringLiteral("Les tables %1 ont été saisies donne par donne.\n\nImprimer "
                                   "leurs grilles remplies, à faire signer par chaque table ?"
                                   "\n\nNon : les grilles vides de toute la manche.")
                        .arg(named.join(QStringLiteral(", ")));
        if (ui::MessageBox::question(QStringLiteral("Editions"), question) ==
            ui::MessageBox::Answer::Yes)
            m_filled = withDeals;
    }
    // A player moved to another seat since this round was played keeps its seat on its sheets.
    const QHash<int, int> moved = db::keptSeats(DataEditions.Database().connection(), k);
    showPanel();
    // Each table comes as its four or five players in seat order. A table that an edited file
    // left with another count is not printed: its sheet would name the wrong players.
    QStringList incomplete;
    while (!rows.Eof()) {
        const int code = rows.Fields(field).Value().toInt();
        if (table && code != table)
            break;
        QList<std::pair<int, Player>> seated; // by the seat held in this round
        for (; !rows.Eof() && rows.Fields(field).Value().toInt() == code; rows.MoveNext()) {
            const double number = rows.Fields(QStringLiteral("CodeIndividuel")).Value().toDouble();
            const auto kept = moved.constFind(int(number));
            seated.append({kept != moved.cend()
                               ? *kept
                               : rows.Fields(QStringLiteral("Position")).Value().toInt(),
                           {number, rows.Fields(QStringLiteral("Nom")).Value().toString(),
                            rows.Fields(QStringLiteral("Prenom")).Value().toString(),
                            kept != moved.cend()
                                ? db::seatName(*kept)
                                : rows.Fields(QStringLiteral("Position2")).Value().toString()}});
        }
        if (!moved.isEmpty())
            std::stable_sort(seated.begin(), seated.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        QList<Player> players;
        for (const auto& [seat, player] : std::as_const(seated))
            players.append(player);
        if (!m_filled.isEmpty() && !m_filled.contains(code))
            continue;
        if (players.size() == db::kSeats || players.size() == db::kMaxSeats)
            sheet(code, players, deals);
        else
            incomplete.append(QString::number(code));
    }
    // An evening of tables of five says both counts a table may have.
    const QString count =
        fives ? QStringLiteral("ni quatre ni cinq") : QStringLiteral("pas quatre");
    if (incomplete.size() == 1)
        notice(QStringLiteral("La table %1 n'a %2 joueurs !!!\n\nSa grille n'a pas été imprimée ; "
                              "les autres l'ont été.")
                   .arg(incomplete.first(), count));
    else if (!incomplete.isEmpty())
        notice(QStringLiteral("Les tables %1 n'ont %2 joueurs !!!\n\nLeurs grilles n'ont pas été "
                              "imprimées ; les autres l'ont été.")
                   .arg(incomplete.join(QStringLiteral(", ")), count));
}

void ScoreSheets::sheet(int tableCode, const QList<Player>& players, int deals) {
    PrintSurface& p = Printer;
    // One name for the round's sheets: on paper, one file holds them all. A table printed
    // again alone gets a file of its own.
    p.DocumentName = m_table
                         ? QStringLiteral("Grille de comptage - table %1").arg(tableCode)
                         : QStringLiteral("Grilles de comptage - manche %1").arg(tableCode / 1000);
    standardSetUp(p);
    pageOpening(p);
    reportTitle(p, QStringLiteral("Grille de comptage des points"));

    const QString code = QString::number(tableCode);
    text(p, 12, false, 10, 25, QStringLiteral("Manche n° :"));
    text(p, 14, true, 33, 24, code.left(1));
    text(p, 12, false, 70, 25, QStringLiteral("Table n° :"));
    text(p, 16, true, 90, 24, tableNumberText(tableCode));
    text(p, 12, false, 140, 25, QStringLiteral("Equipe n° :"));
    text(p, 16, true, 162, 24, PrintSurface::numberText(tableCode));

    const int seats = int(players.size());
    const QList<db::Deal> played =
        m_filled.contains(tableCode)
            ? db::tableDeals(DataEditions.Database().connection(), tableCode)
            : QList<db::Deal>();
    // A table that played more deals than the round's setting gets a row for each.
    deals = std::max(deals, int(played.size()));
    for (int i = 1; i <= seats; ++i) {
        const Player& player = players[i - 1];
        const double y = 35 + 5 * i;
        text(p, 12, false, 10, y, PrintSurface::numberText(player.number));
        text(p, 12, false, 25, y, player.nom, 34);
        text(p, 12, false, 60, y, player.prenom, 39);
        text(p, 12, false, 100, y, player.seat);
    }

    // Five players share the width of four, so that the grid keeps its place on the page.
    const bool five = seats == db::kMaxSeats;
    const double width = five ? 16 : 20;
    const auto cells = [&](bool label, double y) {
        if (label)
            p.Line(40, y, 60, y + 10, true);
        for (int i = 0; i < seats; ++i)
            p.Line(60 + width * i, y, 60 + width * (i + 1), y + 10, true);
    };
    cells(false, 75);
    for (int d = 1; d <= deals; ++d)
        cells(true, 85 + 10 * (d - 1));
    cells(true, 90 + 10 * deals);

    p.FontSize = 12;
    p.FontBold = true;
    for (int i = 0; i < seats; ++i) {
        p.CurrentX = (five ? 64 : 68) + width * i;
        p.CurrentY = 78;
        p.Print(players[i].number);
    }
    for (int d = 1; d <= deals; ++d) {
        p.CurrentX = 42;
        p.CurrentY = 88 + 10 * (d - 1);
        p.Print(QStringLiteral("Partie %1").arg(d, 2, 10, QLatin1Char('0')));
    }
    p.CurrentX = 44;
    p.CurrentY = 93 + 10 * deals;
    p.Print(QStringLiteral("Total :"));
    if (five)
        deadMarks(deals);
    if (m_filled.contains(tableCode))
        filledGrid(tableCode, seats, deals);
    else if (m_keys.contains(tableCode))
        entryBlock(tableCode, m_keys.value(tableCode));
    p.EndDoc();
}

void ScoreSheets::filledGrid(int tableCode, int seats, int deals) {
    PrintSurface& p = Printer;
    const QList<db::Deal> played = db::tableDeals(DataEditions.Database().connection(), tableCode);
    const common::DealGrid grid = common::scoreDeals(played, seats);
    const bool five = seats == db::kMaxSeats;
    const double width = five ? 16 : 20;
    const double right = 60 + width * seats;
    p.FontName = QStringLiteral("Arial");
    // Each figure within its cell, the totals in bold.
    const auto figure = [&](int seat, double y, int value, bool bold) {
        text(p, 11, bold, 60 + width * seat + 1, y, QString::number(value), width - 3);
    };
    for (int d = 0; d < played.size(); ++d) {
        const double y = 88 + 10 * d;
        for (int seat = 0; seat < seats; ++seat)
            figure(seat, y, grid.points[d].value(seat), false);
        const db::Deal& deal = played[d];
        const QString what =
            deal.taker == 0
                ? QStringLiteral("Donne passée")
                : QStringLiteral("%1, %2, %3 b., %4 pts")
                      .arg(db::seatName(deal.taker), common::contractName(deal.contract))
                      .arg(deal.bouts)
                      .arg(QString::number(deal.halfPoints / 2.0).replace(u'.', u','));
        text(p, 8, false, right + 2, y, what, 190 - right - 2);
    }
    for (int seat = 0; seat < seats; ++seat)
        figure(seat, 93 + 10 * deals, grid.totals.value(seat), true);
    const double below = 102 + 10 * deals + (five ? 6 : 0);
    text(p, 9, false, 40, below,
         QStringLiteral("Grille remplie d'après les %1 donnes saisies à la table.")
             .arg(played.size()));
    text(p, 9, false, 40, below + 8, QStringLiteral("Signatures :"));
}

void ScoreSheets::deadMarks(int deals) {
    PrintSurface& p = Printer;
    // Deal d is sat out by seat ((d - 1) mod 5) + 1, who deals: his cell of the row says so, in
    // a word that any printer renders, and the line under the grid says what it means.
    p.FontName = QStringLiteral("Arial");
    for (int d = 1; d <= deals; ++d)
        text(p, 9, false, 65 + 16 * ((d - 1) % db::kMaxSeats), 88 + 10 * (d - 1),
             QStringLiteral("mort"));
    text(p, 9, false, 40, 102 + 10 * deals,
         QStringLiteral("À chaque donne, le joueur marqué « mort » donne et ne joue pas."));
}

void ScoreSheets::entryBlock(int tableCode, const QString& key) {
    PrintSurface& p = Printer;
    // Below the lowest line the grid can reach (250 mm with 15 deals, and the line under a
    // table of five's grid to about 256 mm), within the 287 mm of the page's printable area.
    const QString code = QString::number(tableCode);
    p.FontName = QStringLiteral("Arial");
    text(p, 11, true, 10, 256, QStringLiteral("Scores saisis par téléphone"));
    text(p, 10, false, 10, 262,
         QStringLiteral("Photographiez le code ci-contre, ou ouvrez l'adresse :"));
    text(p, 10, true, 10, 267, m_entryAddress);
    text(p, 10, false, 10, 274, QStringLiteral("Table :"));
    text(p, 14, true, 24, 273, code);
    text(p, 10, false, 50, 274, QStringLiteral("Clé :"));
    text(p, 14, true, 61, 273, key);
    const QImage qr =
        ui::qrCode(QStringLiteral("%1?table=%2&cle=%3").arg(m_entryAddress, code, key));
    if (!qr.isNull())
        p.PaintPicture(qr, 158, 254, 32, 32);
}

} // namespace reports
