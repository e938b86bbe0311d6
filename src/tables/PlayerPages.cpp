#include "PlayerPages.h"

#include "TableKeys.h"
#include "common/Cause.h"
#include "common/Decimal.h"
#include "common/RankingRows.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/FrenchOrder.h"
#include "db/PlayerKeys.h"
#include "db/Seating.h"
#include "db/Standings.h"
#include "db/Transaction.h"

#include <QRandomGenerator>
#include <algorithm>

namespace tables {
namespace {

const QString kUnknownPlayer = QStringLiteral(
    "Numéro ou clé inconnus.\n\nVérifiez votre numéro et la clé de 6 caractères imprimés sur "
    "votre feuille de route.");
const QByteArray kCookie = "joueur";

QString escaped(const QString& text) {
    return text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
}

// The look of the table's page, and large type for the room.
QString page(const QString& title, const QString& body, int refresh = 0,
             const QString& next = QString(), bool room = false) {
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n");
    if (refresh > 0)
        html += next.isEmpty()
                    ? QStringLiteral("<meta http-equiv=\"refresh\" content=\"%1\">\n").arg(refresh)
                    : QStringLiteral("<meta http-equiv=\"refresh\" content=\"%1; url=%2\">\n")
                          .arg(QString::number(refresh), escaped(next));
    html += QStringLiteral("<title>%1</title>\n<style>\n").arg(escaped(title));
    html += QStringLiteral(
        "body{font-family:sans-serif;margin:0 auto;padding:12px;max-width:40em;font-size:17px;"
        "color:#222}\n"
        "h1{font-size:21px;color:#1f4e8c;margin:0 0 10px}\n"
        "h2{font-size:18px;color:#1f4e8c;margin:14px 0 4px}\n"
        "p.message{padding:8px;border-radius:4px;background:#e6f2e6;border:1px solid #4a8a4a}\n"
        "p.faute{background:#fbe9e9;border-color:#b03030}\n"
        "p.aide{font-size:15px;color:#444;margin:6px 0 0}\n"
        "label{display:block;margin-top:8px}\n"
        "input{font-size:20px;padding:6px;width:7em;box-sizing:border-box}\n"
        "button{font-size:20px;padding:10px 24px;margin-top:14px;background:#1f4e8c;color:#fff;"
        "border:0;border-radius:4px}\n"
        "table{border-collapse:collapse;width:100%;margin-top:6px}\n"
        "th{text-align:left;border-bottom:2px solid #1f4e8c;padding:4px}\n"
        "td{padding:5px 4px;border-bottom:1px solid #ccc}\n"
        "td.nombre,th.nombre{text-align:right;white-space:nowrap}\n"
        "tr.vous td{font-weight:bold}\n"
        "div.defile{overflow-x:auto}\n"
        "#classement td,#classement th{text-align:right;white-space:nowrap}\n"
        "#classement td:nth-child(3),#classement td:nth-child(4),#classement th:nth-child(3),"
        "#classement th:nth-child(4){text-align:left}\n"
        "a{color:#1f4e8c}\n"
        // On a phone the place, the surname and the total stay in sight; the columns between
        // scroll beneath them.
        "@media (max-width:600px){#classement td,#classement th{padding:4px 3px;font-size:15px}"
        "#classement :is(td,th):is(:first-child,:nth-child(3),:last-child){position:sticky;"
        "z-index:1;background:#fff}"
        "#classement :is(td,th):first-child{left:0;box-sizing:border-box;width:3.2em;"
        "min-width:3.2em;max-width:3.2em}"
        "#classement :is(td,th):nth-child(3){left:3.2em;white-space:normal;"
        "overflow-wrap:break-word;max-width:9em}"
        "#classement :is(td,th):last-child{right:0;box-shadow:-2px 0 2px rgba(0,0,0,.15)}}\n");
    if (room)
        html +=
            // Sized by the screen's height: a projector never scrolls, whatever its size.
            QStringLiteral("body{max-width:none;font-size:3vh;padding:2vh 3vw;height:100vh;"
                           "box-sizing:border-box;overflow:hidden}\n"
                           "h1{font-size:5vh;margin:0 0 1vh}"
                           "p.page{font-size:2.4vh;color:#555;margin:0 0 1vh}\n"
                           "ol{list-style:none;padding:0;margin:0;columns:3;column-gap:3vw}\n"
                           "li{padding:.3vh 0;border-bottom:1px solid #ccc;break-inside:avoid;"
                           "white-space:nowrap;overflow:hidden}\n"
                           "span.table{float:right;font-weight:bold;color:#1f4e8c;"
                           "margin-left:1vw}\n"
                           "td{padding:.3vh .8vw}\n");
    html +=
        QStringLiteral("</style>\n</head>\n<body>\n") + body + QStringLiteral("</body>\n</html>\n");
    return html;
}

Answer answered(int status, const QString& title, const QString& body, int retryAfter = 0) {
    return Answer{status, page(title, body).toUtf8(), retryAfter};
}

QString message(const QString& text, bool fault) {
    return QStringLiteral("<p class=\"message%1\" id=\"message\">%2</p>\n")
        .arg(fault ? QStringLiteral(" faute") : QString(), escaped(text));
}

// The form of a player's number and key; the key goes in the body, never in the address.
Answer playerForm(int status, const QString& number, const QString& text = QString(),
                  bool fault = true, int retryAfter = 0) {
    QString body = QStringLiteral("<h1>Ma soirée</h1>\n");
    if (!text.isEmpty())
        body += message(text, fault);
    body += QStringLiteral(
                "<form method=\"post\" action=\"/joueur\">\n"
                "<label for=\"numero\">Votre numéro (sur votre feuille de route)</label>\n"
                "<input id=\"numero\" name=\"numero\" value=\"%1\" maxlength=\"5\" "
                "inputmode=\"numeric\" autocomplete=\"off\">\n"
                "<label for=\"cle\">Votre clé (6 caractères, sur votre feuille de route)</label>\n"
                "<input id=\"cle\" name=\"cle\" maxlength=\"6\" autocapitalize=\"characters\" "
                "autocomplete=\"off\" autocorrect=\"off\" spellcheck=\"false\">\n"
                "<br><button type=\"submit\" id=\"afficher\">Afficher ma soirée</button>\n"
                "</form>\n")
                .arg(escaped(number));
    return answered(status, QStringLiteral("Ma soirée"), body, retryAfter);
}

QString points(double value) {
    return common::numberText(value, 4);
}

// "NOM Prénom" first by the French order of surnames, then of first names, then by number.
bool inNameOrder(const db::Seated& a, const db::Seated& b) {
    if (const int c = db::compareFrench(a.nom, b.nom))
        return c < 0;
    if (const int c = db::compareFrench(a.prenom, b.prenom))
        return c < 0;
    return a.number < b.number;
}

QString randomToken() {
    QByteArray bytes(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), 4);
    return QString::fromLatin1(bytes.toHex());
}

} // namespace

