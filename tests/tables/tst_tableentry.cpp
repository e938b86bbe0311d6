#include "common/RankingRows.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Departures.h"
#include "db/PlayerKeys.h"
#include "db/Schema.h"
#include "db/Standings.h"
#include "db/Transaction.h"
#include "draw/RandomSource.h"
#include "draw/TableDraw.h"
#include "results/Scores.h"
#include "results/StoredScores.h"
#include "support/FaultyVfs.h"
#include "support/HttpClient.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "tables/PlayerPages.h"
#include "tables/TableKeys.h"
#include "tables/TableServer.h"
#include "ui/MessageBox.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kUnknown = QStringLiteral("Table ou clé inconnue.");

// Twelve players drawn for two rounds (three tables each: players 1 to 4 at 1001 and at 2002),
// every table keyed, and the server listening on the loopback address with a clock the test
// moves.
struct Tables : TestDatabase {
    tables::TableServer server{path()};
    QList<tables::Entry> entries;
    qint64 now = 1'000'000;

    Tables() {
        drawTournament(12, 2);
        tables::makeMissingKeys(connection());
        server.service().clock = [this] { return now; };
        server.service().pages().freshMs = 0;
        QObject::connect(&server, &tables::TableServer::stored, &server,
                         [this](const tables::Entry& entry) { entries.append(entry); });
        if (!server.start(QHostAddress::LocalHost, 0).isEmpty())
            qFatal("the server does not listen on the loopback address");
    }
    quint16 port() const { return server.port(); }
    QString key(int code) {
        return scalar(QStringLiteral("SELECT Cle FROM ClesTables WHERE CodeEquipe = %1").arg(code))
            .toString();
    }
    // "{1001}" stands for that table's key.
    QByteArray form(QString text) {
        static const QRegularExpression placeholder(QStringLiteral("\\{(\\d{4})\\}"));
        for (const auto& m : placeholder.globalMatch(QString(text)))
            text.replace(m.captured(0), key(m.captured(1).toInt()));
        return text.toUtf8();
    }
    HttpExchange::Reply get(const QString& query, const QString& from = "127.0.0.1") {
        return HttpExchange::get(port(), "/?" + QString::fromUtf8(form(query)), from);
    }
    HttpExchange::Reply post(const QString& fields, const QString& from = "127.0.0.1") {
        return HttpExchange::post(port(), form(fields), from);
    }
    // Deal by deal, three deals a round.
    void dealByDeal() {
        connection().executeNative(
            QStringLiteral("UPDATE Parametres SET Parties = 3, DonneParDonne = 1"));
    }
    // "1001" posts to that table with its key, "action=..." and the deal's number first.
    HttpExchange::Reply deal(const QString& code, const QString& action, int number,
                             const QString& choices = {}) {
        return post(QStringLiteral("table=%1&cle={%1}&action=%2&donne=%3&%4")
                        .arg(code, action)
                        .arg(number)
                        .arg(choices));
    }
    int deals(int code) {
        return scalar(QStringLiteral("SELECT count(*) FROM Donnes WHERE CodeEquipe = %1").arg(code))
            .toInt();
    }
    // Every stored result: round, player, points.
    QString stored() {
        QStringList rows;
        auto stmt = connection().prepare(
            QStringLiteral("SELECT Manche, CodeIndividuel, Points FROM Resultats ORDER BY rowid"));
        while (stmt->step())
            rows.append(QStringLiteral("%1 %2 %3")
                            .arg(stmt->columnInt64(0))
                            .arg(stmt->columnInt64(1))
                            .arg(stmt->column(2).toDouble()));
        return rows.join(u'|');
    }
};

// The message a page shows, as text.
QString message(const HttpExchange::Reply& reply) {
    static const QRegularExpression paragraph(
        QStringLiteral("<p class=\"message[^\"]*\" id=\"message\">(.*)</p>"));
    return paragraph.match(reply.body)
        .captured(1)
        .replace(QStringLiteral("<br>"), "\n")
        .replace(QStringLiteral("&#x27;"), "'")
        .replace(QStringLiteral("&quot;"), "\"")
        .replace(QStringLiteral("&lt;"), "<")
        .replace(QStringLiteral("&gt;"), ">")
        .replace(QStringLiteral("&amp;"), "&");
}

// A page of the players' as raw bytes: its address, the form posted (none: a GET), the cookie.
HttpExchange::Reply page(quint16 port, const QByteArray& target, const QByteArray& form = {},
                         const QByteArray& cookie = {}) {
    QByteArray request =
        (form.isNull() ? "GET " : "POST ") + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!cookie.isEmpty())
        request += "Cookie: " + cookie + "\r\n";
    if (!form.isNull())
        request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                   QByteArray::number(form.size()) + "\r\n";
    return HttpExchange(port, request + "\r\n" + form).wait();
}

// The cookie an answer sets, as a browser sends it back.
QByteArray cookieOf(const HttpExchange::Reply& reply) {
    return reply.header("Set-Cookie").split(';').first();
}

// A page's list items and table rows, headings left out, cells between bars.
QStringList linesOf(const QString& body) {
    static const QRegularExpression line("<(li|tr)[^>]*>((?!<th).*?)</\\1>"),
        edge("</td><td[^>]*>"), tag("<[^>]+>");
    QStringList lines;
    for (const auto& m : line.globalMatch(body))
        lines.append(m.captured(2).replace(edge, "|").remove(tag));
    return lines;
}

// Whole tables ("1001:10,-10,0,0"), stored (or corrected) as the results windows do.
void storeTables(const TestDatabase& base, const QStringList& tables, bool corrected = false) {
    for (const QString& table : tables) {
        const QString code = table.section(u':', 0, 0);
        const QStringList scores = table.section(u':', 1).split(u',');
        db::DataControl DataResultats;
        const results::Table found = results::lookUpTable(DataResultats, base.path(), code);
        QList<results::ScoreRow> rows;
        for (int n = 0; n < found.players.size(); ++n)
            rows.append(
                {QString::number(found.players[n].number), found.players[n].name, scores.value(n)});
        if (corrected ? results::correctScores(DataResultats, base.path(), code, rows, {})
                      : results::storeScores(DataResultats, base.path(), code, rows))
            qFatal("table %s not stored", qPrintable(code));
    }
}

} // namespace

