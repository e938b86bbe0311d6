#include "RouteCards.h"

#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/PlayerKeys.h"
#include "db/Routes.h"
#include "db/Tournament.h"
#include "ui/QrCode.h"
#include "ui/Shell.h"

namespace reports {
namespace {

void text(PrintSurface& p, const QString& font, double size, bool bold, double x, double y,
          const QString& value, double width = 0) {
    p.FontName = font;
    p.FontSize = size;
    p.FontBold = bold;
    p.CurrentX = x;
    p.CurrentY = y;
    p.Print(value, width);
}

const QString kArial = QStringLiteral("Arial");
const QString kTimes = QStringLiteral("Times New Roman");

} // namespace

RouteCards::RouteCards(ui::Shell& shell, db::DataControl& DataEditions, PrintSurface& Printer)
    : Report(shell, DataEditions, Printer, QStringLiteral("Edition des feuilles de route")) {}

void RouteCards::print() {
    // Asked before the report starts reading: the shell first gives a key to every player
    // registered since score entry at the tables was started.
    m_pageAddress = m_shell.keyedPlayerPageAddress();
    m_keys.clear();
    run([this] { body(); });
}

void RouteCards::body() {
    if (!registeredAndDrawn())
        return;
    const int rounds = qMin(storedSettings().rounds, db::kMaxRounds);
    const QList<int> seated = seatedByRound(rounds);
    QList<int> drawn, notDrawn;
    for (int k = 1; k <= rounds; ++k)
        (seated[k - 1] > 0 ? drawn : notDrawn).append(k);
    if (drawn.isEmpty())
        return refuse(impossible(QStringLiteral("La constitution des tables n'est pas faite !!!")));

    db::Connection& connection = DataEditions.Database().connection();
    const QList<db::Route> players = db::routes(connection, rounds);
    if (!m_pageAddress.isEmpty())
        m_keys = db::playerKeys(connection);

    showPanel();
    Printer.DocumentName = QStringLiteral("Feuilles de route");
    const int perPage = kAcross * kDown;
    int keyless = 0;
    for (int i = 0; i < players.size(); ++i) {
        if (i % perPage == 0) {
            if (i > 0)
                Printer.NewPage();
            standardSetUp(Printer);
            pageOpening(Printer);
            cutLines(int(qMin<qsizetype>(perPage, players.size() - i)));
        }
        if (!m_pageAddress.isEmpty() && !m_keys.contains(players[i].number))
            ++keyless;
        card(players[i], drawn, i % perPage);
    }
    Printer.EndDoc();

    QStringList told;
    if (keyless == 1)
        told.append(QStringLiteral("Un joueur n'a pas encore de clé : sa feuille de route ne porte "
                                   "ni clé ni code à photographier.\n\nImprimez de nouveau les "
                                   "feuilles de route."));
    else if (keyless > 1)
        told.append(QStringLiteral("%1 joueurs n'ont pas encore de clé : leur feuille de route ne "
                                   "porte ni clé ni code à photographier.\n\nImprimez de nouveau "
                                   "les feuilles de route.")
                        .arg(keyless));
    if (!notDrawn.isEmpty())
        told.append(roundsNotDrawn(notDrawn));
    if (!told.isEmpty())
        notice(told.join(QStringLiteral("\n\n")));
}

void RouteCards::cutLines(int cards) {
    for (int slot = 0; slot < cards; ++slot) {
        const double x = kWidth * (slot % kAcross), y = kHeight * (slot / kAcross);
        Printer.Line(x, y, x + kWidth, y + kHeight, true);
    }
}

void RouteCards::card(const db::Route& route, const QList<int>& rounds, int slot) {
    PrintSurface& p = Printer;
    const double x = kWidth * (slot % kAcross), y = kHeight * (slot / kAcross);
    text(p, kArial, 9, false, x + 4, y + 3, QStringLiteral("Feuille de route"));
    text(p, kTimes, 16, true, x + 4, y + 8, QStringLiteral("N° %1").arg(route.number));
    text(p, kTimes, 12, true, x + 28, y + 9, route.nom + u' ' + route.prenom, kWidth - 31);

    text(p, kArial, 9, false, x + 4, y + 17, QStringLiteral("Manche"));
    text(p, kArial, 9, false, x + 18, y + 17, QStringLiteral("Table"));
    text(p, kArial, 9, false, x + 32, y + 17, QStringLiteral("Code"));
    text(p, kArial, 9, false, x + 46, y + 17, QStringLiteral("Position"));
    double row = y + 22;
    for (const int k : rounds) {
        text(p, kTimes, 12, false, x + 8, row, QString::number(k));
        const int code = route.tables.value(k - 1);
        if (code == 0) {
            // Not yet arrived, gone, or registered after the draw: the organiser seats him.
            text(p, kTimes, 12, false, x + 18, row, QStringLiteral("pas de table"));
        } else {
            text(p, kTimes, 12, true, x + 19, row, tableNumberText(code));
            text(p, kTimes, 12, false, x + 32, row, QString::number(code));
            text(p, kTimes, 12, false, x + 46, row, db::seatName(route.seats.value(k - 1)));
        }
        row += 5;
    }

    const QString key = m_keys.value(route.number);
    if (m_pageAddress.isEmpty() || key.isEmpty())
        return;
    // The QR code opens his page with his number filled in; the key is never in it, so that a
    // card seen on a table reveals nothing without the key printed below the code.
    const QImage qr =
        ui::qrCode(QStringLiteral("%1?numero=%2").arg(m_pageAddress).arg(route.number));
    if (!qr.isNull())
        p.PaintPicture(qr, x + 67, y + 15, 28, 28);
    text(p, kArial, 9, false, x + 67, y + 44, QStringLiteral("Votre clé :"));
    text(p, kArial, 14, true, x + 67, y + 48, key);
    text(p, kArial, 8, false, x + 4, y + 58,
         QStringLiteral("Vos tables, vos points et votre place : photographiez le code,"),
         kWidth - 7);
    text(p, kArial, 8, false, x + 4, y + 62,
         QStringLiteral("ou ouvrez cette adresse et tapez votre numéro et votre clé :"),
         kWidth - 7);
    text(p, kArial, 8, true, x + 4, y + 66, m_pageAddress, kWidth - 7);
}

} // namespace reports