int makeMissingPlayerKeys(db::Connection& connection) {
    return db::addMissingPlayerKeys(connection, newKey);
}

PlayerPages::PlayerPages(QString databasePath) : m_databasePath(std::move(databasePath)) {}

std::optional<Answer> PlayerPages::answer(const Request& request, KeyFailures& failures, qint64 now,
                                          const TurnedAway& turnedAway) {
    const bool ours =
        request.path == u"/joueur" || request.path == u"/classement" || request.path == u"/salle";
    if (!ours)
        return std::nullopt;
    if (request.method == Request::Method::Other ||
        (request.method == Request::Method::Post && request.path != u"/joueur"))
        return answered(405, QStringLiteral("Ma soirée"),
                        message(QStringLiteral("La demande est mal formée."), true));
    try {
        const std::shared_ptr<db::Connection> connection = db::sharedConnection(m_databasePath);
        if (request.path == u"/joueur")
            return player(*connection, request, failures, now, turnedAway);
        if (request.path == u"/classement")
            return liveRanking(*connection, request);
        return room(*connection, request);
    } catch (const db::DbError& error) {
        return answered(500, QStringLiteral("Ma soirée"),
                        message(QStringLiteral("La page n'a pas pu être lue : %1\n\nPrévenez "
                                               "l'organisateur.")
                                    .arg(common::cause(error)),
                                true));
    }
}