class TestTableEntry : public QObject {
    Q_OBJECT
private slots:
    void everyDrawnTableHasAKeyUntilTheNextDraw();
    void aTableIsStoredFromAPhone();
    void aTableOfFiveIsStoredFromAPhone();
    void refusalsStoreNothing_data();
    void refusalsStoreNothing();
    void aRaceStoresTheTableOnce();
    void aBatchStoredWhenTheDiskFailsIsToldAsItIs();
    void wrongKeysMakeThePhoneWait();
    void oversizedAndMalformedRequestsAreRefused_data();
    void oversizedAndMalformedRequestsAreRefused();
    void openConnectionsAreBounded_data();
    void openConnectionsAreBounded();
    void everyRequestIsAnsweredOnce_data();
    void everyRequestIsAnsweredOnce();
    void aPlayersPageNeedsHisKey_data();
    void aPlayersPageNeedsHisKey();
    void theLiveRankingIsTheExportedOne_data();
    void theLiveRankingIsTheExportedOne();
    void theRoomsScreen_data();
    void theRoomsScreen();
    void aRoundOfDealsStoresWhatTheWindowWould();
    void dealRefusalsAddNothing_data();
    void dealRefusalsAddNothing();
};

void TestTableEntry::everyDrawnTableHasAKeyUntilTheNextDraw() {
    Tables t;
    const auto keys = [&t] {
        QStringList rows;
        auto stmt = t.connection().prepare(
            QStringLiteral("SELECT CodeEquipe, Cle FROM ClesTables ORDER BY CodeEquipe"));
        while (stmt->step())
            rows.append(stmt->column(0).toString() + u' ' + stmt->column(1).toString());
        return rows;
    };
    const QStringList first = keys();
    QCOMPARE(first.size(), 6);
    static const QRegularExpression shape(QStringLiteral("^[123]00[1-3] [2-9A-HJKMNP-Z]{6}$"));
    for (const QString& row : first)
        QVERIFY2(shape.match(row).hasMatch(), qPrintable(row));
    QCOMPARE(first.filter(QRegularExpression("^100[1-3] ")).size(), 3);
    QCOMPARE(first.filter(QRegularExpression("^200[1-3] ")).size(), 3);
    // Made once: the server's next start changes nothing.
    QCOMPARE(tables::makeMissingKeys(t.connection()), 0);
    QCOMPARE(keys(), first);

    // A redraw takes the keys with the old tables; the next start gives new ones.
    ui::MessageBox::Script script;
    script.answer(ui::MessageBox::Answer::Yes);
    struct : draw::DrawControls {
        void setButtons(bool, bool) override {}
        void showProgress(int) override {}
        void setProgress(int) override {}
        void hideProgress() override {}
    } controls;
    db::DataControl DataTirage;
    draw::RandomSource random;
    QCOMPARE(draw::TableDraw(DataTirage, t.path(), random, controls).run(12),
             draw::TableDraw::Outcome::Drawn);
    QVERIFY(keys().isEmpty());
    QCOMPARE(tables::makeMissingKeys(t.connection()), 6);
    const QStringList second = keys();
    QCOMPARE(second.size(), 6);
    for (int i = 0; i < 6; ++i)
        QVERIFY(second[i] != first[i]);

    // A file of the layout before the keys gets their table when it is opened; the standard
    // client reads it.
    t.connection().executeNative(QStringLiteral("DROP TABLE ClesTables"));
    t.connection().executeNative(QStringLiteral("PRAGMA user_version = 3"));
    QVERIFY(db::upgradeDatabase(t.connection()).upgraded);
    QCOMPARE(tables::makeMissingKeys(t.connection()), 6);
    t.closeMain();
    QCOMPARE(standardClient(t.path(), QStringLiteral("SELECT count(*) FROM ClesTables;\n"
                                                     "PRAGMA integrity_check;\n")),
             "6\nok");
}

void TestTableEntry::aTableIsStoredFromAPhone() {
    Tables t;
    // As the QR code gives it, or typed in small letters with blanks.
    const HttpExchange::Reply shown =
        t.get(QStringLiteral("table=1001&cle=") + t.key(1001).toLower().insert(3, u' '));
    QCOMPARE(shown.status, 200);
    QCOMPARE(shown.header("Content-Type"), "text/html; charset=utf-8");
    QCOMPARE(shown.header("Cache-Control"), "no-store");
    QVERIFY(shown.header("Content-Security-Policy").startsWith("default-src 'none'"));
    QCOMPARE(shown.header("Referrer-Policy"), "no-referrer");
    // The four players in seat order, a score field each.
    static const QRegularExpression row(
        QStringLiteral("<td class=\"place\">(\\w+)</td><td>([^<]+)</td><td class=\"score\">"
                       "<input name=\"s(\\d)\""));
    QStringList seats;
    for (const auto& m : row.globalMatch(shown.body))
        seats.append(m.captured(3) + u' ' + m.captured(1) + u' ' + m.captured(2));
    QCOMPARE(seats, QStringList({"1 Nord 1 NOM999 Jean", "2 Est 2 NOM998 Jean",
                                 "3 Sud 3 NOM997 Jean", "4 Ouest 4 NOM996 Jean"}));

    const HttpExchange::Reply stored =
        t.post(QStringLiteral("table=1001&cle={1001}&s1=12%2C5&s2=-2.5&s3=+-5+&s4=-5"));
    QCOMPARE(stored.status, 200);
    QCOMPARE(message(stored), "Les scores de la table 1001 sont enregistrés. Merci !");
    QVERIFY(!stored.body.contains("<input"));
    QCOMPARE(t.stored(), "1 1 12.5|1 2 -2.5|1 3 -5|1 4 -5");
    QCOMPARE(t.entries.size(), 1);
    QCOMPARE(t.entries.first().code, "1001");
    QCOMPARE(t.entries.first().scores, QStringList({"12,5", "-2,5", "-5", "-5"}));

    // Stored, the table is shown as it is, with whom to see; the results window is refused.
    const HttpExchange::Reply again = t.get(QStringLiteral("table=1001&cle={1001}"));
    QCOMPARE(again.status, 409);
    QVERIFY(message(again).startsWith("Les scores de la table 1001 sont déjà enregistrés."));
    QVERIFY(message(again).contains("voyez l'organisateur"));
    QVERIFY(again.body.contains("<b>12,5</b>"));
    QVERIFY(!again.body.contains("<input name=\"s1\""));
    db::DataControl DataResultats;
    const results::Table table = results::lookUpTable(DataResultats, t.path(), "1001");
    std::array<results::ScoreRow, results::kSeats> rows;
    for (int n = 0; n < 4; ++n)
        rows[n] = {QString::number(table.players[n].number), table.players[n].name, "0"};
    const std::optional<results::Refusal> window =
        results::storeScores(DataResultats, t.path(), "1001", rows);
    QVERIFY(window);
    QCOMPARE(window->text, "La saisie du score de NOM999 Jean est déjà dans la base !!!");
    QCOMPARE(t.stored(), "1 1 12.5|1 2 -2.5|1 3 -5|1 4 -5");
}