std::optional<qint64> PlayerPages::sessionPlayer(db::Connection& connection,
                                                 const Request& request) {
    for (const QByteArray& part : request.cookie.split(';')) {
        const QByteArray pair = part.trimmed();
        if (!pair.startsWith(kCookie + '='))
            continue;
        const auto found = m_sessions.constFind(pair.mid(kCookie.size() + 1));
        if (found == m_sessions.cend())
            continue;
        if (db::playerKey(connection, found->number) == found->key)
            return found->number;
    }
    return std::nullopt;
}

QByteArray PlayerPages::openSession(qint64 number, const QString& key) {
    const QByteArray token = randomToken().toLatin1();
    m_sessions.insert(token, {number, key});
    m_sessionOrder.append(token);
    while (m_sessionOrder.size() > kMaxSessions)
        m_sessions.remove(m_sessionOrder.takeFirst());
    return kCookie + '=' + token + "; Path=/; HttpOnly; SameSite=Strict";
}

Answer PlayerPages::player(db::Connection& connection, const Request& request,
                           KeyFailures& failures, qint64 now, const TurnedAway& turnedAway) {
    const bool post = request.method == Request::Method::Post;
    const std::optional<QHash<QString, QString>> form =
        readForm(post ? request.body : request.query);
    if (!form)
        return playerForm(400, QString(),
                          QStringLiteral("La demande est trop longue ou mal "
                                         "formée."));
    const QString given = form->value(QStringLiteral("numero")).trimmed();
    std::optional<qint64> number = sessionPlayer(connection, request);
    Answer shown;
    if (post) {
        bool digits = !given.isEmpty() && given.size() <= 5;
        for (const QChar c : given)
            digits = digits && c >= u'0' && c <= u'9';
        // The number counts as a table's code does: tried too often, it waits for every phone.
        const QString who = digits ? QStringLiteral("joueur n° %1").arg(given.toLongLong())
                                   : QStringLiteral("joueur ?");
        if (const int wait = failures.wait(request.client, who, now)) {
            if (turnedAway)
                turnedAway(QString(),
                           QStringLiteral("trop d'essais avec une clé erronée (%1)").arg(who),
                           true);
            return playerForm(429, given,
                              QStringLiteral("Trop d'essais avec une clé erronée.\n\nAttendez %1 "
                                             "secondes avant de réessayer, ou demandez votre clé "
                                             "à l'organisateur.")
                                  .arg(wait),
                              true, wait);
        }
        const QString key = typedKey(form->value(QStringLiteral("cle")));
        const QString stored = digits ? db::playerKey(connection, given.toLongLong()) : QString();
        // A number nobody holds and a wrong key look alike from outside.
        if (stored.isEmpty() || stored != key) {
            failures.add(request.client, who, now);
            if (turnedAway)
                turnedAway(QString(),
                           QStringLiteral("numéro ou clé de joueur inconnus (%1)").arg(who), false);
            return playerForm(403, given, kUnknownPlayer);
        }
        number = given.toLongLong();
        shown.cookie = openSession(*number, stored);
    } else if (!number ||
               (form->contains(QStringLiteral("numero")) && given != QString::number(*number))) {
        // The route card's address brings the number, "Un autre joueur" none: the key is still
        // to type.
        return playerForm(200, given);
    }

    const std::optional<db::PlayerTables> tables = db::playerTables(connection, *number);
    if (!tables)
        return playerForm(403, given, kUnknownPlayer);
    readAgain(connection);
    const QHash<int, double> scored = db::playerPoints(connection, *number);

    QString body =
        QStringLiteral("<h1>Ma soirée</h1>\n<p id=\"joueur\">n° %1 <b>%2</b>%3</p>\n")
            .arg(QString::number(*number), escaped(tables->nom + u' ' + tables->prenom),
                 tables->seat > 0
                     ? QStringLiteral(", place %1").arg(escaped(db::seatName(tables->seat)))
                     : QString());
    const auto place = m_places.constFind(*number);
    if (place != m_places.cend())
        body += QStringLiteral("<p id=\"place\">Classement%1 : <b>%2<sup>%3</sup></b> sur %4, "
                               "total <b>%5</b></p>\n")
                    .arg(m_standings.provisional ? QStringLiteral(" provisoire") : QString(),
                         QString::number(place->place),
                         place->place == 1 ? QStringLiteral("er") : QStringLiteral("e"),
                         QString::number(m_lines.size()), escaped(place->total));
    if (ranking != LiveRanking::Off)
        body += QStringLiteral("<p><a href=\"/classement%1\">Voir le classement</a></p>\n")
                    .arg(place == m_places.cend() || place->page == 1
                             ? QString()
                             : QStringLiteral("?page=%1").arg(place->page));

    double running = 0;
    const QList<int> drawn = db::drawnRounds(connection, db::storedRounds(connection));
    if (drawn.isEmpty())
        body += QStringLiteral("<p class=\"aide\">Les tables ne sont pas encore tirées.</p>\n");
    for (const int round : drawn) {
        const int code = tables->codes[round - 1];
        body += QStringLiteral("<h2 id=\"manche%1\">Manche %1</h2>\n").arg(round);
        if (code == 0) {
            body += QStringLiteral("<p>Vous ne jouez pas cette manche.</p>\n");
            continue;
        }
        body += QStringLiteral("<p>Table <b>%1</b> (code %2)</p>\n<table>\n")
                    .arg(QString::number(code % 1000), QString::number(code));
        for (const db::Seated& s : db::tablePlayers(connection, round, code))
            body += QStringLiteral("<tr%1><td>%2</td><td>n° %3</td><td>%4</td></tr>\n")
                        .arg(s.number == *number ? QStringLiteral(" class=\"vous\"") : QString(),
                             escaped(db::seatName(s.seat)), QString::number(s.number),
                             escaped(s.name()));
        body += QStringLiteral("</table>\n");
        const auto got = scored.constFind(round);
        if (got == scored.cend()) {
            body += QStringLiteral("<p class=\"aide\">Points : pas encore saisis.</p>\n");
            continue;
        }
        running += *got;
        body += QStringLiteral("<p>Points : <b>%1</b>, total : <b>%2</b></p>\n")
                    .arg(escaped(points(*got)), escaped(points(running)));
    }
    body += QStringLiteral("<p><a href=\"/joueur?numero=\">Un autre joueur</a></p>\n");
    shown.html = page(QStringLiteral("Ma soirée"), body, kRefreshSeconds).toUtf8();
    return shown;
}