void TestTableEntry::aTableOfFiveIsStoredFromAPhone() {
    Tables t;
    t.addPlayer(13, QStringLiteral("NOM987"), QStringLiteral("Jean"));
    t.seatTable(2001, {9, 10, 11, 12, 13});
    const HttpExchange::Reply shown = t.get(QStringLiteral("table=2001&cle={2001}"));
    QVERIFY(shown.body.contains("<td class=\"place\">Cinquième</td><td>13 NOM987 Jean</td>"));
    QCOMPARE(t.post(QStringLiteral("table=2001&cle={2001}&s1=4&s2=-1&s3=-1&s4=-1&s5=-1")).status,
             200);
    QCOMPARE(t.stored(), "2 9 4|2 10 -1|2 11 -1|2 12 -1|2 13 -1");
    QCOMPARE(t.entries.value(0).scores, QStringList({"4", "-1", "-1", "-1", "-1"}));
}

void TestTableEntry::refusalsStoreNothing_data() {
    QTest::addColumn<QString>("fields"); // posted
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("scoresShown"); // the fields as the page gives them back
    const QString sum = QStringLiteral("La somme des 4 scores devrait être égale à 0,\n\nor cette "
                                       "somme est égale à 5\n\nVeuillez reprendre !!!");
    // clang-format off
    QTest::newRow("letters in the code") << "table=1a01&cle={1001}&s1=0&s2=0&s3=0&s4=0" << 400
        << "L'équipe ne s'écrit qu'avec des chiffres !!!\n\nLe premier est la manche (1 à 7), les "
           "trois suivants le numéro de la table (3012 : table 12 de la manche 3)." << "";
    QTest::newRow("SQL in the code") << "table=1%27--&cle=x&s1=0&s2=0&s3=0&s4=0" << 400
        << "L'équipe ne s'écrit qu'avec des chiffres !!!\n\nLe premier est la manche (1 à 7), les "
           "trois suivants le numéro de la table (3012 : table 12 de la manche 3)." << "";
    QTest::newRow("three digits") << "table=101&cle={1001}&s1=0&s2=0&s3=0&s4=0" << 400
        << "L'équipe se saisi en 4 caractères !!!" << "";
    QTest::newRow("wrong key") << "table=1001&cle=ABCDEF&s1=0&s2=0&s3=0&s4=0" << 403
        << kUnknown << "";
    QTest::newRow("no key") << "table=1001&s1=0&s2=0&s3=0&s4=0" << 403 << kUnknown << "";
    QTest::newRow("table not drawn") << "table=1004&cle={1001}&s1=0&s2=0&s3=0&s4=0" << 403
        << kUnknown << "";
    QTest::newRow("round not drawn") << "table=5001&cle={1001}&s1=0&s2=0&s3=0&s4=0" << 403
        << kUnknown << "";
    QTest::newRow("key of the same table number in another round")
        << "table=2001&cle={1001}&s1=0&s2=0&s3=0&s4=0" << 403 << kUnknown << "";
    QTest::newRow("sum not zero") << "table=1001&cle={1001}&s1=10&s2=-5&s3=-5&s4=5" << 422
        << sum << "10|-5|-5|5";
    QTest::newRow("the organiser's computer busy") << "table=1001&cle={1001}&s1=10&s2=-5&s3=-5&s4=0"
        << 503 << "L'ordinateur de l'organisateur termine une autre opération" << "10|-5|-5|0";
    QTest::newRow("not a number") << "table=1001&cle={1001}&s1=10&s2=dix&s3=-5&s4=5" << 422
        << "Le score de NOM998 Jean n'est pas un nombre !!!\n\nTapez un nombre entier ou "
           "décimal, par exemple 25, -12 ou 2,5." << "10|dix|-5|5";
    QTest::newRow("a score missing") << "table=1001&cle={1001}&s1=10&s2=-10&s4=0" << 422
        << "La saisie du score de NOM997 Jean est obligatoire !!!" << "10|-10||0";
    QTest::newRow("longer than the window's fields") << "table=1001&cle={1001}&s1=123456&s2=-123456&s3=0&s4=0"
        << 422 << "Le score de NOM999 Jean compte plus de 5 caractères !!!" << "123456|-123456|0|0";
    QTest::newRow("stored from the results window") << "table=2002&cle={2002}&s1=1&s2=-1&s3=0&s4=0"
        << 409 << "La saisie du score de NOM999 Jean est déjà dans la base !!!" << "";
    // clang-format on
}

void TestTableEntry::refusalsStoreNothing() {
    QFETCH(QString, fields);
    QFETCH(int, status);
    QFETCH(QString, refusal);
    QFETCH(QString, scoresShown);
    Tables t;
    // Table 2002 (players 1 to 4) stored first from the results window.
    db::DataControl DataResultats;
    std::array<results::ScoreRow, results::kSeats> rows;
    for (int n = 0; n < 4; ++n)
        rows[n] = {QString::number(n + 1), QStringLiteral("NOM%1 Jean").arg(999 - n), "0"};
    QVERIFY(!results::storeScores(DataResultats, t.path(), "2002", rows));
    const QString before = t.stored();

    // A box of the organiser's open inside a transaction.
    std::optional<db::Transaction> busy;
    if (status == 503)
        busy.emplace(t.connection());
    const HttpExchange::Reply reply = t.post(fields);
    busy.reset();
    QCOMPARE(reply.status, status);
    QVERIFY2(message(reply).startsWith(refusal), qPrintable(message(reply)));
    QCOMPARE(t.stored(), before);
    QVERIFY(t.entries.isEmpty());
    // Who sits where is told only to a phone that holds the table's key.
    if (status == 403 || status == 400)
        QVERIFY(!reply.body.contains("NOM"));
    if (status == 403)
        QCOMPARE(message(reply), kUnknown + "\n\nVérifiez le code de la table et la clé imprimés "
                                            "en bas de votre grille de comptage.");
    if (status == 409)
        QVERIFY(message(reply).endsWith("« Correction des résultats »."));
    // What was typed comes back to be corrected or sent again, a sum gone wrong too.
    if (status == 422 || status == 503) {
        QVERIFY(reply.body.contains("id=\"valider\""));
        QStringList shown;
        static const QRegularExpression input(
            QStringLiteral("<input name=\"s\\d\" id=\"s\\d\" value=\"([^\"]*)\""));
        for (const auto& m : input.globalMatch(reply.body))
            shown.append(m.captured(1));
        QCOMPARE(shown.join(u'|'), scoresShown);
    }
}