void PlayerPages::readAgain(db::Connection& connection) {
    if (m_read && (connection.changeCount() == m_changesRead ||
                   (freshMs > 0 && !m_sinceRead.hasExpired(freshMs))))
        return;
    m_read = true;
    m_sinceRead.start();
    m_places.clear();
    m_rankingPages.clear();
    m_roomPages.clear();

    const int rounds = db::storedRounds(connection);
    auto found = db::standings(connection, rounds, db::RoundsRanked::CompleteSoFar);
    m_standings = std::holds_alternative<db::Standings>(found)
                      ? std::get<db::Standings>(std::move(found))
                      : db::Standings{};
    m_lines = common::rankingLines(m_standings);
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        m_places.insert(m_standings.rows[i].number, {m_standings.places.value(i), m_lines[i].last(),
                                                     int(i / rankingLines) + 1});
    // The round under way: the last one scored while it is incomplete, else the next drawn one;
    // a table of an earlier round never entered does not hold the room's screen back.
    m_current = 0;
    const int scored = db::lastScoredRound(connection);
    for (const int round : db::drawnRounds(connection, rounds))
        if (round >= scored && !m_standings.rounds.contains(round)) {
            m_current = round;
            break;
        }
    m_changesRead = connection.changeCount();
}

QString PlayerPages::rankingHeading() const {
    return m_standings.provisional ? QStringLiteral("Classement provisoire")
                                   : QStringLiteral("Classement");
}