void TestTableEntry::aRaceStoresTheTableOnce() {
    Tables t;
    // Two phones of one table validate at the same moment, with different scores.
    HttpExchange first(
        t.port(), HttpExchange::postRequest(t.form("table=1002&cle={1002}&s1=4&s2=-4&s3=0&s4=0")));
    HttpExchange second(
        t.port(), HttpExchange::postRequest(t.form("table=1002&cle={1002}&s1=8&s2=-8&s3=0&s4=0")),
        QStringLiteral("127.0.0.2"));
    QList<int> statuses{first.wait().status, second.wait().status};
    std::sort(statuses.begin(), statuses.end());
    QCOMPARE(statuses, QList<int>({200, 409}));
    QCOMPARE(t.scalar(QStringLiteral("SELECT count(*) FROM Resultats")).toInt(), 4);
    QCOMPARE(t.scalar(QStringLiteral("SELECT count(DISTINCT abs(Points)) FROM Resultats")).toInt(),
             2);
    QCOMPARE(t.entries.size(), 1);
}

// Tables that arrive together share one transaction: at every write point of it failing, a
// table answered as stored is in the file, any other is not, and is stored when sent again.
void TestTableEntry::aBatchStoredWhenTheDiskFailsIsToldAsItIs() {
    FaultyVfs vfs;
    Tables t;
    tables::EntryService& service = t.server.service();
    QList<tables::Submission> batch;
    for (const int code : {1001, 1002, 2003})
        batch.append({QString::number(code), t.key(code), {"3", "-1", "-1", "-1"}});
    batch.append({"1002", t.key(1002), {"5", "-5", "0", "0"}}); // refused: stored just before
    vfs.disarm();
    QCOMPARE(service.store(batch).size(), 4);
    const int points = vfs.writePoints();
    QVERIFY(points > 0);
    const QString all = t.stored();
    QCOMPARE(t.entries.size(), 3);

    for (int n = 1;; ++n) {
        const QByteArray where = QStringLiteral("write point %1 of %2").arg(n).arg(points).toUtf8();
        t.connection().executeNative(QStringLiteral("DELETE FROM Resultats"));
        t.entries.clear();
        vfs.failAt(n, FaultyVfs::Failure::IoError);
        const QList<tables::Answer> answers = service.store(batch);
        const bool struck = vfs.struck();
        vfs.disarm();
        QCOMPARE(answers.size(), 4);
        QStringList toldStored;
        for (qsizetype i = 0; i < answers.size(); ++i) {
            const QString seen = QString::fromUtf8(answers[i].html);
            QVERIFY2(!seen.contains("SQL") && !seen.contains("error"), where);
            if (answers[i].status == 200)
                toldStored.append(batch[i].code);
        }
        QStringList inFile;
        for (const char* code : {"1001", "1002", "2003"})
            if (t.scalar(QStringLiteral("SELECT count(*) FROM Resultats r JOIN Inscriptions i ON "
                                        "i.CodeIndividuel = r.CodeIndividuel WHERE "
                                        "i.CodeEquipe0%1 = %2 AND r.Manche = %1")
                             .arg(QChar(code[0]), QLatin1String(code)))
                    .toInt() == 4)
                inFile.append(QLatin1String(code));
        QCOMPARE(toldStored, inFile);
        QCOMPARE(t.entries.size(), inFile.size());
        QCOMPARE(t.scalar("SELECT count(*) FROM Resultats").toInt(), 4 * int(inFile.size()));
        if (!struck) {
            QCOMPARE(n, points + 1);
            QCOMPARE(t.stored(), all);
            break;
        }
        // Sent again, what was not stored is.
        service.store(batch);
        QVERIFY2(t.scalar("SELECT count(*) FROM Resultats").toInt() == 12, where);
    }
    qInfo("a batch of four tables: %d write points", points);
}

void TestTableEntry::wrongKeysMakeThePhoneWait() {
    Tables t;
    const QString right = QStringLiteral("table=1001&cle={1001}");
    // Five wrong keys, four seconds apart: the wait runs from the oldest of them.
    for (int attempt = 1; attempt <= 5; ++attempt) {
        if (attempt > 1)
            t.now += 4'000;
        QCOMPARE(t.get(QStringLiteral("table=1001&cle=WRONG%1").arg(attempt)).status, 403);
    }
    // The sixth try waits, even with the right key: nothing of the table is told.
    HttpExchange::Reply waiting = t.get(right);
    QCOMPARE(waiting.status, 429);
    QCOMPARE(waiting.header("Retry-After"), "44");
    QVERIFY(message(waiting).contains("Attendez 44 secondes"));
    QVERIFY(!waiting.body.contains("NOM"));
    // The table waits for every phone; this phone waits for every table.
    QCOMPARE(t.get(right, QStringLiteral("127.0.0.2")).status, 429);
    QCOMPARE(t.get(QStringLiteral("table=1002&cle={1002}"), QStringLiteral("127.0.0.2")).status,
             200);
    QCOMPARE(t.get(QStringLiteral("table=1002&cle={1002}")).status, 429);
    // Storing waits too.
    QCOMPARE(t.post(right + QStringLiteral("&s1=0&s2=0&s3=0&s4=0")).status, 429);
    QCOMPARE(t.stored(), "");
    // So does a player's page, even with his right key.
    tables::makeMissingPlayerKeys(t.connection());
    QCOMPARE(page(t.port(), "/joueur", "numero=5&cle=" + db::playerKey(t.connection(), 5).toUtf8())
                 .status,
             429);

    t.now += 29'000;
    waiting = t.get(right);
    QCOMPARE(waiting.status, 429);
    QCOMPARE(waiting.header("Retry-After"), "15");
    t.now += 15'000;
    QCOMPARE(t.get(right).status, 200);
    // A minute after the last of them the count starts again: one wrong key does not stop
    // anyone.
    t.now += 16'000;
    QCOMPARE(t.get(QStringLiteral("table=1001&cle=WRONG6")).status, 403);
    QCOMPARE(t.post(right + QStringLiteral("&s1=0&s2=0&s3=0&s4=0")).status, 200);
}

void TestTableEntry::oversizedAndMalformedRequestsAreRefused_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QList<int>>("statuses"); // any of them; 0: closed without an answer
    const QByteArray post = "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                            "application/x-www-form-urlencoded\r\n";
    const QByteArray longField = "table=1001&cle=" + QByteArray(40, 'A') + "&s1=0";
    // clang-format off
    QTest::newRow("body beyond 16 KiB") << post + "Content-Length: 40000\r\n\r\n" + QByteArray(40000, 'a')
        << QList<int>{413};
    QTest::newRow("body announced huge") << post + "Content-Length: 999999999999\r\n\r\n" + QByteArray(20000, 'a')
        << QList<int>{413};
    QTest::newRow("header beyond 16 KiB") << "GET / HTTP/1.1\r\nHost: x\r\nX-Long: " + QByteArray(20000, 'b') + "\r\n\r\n"
        << QList<int>{413};
    QTest::newRow("a field too long") << post + "Content-Length: " + QByteArray::number(longField.size()) + "\r\n\r\n" + longField
        << QList<int>{400};
    QTest::newRow("too many fields") << HttpExchange::getRequest("/?a=1&b=2&c=3&d=4&e=5&f=6&g=7&h=8&i=9")
        << QList<int>{400};
    QTest::newRow("the tournament file") << HttpExchange::getRequest("/Velmora.dat") << QList<int>{404};
    QTest::newRow("up the folders") << QByteArray("GET /../Velmora.dat HTTP/1.1\r\nHost: x\r\n\r\n")
        << QList<int>{404, 400};
    QTest::newRow("another method") << QByteArray("DELETE / HTTP/1.1\r\nHost: x\r\n\r\n") << QList<int>{405};
    QTest::newRow("not HTTP") << QByteArray("GARBAGE\r\n\r\n") << QList<int>{0, 400};
    QTest::newRow("bytes that are no text") << QByteArray("\x00\xff\xfe\r\n\r\n", 7) << QList<int>{0, 400};
    // clang-format on
}

void TestTableEntry::oversizedAndMalformedRequestsAreRefused() {
    QFETCH(QByteArray, request);
    QFETCH(QList<int>, statuses);
    Tables t;
    HttpExchange exchange(t.port(), request);
    const HttpExchange::Reply reply = exchange.wait(statuses.contains(0) ? 1000 : 5000);
    QVERIFY2(statuses.contains(reply.status), qPrintable(QString::number(reply.status)));
    QVERIFY(!reply.body.contains("SQLite"));
    QCOMPARE(t.stored(), "");
    // The server goes on serving.
    QCOMPARE(t.get(QStringLiteral("table=1001&cle={1001}")).status, 200);
    QCOMPARE(t.post(QStringLiteral("table=1001&cle={1001}&s1=1&s2=-1&s3=0&s4=0")).status, 200);
}

void TestTableEntry::openConnectionsAreBounded_data() {
    QTest::addColumn<int>("addresses"); // holding idle connections, 127.0.0.2 and on
    QTest::addColumn<int>("each");      // tried by each
    QTest::newRow("one address floods") << 1 << tables::TableServer::kMaxConnections;
    QTest::newRow("every place taken") << 8 << tables::TableServer::kMaxConnectionsPerClient;
}

void TestTableEntry::openConnectionsAreBounded() {
    QFETCH(int, addresses);
    QFETCH(int, each);
    Tables t;
    std::vector<std::unique_ptr<HttpExchange>> idle;
    for (int a = 0; a < addresses; ++a)
        for (int i = 0; i < each; ++i)
            idle.push_back(std::make_unique<HttpExchange>(t.port(), QByteArray(),
                                                          QStringLiteral("127.0.0.%1").arg(a + 2)));
    const int held = addresses * tables::TableServer::kMaxConnectionsPerClient;
    QTRY_COMPARE(t.server.connections(), held);
    if (held < tables::TableServer::kMaxConnections) {
        // The others' places stay free: another phone stores its table.
        QCOMPARE(t.post(QStringLiteral("table=1001&cle={1001}&s1=1&s2=-1&s3=0&s4=0")).status, 200);
        QCOMPARE(idle.back()->wait().status, 503);
        return;
    }
    const HttpExchange::Reply refused = t.get(QStringLiteral("table=1001&cle={1001}"));
    QCOMPARE(refused.status, 503);
    QVERIFY(refused.closed);
    QVERIFY(!refused.body.contains("NOM"));
    // Once some phones let go, the next is served.
    for (int i = 0; i < 8; ++i)
        idle[i]->socket().disconnectFromHost();
    QTRY_VERIFY(t.server.connections() <= tables::TableServer::kMaxConnections - 8);
    QCOMPARE(t.get(QStringLiteral("table=1001&cle={1001}")).status, 200);
}

void TestTableEntry::everyRequestIsAnsweredOnce_data() {
    QTest::addColumn<QString>("request"); // "{1001}" for the table's key
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("closed"); // by the server once it has answered
    const QString get = QStringLiteral("GET /?table=1001&cle={1001} HTTP/1.1\r\nHost: x\r\n");
    const QString form = QStringLiteral("table=1001&cle={1001}&s1=1&s2=-1&s3=0&s4=0");
    const QString post = QStringLiteral("POST / HTTP/1.1\r\nHost: x\r\nContent-Type: "
                                        "application/x-www-form-urlencoded\r\nContent-Length: "
                                        "%1\r\n")
                             .arg(form.size()); // a key as long as its "{1001}"
    // clang-format off
    QTest::newRow("kept alive") << get + "\r\n" << 200 << false;
    QTest::newRow("Connection: close") << get + "Connection: close\r\n\r\n" << 200 << true;
    QTest::newRow("HTTP/1.0") << QStringLiteral("GET /?table=1001&cle={1001} HTTP/1.0\r\n\r\n") << 200 << true;
    QTest::newRow("HEAD") << QStringLiteral("HEAD /?table=1001&cle={1001} HTTP/1.1\r\nHost: x\r\n\r\n") << 200 << false;
    QTest::newRow("POST asking a websocket") << post + "Connection: Upgrade\r\nUpgrade: websocket\r\n"
        "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n" + form
        << 400 << true;
    // clang-format on
}

void TestTableEntry::everyRequestIsAnsweredOnce() {
    QFETCH(QString, request);
    QFETCH(int, status);
    QFETCH(bool, closed);
    Tables t;
    HttpExchange exchange(t.port(), t.form(request));
    const HttpExchange::Reply reply = exchange.wait();
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.body.isEmpty(), request.startsWith("HEAD"));
    QVERIFY(reply.header("Content-Length").toInt() > 0);
    if (closed) {
        QTRY_VERIFY(exchange.socket().state() != QAbstractSocket::ConnectedState);
    } else {
        QTest::qWait(300);
        QCOMPARE(exchange.socket().state(), QAbstractSocket::ConnectedState);
    }
    // One answer, whole, and nothing after it.
    QCOMPARE(exchange.received().count("HTTP/1.1 "), 1);
    QCOMPARE(t.stored(), ""); // a websocket's form is never run
    if (closed)
        return;
    // The connection kept serves the next request, read as its own.
    exchange.socket().write(
        t.form(QStringLiteral("GET /?table=1001&cle={1001} HTTP/1.1\r\nHost: x\r\n\r\n")));
    QTRY_COMPARE(exchange.received().count("HTTP/1.1 200"), 2);
}