void PlayerPages::makeRankingPages() {
    if (m_lines.isEmpty()) {
        m_rankingPages.append(page(QStringLiteral("Classement"),
                                   QStringLiteral("<h1>Classement</h1>\n<p id=\"vide\">Aucune "
                                                  "manche n'est encore complète : le classement "
                                                  "viendra avec la première.</p>\n"),
                                   kRefreshSeconds)
                                  .toUtf8());
        return;
    }
    const QStringList headings = common::rankingHeadings(m_standings.rounds);
    const QString top = QStringLiteral("<h1 id=\"titre\">%1</h1>\n<p id=\"manches\">%2</p>\n")
                            .arg(rankingHeading(), escaped(m_standings.title.isEmpty()
                                                               ? QStringLiteral("Manches complètes")
                                                               : m_standings.title));
    QString columns = QStringLiteral("<div class=\"defile\"><table id=\"classement\">\n<tr>");
    for (const QString& column : headings)
        columns += QStringLiteral("<th>%1</th>").arg(escaped(column));
    columns += QStringLiteral("</tr>\n");
    // A page of lines at a time, so that a phone gets a page it can read and the desktop sends
    // thousands of lines to nobody; a player's own page links to his.
    const qsizetype pages = (m_lines.size() + rankingLines - 1) / rankingLines;
    for (qsizetype n = 0; n < pages; ++n) {
        QString links;
        if (pages > 1) {
            links = QStringLiteral("<p class=\"pages\">Page %1 sur %2").arg(n + 1).arg(pages);
            if (n > 0)
                links +=
                    QStringLiteral(" · <a href=\"/classement?page=%1\">page précédente</a>").arg(n);
            if (n + 1 < pages)
                links += QStringLiteral(" · <a href=\"/classement?page=%1\">page suivante</a>")
                             .arg(n + 2);
            links += QStringLiteral("</p>\n");
        }
        QString body = top + links + columns;
        // Cell by cell appended, as thousands of lines are made again while phones wait.
        body.reserve(body.size() + rankingLines * 24 * (headings.size() + 1));
        for (qsizetype i = n * rankingLines; i < std::min(m_lines.size(), (n + 1) * rankingLines);
             ++i) {
            body += QLatin1String("<tr>");
            for (const QString& cell : m_lines[i])
                body += QLatin1String("<td>") + cell.toHtmlEscaped() + QLatin1String("</td>");
            body += QLatin1String("</tr>\n");
        }
        body += QStringLiteral("</table></div>\n") + links +
                QStringLiteral("<p class=\"aide\">Cette page se met à jour toute seule.</p>\n");
        m_rankingPages.append(page(QStringLiteral("Classement"), body, kRefreshSeconds).toUtf8());
    }
}