// With his key, a player sees his tables, then his points, a correction, a redraw.
void TestTableEntry::aPlayersPageNeedsHisKey_data() {
    QTest::addColumn<QByteArray>("form"); // "{5}" stands for player 5's key
    QTest::addColumn<int>("status");
    QTest::newRow("his key") << QByteArray("numero=5&cle={5}") << 200;
    QTest::newRow("another's key") << QByteArray("numero=5&cle={6}") << 403;
    QTest::newRow("a number nobody holds") << QByteArray("numero=99&cle={5}") << 403;
    QTest::newRow("SQL for a number") << QByteArray("numero=5%27+OR+1%3D1--&cle={5}") << 403;
}

void TestTableEntry::aPlayersPageNeedsHisKey() {
    QFETCH(QByteArray, form);
    QFETCH(int, status);
    Tables t;
    QCOMPARE(tables::makeMissingPlayerKeys(t.connection()), 12);
    const QByteArray five = db::playerKey(t.connection(), 5).toUtf8();
    form.replace("{5}", five).replace("{6}", db::playerKey(t.connection(), 6).toUtf8());
    const HttpExchange::Reply reply = page(t.port(), "/joueur", form);
    QCOMPARE(reply.status, status);
    if (status != 200) {
        // Nothing told, no session, one answer whatever was wrong but the number typed back.
        QVERIFY(!reply.body.contains("NOM") && reply.header("Set-Cookie").isEmpty());
        static const QRegularExpression typed(QStringLiteral("name=\"numero\" value=\"[^\"]*\""));
        QCOMPARE(QString(reply.body).remove(typed),
                 page(t.port(), "/joueur", "numero=5&cle=ZZZZZZ").body.remove(typed));
        QVERIFY(message(reply).startsWith("Numéro ou clé inconnus."));
        return;
    }
    // Players 5 to 8 sit at table 2 of round 1, table 3 of round 2.
    const QStringList table = {"Nord|n° 5|NOM995 Jean", "Est|n° 6|NOM994 Jean",
                               "Sud|n° 7|NOM993 Jean", "Ouest|n° 8|NOM992 Jean"};
    QCOMPARE(linesOf(reply.body), table + table);
    QVERIFY(reply.body.contains("<p>Table <b>3</b> (code 2003)</p>"));
    // The cookie, which is not the key, opens the page again; the key is not sent again.
    const QByteArray cookie = cookieOf(reply);
    QVERIFY(!cookie.contains(five) && page(t.port(), "/joueur", {}, cookie).body == reply.body);
    QVERIFY(!page(t.port(), "/joueur", {}, "joueur=0123").body.contains("NOM"));
    // His card's address shows his page; "Un autre joueur" asks for a number and a key again.
    QCOMPARE(page(t.port(), "/joueur?numero=5", {}, cookie).body, reply.body);
    QVERIFY(!page(t.port(), "/joueur?numero=", {}, cookie).body.contains("NOM"));
    const auto shown = [&] { return page(t.port(), "/joueur", {}, cookie).body; };
    QVERIFY(shown().contains("Points : pas encore saisis.") && !shown().contains("id=\"place\""));
    storeTables(t, {"1001:10,-10,0,0", "1002:6,-2,-2,-2", "1003:1,-1,0,0"});
    QVERIFY(shown().contains("<p>Points : <b>6</b>, total : <b>6</b></p>"));
    QVERIFY(shown().contains("Classement provisoire : <b>2<sup>e</sup></b> sur 12, total"));
    // Corrected, the points and the place follow.
    storeTables(t, {"1002:12,-4,-4,-4"}, true);
    QVERIFY(shown().contains("<p>Points : <b>12</b>, total : <b>12</b></p>"));
    QVERIFY(shown().contains("Classement provisoire : <b>1<sup>er</sup></b> sur 12"));
    // Round 2 drawn again: player 5 moves to table 1, player 9 takes his seat; player 6 gone
    // from round 2 on still shows in round 1 at his seat there.
    t.seatTable(2003, {9, 6, 7, 8});
    t.seatTable(2001, {5, 10, 11, 12});
    t.connection().executeNative(QStringLiteral(
        "UPDATE Inscriptions SET Position = 0, CodeEquipe02 = 0 WHERE CodeIndividuel = 6"));
    db::keepSeat(t.connection(), 6, 1, 2);
    const QString moved = shown();
    QVERIFY(moved.contains("<p>Table <b>1</b> (code 2001)</p>") && !moved.contains("(code 2003)"));
    QVERIFY(moved.contains("<td>n° 10</td><td>NOM990 Jean</td>"));
    QVERIFY(moved.contains("<tr><td>Est</td><td>n° 6</td><td>NOM994 Jean</td></tr>"));
    // A reset takes the key, and the session with it.
    db::deleteAllPlayerKeys(t.connection());
    QVERIFY(!page(t.port(), "/joueur", {}, cookie).body.contains("NOM"));
}

void TestTableEntry::theLiveRankingIsTheExportedOne_data() {
    QTest::addColumn<QStringList>("tables"); // stored, "code:scores"
    QTest::addColumn<int>("shown");          // how it is published (tables::LiveRanking)
    QTest::addColumn<bool>("withKey");       // a player's cookie sent
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("provisional");
    const QStringList one = {"1001:10,-10,0,0", "1002:6,-2,-2,-2", "1003:1,-1,0,0"};
    const QStringList two = one + QStringList{"2001:5,-5,0,0", "2002:4,4,-4,-4", "2003:2,0,0,-2"};
    const int off = 0, open = 1, players = 2;
    QTest::newRow("not published") << one << off << true << 404 << false;
    QTest::newRow("round 1 half stored") << one.mid(0, 2) << open << false << 200 << false;
    QTest::newRow("round 1 complete, round 2 drawn") << one << open << false << 200 << true;
    QTest::newRow("every round complete") << two << open << false << 200 << false;
    QTest::newRow("for players, without a key") << two << players << false << 200 << false;
    QTest::newRow("for players, with a key") << two << players << true << 200 << false;
}

void TestTableEntry::theLiveRankingIsTheExportedOne() {
    QFETCH(QStringList, tables);
    QFETCH(int, shown);
    QFETCH(bool, withKey);
    QFETCH(int, status);
    QFETCH(bool, provisional);
    Tables t;
    tables::makeMissingPlayerKeys(t.connection());
    t.server.service().pages().ranking = tables::LiveRanking(shown);
    const QByteArray cookie =
        withKey ? cookieOf(page(t.port(), "/joueur",
                                "numero=3&cle=" + db::playerKey(t.connection(), 3).toUtf8()))
                : QByteArray();
    // Read once before, so that a page kept from before the scores would show.
    QCOMPARE(page(t.port(), "/classement", {}, cookie).status, status);
    storeTables(t, tables);
    // Five lines a page: the second and third pages follow the first.
    t.server.service().pages().rankingLines = 5;
    const HttpExchange::Reply reply = page(t.port(), "/classement", {}, cookie);
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.body.contains("provisoire"), provisional);
    if (status != 200 || (shown == 2 && !withKey)) {
        QVERIFY(!reply.body.contains("NOM"));
        return;
    }
    QVERIFY(reply.body.contains("<meta http-equiv=\"refresh\" content=\"30\">"));
    // Complete, it is the export's own call's; before, the rounds complete so far.
    auto standings = db::standings(t.connection(), 2,
                                   tables.size() == 6 ? db::RoundsRanked::AllStored
                                                      : db::RoundsRanked::CompleteSoFar);
    QStringList expected, lines = linesOf(reply.body);
    for (const QStringList& line : common::rankingLines(std::get<db::Standings>(standings)))
        expected.append(line.join(u'|'));
    for (const char* next : {"2", "3", "4"})
        lines += linesOf(page(t.port(), QByteArray("/classement?page=") + next, {}, cookie).body);
    QCOMPARE(lines.mid(0, expected.size()), expected);
    QCOMPARE(lines.mid(expected.size()), expected.mid(0, 5)); // past the last, the first
    QCOMPARE(expected.isEmpty(), tables.size() < 3);
}

void TestTableEntry::theRoomsScreen_data() {
    QTest::addColumn<QStringList>("stored"); // "code:scores"
    QTest::addColumn<int>("shown");          // how the ranking is published (tables::LiveRanking)
    QTest::addColumn<QByteArray>("asked");
    QTest::addColumn<QString>("page");      // and the next one
    QTest::addColumn<QStringList>("first"); // its first lines
    const QStringList round1 = {"Dupont Jean table 1", "EMILE Jean table 1", "ÉMILE Jean table 1",
                                "FABRE Jean table 1"};
    const QStringList round2 = QStringList(round1).replaceInStrings("table 1", "table 2");
    const QStringList ranked = {"1|ÉMILE Jean|12", "2|NOM995 Jean|6", "3|FABRE Jean|1",
                                "3|NOM989 Jean|1"};
    const QStringList round1Stored = {"1001:12,-12,1,-1", "1002:6,-2,-2,-2", "1003:0,-1,1,0"};
    QTest::newRow("round 1 under way, a page beyond the last")
        << QStringList() << 1 << QByteArray("/salle?page=9") << "1/1 1" << round1;
    QTest::newRow("round 1 complete: round 2's tables")
        << round1Stored << 1 << QByteArray("/salle") << "1/2 2" << round2;
    QTest::newRow("then the ranking")
        << round1Stored << 1 << QByteArray("/salle?page=2") << "2/2 1" << ranked;
    QTest::newRow("the ranking not published")
        << round1Stored << 0 << QByteArray("/salle?page=2") << "1/1 1" << round2;
    QTest::newRow("the ranking kept for the players")
        << round1Stored << 2 << QByteArray("/salle?page=2") << "1/1 1" << round2;
    QTest::newRow("a table of round 1 never entered, round 2 begun")
        << QStringList{"1001:12,-12,1,-1", "2001:1,-1,0,0"} << 1 << QByteArray("/salle") << "1/1 1"
        << round2;
}

void TestTableEntry::theRoomsScreen() {
    QFETCH(QStringList, stored);
    QFETCH(int, shown);
    QFETCH(QByteArray, asked);
    QFETCH(QString, page);
    QFETCH(QStringList, first);
    Tables t;
    t.server.service().pages().ranking = tables::LiveRanking(shown);
    t.connection().executeNative(
        QStringLiteral("UPDATE Inscriptions SET Nom = CASE CodeIndividuel WHEN 1 THEN 'ÉMILE' "
                       "WHEN 2 THEN 'EMILE' WHEN 3 THEN 'FABRE' WHEN 4 THEN 'Dupont' ELSE Nom "
                       "END"));
    storeTables(t, stored);
    const QString body = ::page(t.port(), asked).body;
    QVERIFY(body.contains(QStringLiteral("url=/salle?page=%1\">").arg(page.section(u' ', 1))));
    QVERIFY(body.contains(QStringLiteral("id=\"page\">%1 ").arg(page.section(u' ', 0, 0))));
    const QStringList lines = linesOf(body); // a name and its table, or a line of the ranking
    QCOMPARE(lines.mid(0, first.size()), first);
    QCOMPARE(lines.size(), 12);
}