void PlayerPages::makeRoomPages(db::Connection& connection) {
    m_roomRanking = ranking;
    m_roomSeconds = roomSeconds;
    QList<QString> screens;
    if (m_current != 0) {
        QList<db::Seated> seated = db::roundSeating(connection, m_current);
        std::sort(seated.begin(), seated.end(), inNameOrder);
        for (qsizetype from = 0; from < seated.size(); from += kRoomNames) {
            QString screen = QStringLiteral("<h1>Manche %1 : les tables</h1>\n"
                                            "<p class=\"page\">Cherchez votre nom : votre "
                                            "table est à sa droite.</p>\n<ol id=\"tables\">\n")
                                 .arg(m_current);
            for (qsizetype i = from; i < std::min(seated.size(), from + kRoomNames); ++i)
                screen += QLatin1String("<li>") + seated[i].name().toHtmlEscaped() +
                          QLatin1String(" <span class=\"table\">table ") +
                          QString::number(seated[i].code % 1000) + QLatin1String("</span></li>\n");
            screens.append(screen + QStringLiteral("</ol>\n"));
        }
    }
    // The room's screen asks for no key: a ranking kept for the players is not shown there.
    if (ranking == LiveRanking::Public)
        for (qsizetype from = 0; from < m_lines.size(); from += kRoomRanks) {
            QString screen = QStringLiteral("<h1>%1</h1>\n<p class=\"page\">%2</p>\n"
                                            "<table id=\"classement\">\n")
                                 .arg(rankingHeading(), escaped(m_standings.title));
            for (qsizetype i = from; i < std::min(m_lines.size(), from + kRoomRanks); ++i) {
                const QStringList& line = m_lines[i];
                screen += QLatin1String("<tr><td class=\"nombre\">") + line[0].toHtmlEscaped() +
                          QLatin1String("</td><td>") + line[2].toHtmlEscaped() + u' ' +
                          line[3].toHtmlEscaped() + QLatin1String("</td><td class=\"nombre\">") +
                          line.last().toHtmlEscaped() + QLatin1String("</td></tr>\n");
            }
            screens.append(screen + QStringLiteral("</table>\n"));
        }
    for (qsizetype n = 0; n < screens.size(); ++n) {
        QString screen = screens[n];
        screen.replace(QStringLiteral("<p class=\"page\">"),
                       QStringLiteral("<p class=\"page\" id=\"page\">%1/%2 · ")
                           .arg(n + 1)
                           .arg(screens.size()));
        const QString next = QStringLiteral("/salle?page=%1").arg((n + 1) % screens.size() + 1);
        m_roomPages.append(page(QStringLiteral("Salle"), screen, roomSeconds, next, true).toUtf8());
    }
    if (m_roomPages.isEmpty())
        m_roomPages.append(page(QStringLiteral("Salle"),
                                m_standings.rounds.isEmpty()
                                    ? QStringLiteral("<h1>Bienvenue</h1>\n<p>Les tables ne sont "
                                                     "pas encore tirées.</p>\n")
                                    : QStringLiteral("<h1>Merci !</h1>\n<p>Toutes les manches "
                                                     "sont jouées.</p>\n"),
                                roomSeconds, QString(), true)
                               .toUtf8());
}

Answer PlayerPages::liveRanking(db::Connection& connection, const Request& request) {
    if (ranking == LiveRanking::Off)
        return answered(404, QStringLiteral("Classement"),
                        message(QStringLiteral("Le classement n'est pas publié sur le réseau.\n\n"
                                               "L'organisateur l'imprimera en fin de soirée."),
                                true));
    if (ranking == LiveRanking::PlayersOnly && !sessionPlayer(connection, request))
        return playerForm(200, QString(),
                          QStringLiteral("Le classement est réservé aux joueurs : tapez votre "
                                         "numéro et votre clé, puis suivez « Voir le "
                                         "classement »."),
                          false);
    readAgain(connection);
    // The same bytes for every phone until the file changes.
    if (m_rankingPages.isEmpty())
        makeRankingPages();
    return Answer{200, pageAsked(m_rankingPages, request), 0};
}

Answer PlayerPages::room(db::Connection& connection, const Request& request) {
    readAgain(connection);
    if (m_roomPages.isEmpty() || m_roomRanking != ranking || m_roomSeconds != roomSeconds) {
        m_roomPages.clear();
        makeRoomPages(connection);
    }
    return Answer{200, pageAsked(m_roomPages, request), 0};
}

QByteArray PlayerPages::pageAsked(const QList<QByteArray>& pages, const Request& request) {
    const std::optional<QHash<QString, QString>> form = readForm(request.query);
    bool read = false;
    const int shown = form ? form->value(QStringLiteral("page")).toInt(&read) : 1;
    // A page beyond the last (the lists have shortened since) is the first.
    return pages.value(read && shown >= 1 ? shown - 1 : 0, pages.first());
}

} // namespace tables