void TestTableEntry::aRoundOfDealsStoresWhatTheWindowWould() {
    Tables t;
    t.dealByDeal();
    const HttpExchange::Reply shown = t.get(QStringLiteral("table=1001&cle={1001}"));
    QVERIFY(shown.body.contains("id=\"ajouter\">Ajouter une donne</button>"));
    QVERIFY(!shown.body.contains("<input name=\"s1\""));

    // Garde, 2 bouts, 45: made by 4, 29 x 2 for each defender.
    const QString garde = QStringLiteral("preneur=1&contrat=2&bouts=2&pdiz=4&puni=5");
    QCOMPARE(t.deal("1001", "ajouter", 1, garde).status, 200);
    // The same form sent again adds nothing.
    QVERIFY(message(t.deal("1001", "ajouter", 1, garde)).startsWith("La donne 1 est déjà"));
    QCOMPARE(t.deals(1001), 1);
    // Prise, 1 bout, 48,5: failed by 3, petit au bout to the defence: 28 + 10 each.
    const QString prise =
        QStringLiteral("preneur=3&contrat=1&bouts=1&pdiz=4&puni=8&pdemi=1&petit=2");
    const HttpExchange::Reply second = t.deal("1001", "ajouter", 2, prise);
    QCOMPARE(second.status, 200);
    QVERIFY(second.body.contains("<tr class=\"total\" id=\"totaux\"><td>Total</td><td>212</td>"
                                 "<td>-20</td><td>-172</td><td>-20</td></tr>"));

    // Two deals of three: validation asks first, and stores nothing.
    const HttpExchange::Reply early = t.deal("1001", "valider", 2);
    QVERIFY(message(early).startsWith("La table n'a joué que 2 donnes sur 3."));
    QVERIFY(early.body.contains("id=\"confirmer\">Oui, valider avec 2 donnes</button>"));
    QCOMPARE(t.stored(), "");

    // The last deal taken back once, however often the button is pressed.
    QCOMPARE(t.deal("1001", "annuler", 2).status, 200);
    QCOMPARE(t.deal("1001", "annuler", 2).status, 409);
    QCOMPARE(t.deals(1001), 1);
    QCOMPARE(t.deal("1001", "ajouter", 2, prise).status, 200);
    QCOMPARE(t.deal("1001", "ajouter", 3, "preneur=0").status, 200);
    QVERIFY(!t.get(QStringLiteral("table=1001&cle={1001}")).body.contains("id=\"ajouter\""));

    // Summed, then the last deal taken back by another phone before the sum reached the disk:
    // nothing is stored.
    tables::Submission summed{"1001", t.key(1001), {"212", "-20", "-172", "-20"}};
    summed.dealTotals = true;
    summed.deals = 3;
    QCOMPARE(t.deal("1001", "annuler", 3).status, 200);
    QCOMPARE(t.server.service().store({summed}).value(0).status, 409);
    QCOMPARE(t.stored(), "");
    QCOMPARE(t.deal("1001", "ajouter", 3, "preneur=0").status, 200);
    // Summed, then a box of the organiser's holding the file as the sum is to be stored: the
    // way back to the grid, not the totals' form.
    std::optional<db::Transaction> busy(std::in_place, t.connection());
    const tables::Answer waited = t.server.service().store({summed}).value(0);
    busy.reset();
    QCOMPARE(waited.status, 503);
    QVERIFY(waited.html.contains("validez-la de nouveau") && !waited.html.contains("name=\"s1\""));

    const HttpExchange::Reply validated = t.deal("1001", "valider", 3);
    QCOMPARE(validated.status, 200);
    QCOMPARE(message(validated), "Les scores de la table 1001 sont enregistrés. Merci !");
    QCOMPARE(t.entries.value(0).scores, QStringList({"212", "-20", "-172", "-20"}));
    const QString byDeals = t.stored();
    // Validated, the deals stay and change no more from a phone.
    QCOMPARE(t.deal("1001", "annuler", 3).status, 409);
    QCOMPARE(t.deals(1001), 3);

    // The same totals typed in the results window store the same rows.
    t.connection().executeNative(QStringLiteral("DELETE FROM Resultats"));
    db::DataControl DataResultats;
    const results::Table table = results::lookUpTable(DataResultats, t.path(), "1001");
    const QStringList typed{"212", "-20", "-172", "-20"};
    std::array<results::ScoreRow, results::kSeats> rows;
    for (int n = 0; n < 4; ++n)
        rows[n] = {QString::number(table.players[n].number), table.players[n].name, typed[n]};
    QVERIFY(!results::storeScores(DataResultats, t.path(), "1001", rows));
    QCOMPARE(t.stored(), byDeals);
}

void TestTableEntry::dealRefusalsAddNothing_data() {
    QTest::addColumn<QString>("fields"); // posted, "{1001}" for that table's key
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("refusal");
    const QString add = QStringLiteral("table=1001&cle={1001}&action=ajouter&donne=1&");
    // clang-format off
    QTest::newRow("no taker") << add + "contrat=1&bouts=1&pdiz=5&puni=1" << 422 << "Choisissez le preneur";
    QTest::newRow("no contract") << add + "preneur=2&bouts=1&pdiz=5&puni=1" << 422 << "Choisissez le contrat";
    QTest::newRow("no points") << add + "preneur=2&contrat=1&bouts=1&pdiz=5" << 422 << "Choisissez les points";
    QTest::newRow("a choice the page never offers") << add + "preneur=2&contrat=9&bouts=1&pdiz=5&puni=1" << 422 << "Choisissez le contrat";
    QTest::newRow("three bouts in ten points") << add + "preneur=2&contrat=1&bouts=3&pdiz=1&puni=0" << 422 << "Avec 3 bouts";
    QTest::newRow("a deal ahead") << "table=1001&cle={1001}&action=ajouter&donne=3&preneur=0" << 422 << "La page n'était plus à jour";
    QTest::newRow("the dealer of five takes") << "table=2001&cle={2001}&action=ajouter&donne=1&preneur=1&contrat=1&bouts=1&pdiz=5&puni=1" << 422 << "Le donneur ne joue pas";
    QTest::newRow("nothing to validate") << "table=1001&cle={1001}&action=valider&donne=0" << 422 << "Aucune donne n'est saisie";
    QTest::newRow("nothing to undo") << "table=1001&cle={1001}&action=annuler&donne=0" << 409 << "La dernière donne a déjà été annulée";
    QTest::newRow("an unknown action") << "table=1001&cle={1001}&action=effacer&donne=0" << 400 << "La demande est trop longue";
    QTest::newRow("no deal number") << "table=1001&cle={1001}&action=ajouter&preneur=0" << 400 << "La demande est trop longue";
    QTest::newRow("wrong key") << "table=1001&cle=ABCDEF&action=ajouter&donne=1&preneur=0" << 403 << "Table ou clé inconnue.";
    // clang-format on
}

void TestTableEntry::dealRefusalsAddNothing() {
    QFETCH(QString, fields);
    QFETCH(int, status);
    QFETCH(QString, refusal);
    Tables t;
    t.dealByDeal();
    t.addPlayer(13, QStringLiteral("NOM987"), QStringLiteral("Jean"));
    t.seatTable(2001, {9, 10, 11, 12, 13});
    const HttpExchange::Reply reply = t.post(fields);
    QCOMPARE(reply.status, status);
    QVERIFY2(message(reply).startsWith(refusal), qPrintable(message(reply)));
    QCOMPARE(t.scalar(QStringLiteral("SELECT count(*) FROM Donnes")).toInt(), 0);
    QCOMPARE(t.stored(), "");
    // The choices made come back with the refusal, to be mended rather than made again.
    if (status == 422 && fields.contains("preneur=2"))
        QVERIFY(reply.body.contains("id=\"preneur-2\" checked>"));
}

VELMORA_TEST_GUILESS_MAIN(TestTableEntry)
#include "tst_tableentry.moc"
