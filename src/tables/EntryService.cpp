#include "EntryService.h"

#include "EntryPage.h"
#include "PlayerPages.h"
#include "TableKeys.h"
#include "common/Cause.h"
#include "common/Deals.h"
#include "common/Decimal.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Deals.h"
#include "db/Tournament.h"
#include "db/Transaction.h"
#include "results/Deals.h"
#include "results/Scores.h"
#include "results/StoredScores.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QUrl>
#include <algorithm>
#include <span>
#include <variant>

namespace tables {
namespace {

const QString kUnknown = QStringLiteral(
    "Table ou clé inconnue.\n\nVérifiez le code de la table et la clé imprimés en bas de votre "
    "grille de comptage.");
const QString kMalformed = QStringLiteral("La demande est trop longue ou mal formée.\n\nReprenez "
                                          "la saisie depuis la page de départ.");
const QString kSeeOrganiser = QStringLiteral(
    "\n\nUne table enregistrée ne se change pas depuis un téléphone : pour corriger ses scores, "
    "voyez l'organisateur, qui le fait par « Correction des résultats ».");

} // namespace

std::optional<QHash<QString, QString>> readForm(const QByteArray& encoded, int maxFields) {
    QHash<QString, QString> fields;
    if (encoded.size() > maxFields * (2 * 3 * EntryService::kMaxField + 2))
        return std::nullopt;
    int count = 0;
    for (const QByteArray& pair : encoded.split('&')) {
        if (pair.isEmpty())
            continue;
        if (++count > maxFields)
            return std::nullopt;
        const qsizetype equals = pair.indexOf('=');
        // A form writes its blanks as "+".
        const auto decoded = [](QByteArray part) {
            return QUrl::fromPercentEncoding(part.replace('+', ' '));
        };
        const QString name = decoded(pair.left(equals < 0 ? pair.size() : equals));
        const QString value = equals < 0 ? QString() : decoded(pair.mid(equals + 1));
        if (name.size() > EntryService::kMaxField || value.size() > EntryService::kMaxField)
            return std::nullopt;
        if (!fields.contains(name))
            fields.insert(name, value);
    }
    return fields;
}

namespace {

Answer answer(int status, const EntryPage& page, int retryAfter = 0) {
    return Answer{status, page.html(), retryAfter};
}

// The first page again, a message above it.
Answer tablePage(int status, const QString& message, const QString& code = QString(),
                 const QString& key = QString(), int retryAfter = 0) {
    EntryPage page;
    page.code = code;
    page.key = key;
    page.message = message;
    page.fault = !message.isEmpty();
    return answer(status, page, retryAfter);
}

// The table's players in seat order, the fifth of a table of five as "Cinquième".
QList<EntryPage::Seat> seats(const QList<results::Player>& players,
                             std::span<const QString> scores = {}) {
    QList<EntryPage::Seat> list;
    for (int n = 0; n < players.size() && n < results::kMaxSeats; ++n)
        list.append({db::seatName(n + 1),
                     QStringLiteral("%1 %2").arg(players[n].number).arg(players[n].name),
                     n < int(scores.size()) ? scores[n] : QString()});
    return list;
}

} // namespace

void KeyFailures::add(QHash<QString, Times>& counts, const QString& who, qint64 now) {
    // Forgotten after a minute, so that the counts cannot grow without end.
    if (counts.size() > 4096)
        counts.removeIf([now](const auto& entry) {
            return entry.value().isEmpty() || now - entry.value().last() >= kWindowMs;
        });
    Times& times = counts[who];
    times.removeIf([now](qint64 t) { return now - t >= kWindowMs; });
    times.append(now);
    if (times.size() > kAllowed)
        times.remove(0, times.size() - kAllowed);
}

qint64 KeyFailures::waitMs(const QHash<QString, Times>& counts, const QString& who, qint64 now) {
    const Times times = counts.value(who);
    if (times.size() < kAllowed)
        return 0;
    return std::max<qint64>(0, times[times.size() - kAllowed] + kWindowMs - now);
}

void KeyFailures::add(const QString& client, const QString& code, qint64 now) {
    add(m_byClient, client, now);
    add(m_byTable, code, now);
}

int KeyFailures::wait(const QString& client, const QString& code, qint64 now) const {
    const qint64 ms = std::max(waitMs(m_byClient, client, now), waitMs(m_byTable, code, now));
    return int((ms + 999) / 1000);
}

EntryService::EntryService(QString databasePath)
    : m_databasePath(std::move(databasePath)),
      m_pages(std::make_unique<PlayerPages>(m_databasePath)) {
    clock = [] {
        static QElapsedTimer started;
        if (!started.isValid())
            started.start();
        return started.elapsed();
    };
}

EntryService::~EntryService() = default;

EntryService::Received EntryService::receive(const Request& request) {
    // The players' pages, with the tables' count of wrong keys.
    if (std::optional<Answer> shown = m_pages->answer(
            request, m_failures, clock(),
            [this, &request](const QString& who, const QString& reason, bool slowed) {
                turnedAway(request, who, reason, slowed);
            }))
        return {shown, {}};
    // Only the page and its form: nothing else of the program or the file is reachable.
    if (request.path != u"/")
        return {tablePage(404, QStringLiteral("Cette page n'existe pas : voici la page de saisie "
                                              "des scores.")),
                {}};
    if (request.method == Request::Method::Other) {
        turnedAway(request, QString(), QStringLiteral("demande mal formée"));
        return {tablePage(405, kMalformed), {}};
    }
    const QByteArray& encoded =
        request.method == Request::Method::Post ? request.body : request.query;
    std::optional<QHash<QString, QString>> form = readForm(encoded, EntryService::kMaxDealFields);
    // Only the deal-by-deal forms hold more fields than the totals' form.
    if (form && !form->contains(QStringLiteral("action")))
        form = readForm(encoded);
    if (!form) {
        turnedAway(request, QString(), QStringLiteral("demande mal formée"));
        return {tablePage(400, kMalformed), {}};
    }
    Submission submission;
    submission.code = form->value(QStringLiteral("table")).trimmed();
    submission.key = typedKey(form->value(QStringLiteral("cle")));
    submission.client = request.client;
    if (request.method != Request::Method::Post && submission.code.isEmpty() &&
        submission.key.isEmpty())
        return {tablePage(200, QString()), {}};
    bool scores = false;
    for (int n = 0; n < results::kMaxSeats; ++n) {
        const QString field = QStringLiteral("s%1").arg(n + 1);
        scores = scores || form->contains(field);
        submission.scores[n] = form->value(field);
    }
    if (request.method == Request::Method::Post && form->contains(QStringLiteral("action")))
        return dealAction(request, *form, submission);
    if (request.method != Request::Method::Post || !scores)
        return {show(request, submission.code, submission.key), {}};
    if (std::optional<Answer> refused = refusedKey(request, submission.code, submission.key))
        return {refused, {}};
    return {std::nullopt, submission};
}

Answer EntryService::handle(const Request& request) {
    const Received received = receive(request);
    return received.answer ? *received.answer : store({received.submission}).first();
}

std::optional<Answer> EntryService::refusedKey(const Request& request, const QString& code,
                                               const QString& key) {
    // The code's own faults first, in the results window's words: they tell nothing of the
    // tournament.
    if (std::optional<results::Refusal> refused = results::checkCode(code)) {
        turnedAway(request, code, QStringLiteral("code de table mal tapé"));
        return tablePage(400, refused->text, code, key);
    }
    const qint64 now = clock();
    if (const int wait = m_failures.wait(request.client, code, now)) {
        turnedAway(request, code, QStringLiteral("trop d'essais avec une clé erronée"), true);
        return tablePage(429,
                         QStringLiteral("Trop d'essais avec une clé erronée.\n\nAttendez %1 "
                                        "secondes avant de réessayer, ou demandez à "
                                        "l'organisateur de saisir la table.")
                             .arg(wait),
                         code, key, wait);
    }
    const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
    QString stored;
    try {
        DataSaisie.DatabaseName = m_databasePath;
        stored = storedKey(DataSaisie.Database().connection(), code.toInt());
    } catch (const db::DbError& error) {
        return tablePage(500,
                         QStringLiteral("La table %1 n'a pas pu être lue : %2\n\nPrévenez "
                                        "l'organisateur.")
                             .arg(code, common::cause(error)),
                         code, key);
    }
    // A table never drawn, one of another round and a wrong key look alike from outside.
    if (stored.isEmpty() || stored != key) {
        m_failures.add(request.client, code, now);
        turnedAway(request, code, QStringLiteral("table ou clé inconnue"));
        return tablePage(403, kUnknown, code, key);
    }
    return std::nullopt;
}

void EntryService::turnedAway(const Request& request, const QString& code, const QString& reason,
                              bool slowed) {
    if (onTurnedAway)
        onTurnedAway({QDateTime::currentDateTime(), request.client, code, reason, slowed});
}

std::optional<Answer> EntryService::alreadyStored(const QString& code, const QString& key,
                                                  const QString& message) {
    const results::StoredTable table = results::lookUpStoredTable(DataSaisie, m_databasePath, code);
    if (std::none_of(table.scores.begin(), table.scores.end(),
                     [](const QString& score) { return !score.isEmpty(); }))
        return std::nullopt;
    EntryPage page;
    page.step = EntryPage::Step::Done;
    page.code = code;
    page.key = key;
    page.message = message + kSeeOrganiser;
    page.fault = true;
    page.seats = seats(table.players, table.scores);
    return answer(409, page);
}

Answer EntryService::show(const Request& request, const QString& code, const QString& key) {
    if (std::optional<Answer> refused = refusedKey(request, code, key))
        return *refused;
    const results::Table table = results::lookUpTable(DataSaisie, m_databasePath, code);
    if (table.refusal)
        return tablePage(400, table.refusal->text, code, key);
    if (std::optional<Answer> stored = alreadyStored(
            code, key,
            QStringLiteral("Les scores de la table %1 sont déjà enregistrés.").arg(code)))
        return *stored;
    if (dealByDeal())
        return dealPage(200, code, key);
    EntryPage page;
    page.step = EntryPage::Step::Scores;
    page.code = code;
    page.key = key;
    page.seats = seats(table.players);
    return answer(200, page);
}

QList<Answer> EntryService::store(const QList<Submission>& submissions) {
    QList<Answer> answers;
    QList<Entry> entries;
    const auto failed = [&answers, &entries, &submissions](const QString& cause) {
        // Nothing of the batch is on the disk: every table stored in it is told so.
        for (qsizetype i = 0; i < submissions.size(); ++i)
            if (i >= answers.size() || answers[i].status == 200) {
                EntryPage page;
                page.code = submissions[i].code;
                page.key = submissions[i].key;
                page.fault = true;
                page.message = QStringLiteral("Les scores de la table %1 n'ont pas pu être "
                                              "enregistrés : %2\n\nRien n'a été enregistré : "
                                              "appuyez de nouveau sur Valider, ou prévenez "
                                              "l'organisateur.")
                                   .arg(submissions[i].code, cause);
                const Answer answer{500, page.html(), 0};
                if (i < answers.size())
                    answers[i] = answer;
                else
                    answers.append(answer);
            }
        entries.clear();
    };
    try {
        DataSaisie.DatabaseName = m_databasePath;
        db::Connection& connection = DataSaisie.Database().connection();
        // A window of the organiser may hold the file's transaction open while a box waits
        // for him (a report asks its round inside one): stored now, the tables would go with
        // that transaction if it were taken back.
        if (connection.inTransaction()) {
            for (const Submission& submission : submissions) {
                // The table's form again, with what was typed, ready to be sent again.
                const results::Table table =
                    results::lookUpTable(DataSaisie, m_databasePath, submission.code);
                // Deal by deal, not the totals' form but the way back to the table's grid.
                const bool scores = !table.refusal && !submission.dealTotals;
                EntryPage page;
                page.step = scores ? EntryPage::Step::Scores : EntryPage::Step::Table;
                page.code = submission.code;
                page.key = submission.key;
                if (scores)
                    page.seats = seats(table.players, submission.scores);
                page.fault = true;
                page.message =
                    submission.dealTotals
                        ? QStringLiteral("L'ordinateur de l'organisateur termine une autre "
                                         "opération : rien n'a été enregistré.\n\nDans quelques "
                                         "secondes, rouvrez la grille de la table et validez-la "
                                         "de nouveau.")
                        : QStringLiteral("L'ordinateur de l'organisateur termine une autre "
                                         "opération : rien n'a été enregistré.\n\nAppuyez "
                                         "de nouveau sur Valider dans quelques secondes.");
                answers.append(answer(503, page, 3));
                if (onTurnedAway)
                    onTurnedAway({QDateTime::currentDateTime(), submission.client, submission.code,
                                  QStringLiteral("l'ordinateur terminait une autre opération"),
                                  true});
            }
            DataSaisie.Database().Close();
            return answers;
        }
        db::Transaction batch(connection);
        for (const Submission& submission : submissions) {
            // The engine ends the whole transaction on some failures: what the batch stored
            // went with it.
            if (!connection.inTransaction())
                throw db::DbError(
                    QStringLiteral("le fichier du tournoi a interrompu l'enregistrement"));
            answers.append(storeOne(submission, entries));
        }
        batch.commit();
    } catch (const db::DbError& error) {
        failed(common::cause(error));
    }
    DataSaisie.Database().Close();
    if (onStored)
        for (const Entry& entry : std::as_const(entries))
            onStored(entry);
    return answers;
}

Answer EntryService::storeOne(const Submission& submission, QList<Entry>& entries) {
    const QString& code = submission.code;
    const QString& key = submission.key;
    const results::Table table = results::lookUpTable(DataSaisie, m_databasePath, code);
    if (table.refusal)
        return tablePage(400, table.refusal->text, code, key);
    // A row per seat: four, or five at a table of five; a table short of players keeps its
    // empty rows, which the results' check refuses.
    const int count = table.players.size() > results::kSeats ? results::kMaxSeats : results::kSeats;
    QList<results::ScoreRow> rows(count);
    for (int n = 0; n < count; ++n) {
        if (n < table.players.size())
            rows[n] = {QString::number(table.players[n].number), table.players[n].name, {}};
        rows[n].score = submission.scores[n];
    }
    EntryPage page;
    page.step = EntryPage::Step::Scores;
    page.code = code;
    page.key = key;
    page.seats = seats(table.players, submission.scores);
    page.fault = true;

    // A score the results window could not have taken, as its fields stop at five characters;
    // the totals of many deals may take more.
    for (int n = 0; n < table.players.size() && n < count && !submission.dealTotals; ++n)
        if (submission.scores[n].trimmed().size() > EntryPage::kScoreLength) {
            page.message = QStringLiteral("Le score de %1 compte plus de %2 caractères !!!\n\n"
                                          "Tapez-le comme sur la grille, par exemple -12,5.")
                               .arg(table.players[n].name)
                               .arg(EntryPage::kScoreLength);
            return answer(422, page);
        }
    // A deal added or taken back from another phone between the sum and its storing would
    // leave the totals apart from the grid: the table looks at its grid again.
    if (submission.dealTotals &&
        db::tableDeals(DataSaisie.Database().connection(), code.toInt()).size() != submission.deals)
        return tablePage(409,
                         QStringLiteral("La grille a changé depuis : vérifiez-la, puis validez de "
                                        "nouveau."),
                         code, key);
    const std::optional<results::Refusal> refused =
        results::storeScores(DataSaisie, m_databasePath, code, rows);
    if (!refused) {
        const results::CheckedScores checked = results::checkScores(rows);
        QStringList shown;
        for (const qint64 points : checked.points)
            shown.append(common::decimalText(points, results::kScoreDecimals));
        page.step = EntryPage::Step::Done;
        page.fault = false;
        page.seats = seats(table.players, shown);
        page.message =
            QStringLiteral("Les scores de la table %1 sont enregistrés. Merci !").arg(code);
        entries.append(Entry{QDateTime::currentDateTime(), code, shown});
        return answer(200, page);
    }
    // Stored meanwhile, from another phone or the results window: told with the window's
    // own words, once the scores themselves pass.
    if (refused->scoreRow == 0 && !refused->scoresEmptied)
        if (std::optional<Answer> already = alreadyStored(code, key, refused->text))
            return *already;
    // Unlike the results window, the phone keeps a wrong sum's scores: the one figure
    // mistyped is mended without typing the others again.
    page.message = refused->text;
    return answer(422, page);
}

} // namespace tables

namespace tables {
namespace {

// A choice sent as one of the page's buttons: a small whole number, or none.
std::optional<int> choice(const QHash<QString, QString>& form, const char* name, int last) {
    const QString text = form.value(QString::fromLatin1(name));
    bool number = false;
    const int value = text.toInt(&number);
    if (!number || text.size() > 2 || value < 0 || value > last)
        return std::nullopt;
    return value;
}

// The deal the form describes, or why it cannot be read.
std::variant<db::Deal, QString> readDeal(const QHash<QString, QString>& form, int number) {
    db::Deal deal;
    deal.number = number;
    const std::optional<int> taker = choice(form, "preneur", db::kMaxSeats);
    if (!taker)
        return QStringLiteral("Choisissez le preneur, ou « Donne passée » si tous ont passé.");
    deal.taker = *taker;
    if (deal.taker == 0)
        return deal;
    const std::optional<int> contract = choice(form, "contrat", common::kContracts);
    const std::optional<int> bouts = choice(form, "bouts", 3);
    const std::optional<int> tens = choice(form, "pdiz", 9);
    const std::optional<int> units = choice(form, "puni", 9);
    if (!contract)
        return QStringLiteral("Choisissez le contrat : Prise, Garde, Garde sans ou Garde contre.");
    if (!bouts)
        return QStringLiteral("Choisissez le nombre de bouts dans les plis du preneur (0 à 3).");
    if (!tens || !units)
        return QStringLiteral("Choisissez les points du preneur : les dizaines, puis les "
                              "unités (43 : 40 puis 3).");
    deal.contract = *contract;
    deal.bouts = *bouts;
    deal.halfPoints = 2 * (10 * *tens + *units) + choice(form, "pdemi", 1).value_or(0);
    deal.simple = choice(form, "ps", 2).value_or(0);
    deal.doubled = choice(form, "pd", 2).value_or(0);
    deal.triple = choice(form, "pt", 1).value_or(0);
    deal.petitAuBout = choice(form, "petit", 2).value_or(0);
    deal.chelem = choice(form, "chelem", 3).value_or(0);
    return deal;
}

} // namespace

bool EntryService::dealByDeal() {
    const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
    try {
        DataSaisie.DatabaseName = m_databasePath;
        return db::dealByDeal(DataSaisie.Database().connection());
    } catch (const db::DbError&) {
        return false; // the page of totals, which reads nothing more
    }
}

Answer EntryService::dealPage(int status, const QString& code, const QString& key,
                              const QString& message, bool fault,
                              const QHash<QString, QString>& chosen, bool confirming) {
    const results::DealTable table = results::readDealTable(DataSaisie, m_databasePath, code);
    if (table.refusal)
        return tablePage(400, table.refusal->text, code, key);
    if (table.stored)
        if (std::optional<Answer> stored = alreadyStored(
                code, key,
                QStringLiteral("Les scores de la table %1 sont déjà enregistrés.").arg(code)))
            return *stored;
    EntryPage page;
    page.step = EntryPage::Step::Deals;
    page.code = code;
    page.key = key;
    page.message = message;
    page.fault = fault;
    page.chosen = chosen;
    page.confirming = confirming;
    QStringList totals;
    for (const int total : table.grid.totals)
        totals.append(QString::number(total));
    page.seats = seats(table.players, totals);
    QStringList names;
    for (const results::Player& player : table.players)
        names.append(player.name);
    for (int n = 0; n < table.deals.size(); ++n) {
        EntryPage::DealLine line{
            table.deals[n].number, common::describeDeal(table.deals[n], names), {}};
        for (const int points : table.grid.points[n])
            line.points.append(QString::number(points));
        page.deals.append(line);
    }
    const int played = int(table.deals.size());
    page.required = table.required;
    page.canAdd = played < table.required;
    page.canValidate = played > 0;
    page.dealer = common::dealer(played + 1, int(table.players.size()));
    return answer(status, page);
}

EntryService::Received EntryService::dealAction(const Request& request,
                                                const QHash<QString, QString>& form,
                                                Submission submission) {
    const QString& code = submission.code;
    const QString& key = submission.key;
    if (std::optional<Answer> refused = refusedKey(request, code, key))
        return {refused, {}};
    if (!dealByDeal())
        return {show(request, code, key), {}};
    const QString action = form.value(QStringLiteral("action"));
    bool numbered = false;
    const int number = form.value(QStringLiteral("donne")).toInt(&numbered);
    if (!numbered || number < 0 || number > 99)
        return {dealPage(400, code, key, kMalformed, true), {}};
    {
        const auto closed = qScopeGuard([this] { DataSaisie.Database().Close(); });
        bool busy = false;
        try {
            DataSaisie.DatabaseName = m_databasePath;
            busy = DataSaisie.Database().connection().inTransaction();
        } catch (const db::DbError&) {
        }
        // As for the totals: a window of the organiser holds the file's transaction open.
        if (busy) {
            Answer waiting = dealPage(503, code, key,
                                      QStringLiteral("L'ordinateur de l'organisateur termine une "
                                                     "autre opération : rien n'a été "
                                                     "enregistré.\n\nAppuyez de nouveau dans "
                                                     "quelques secondes."),
                                      true, form);
            waiting.retryAfter = 3;
            return {waiting, {}};
        }
    }
    if (action == u"ajouter") {
        const std::variant<db::Deal, QString> deal = readDeal(form, number);
        if (const auto* wrong = std::get_if<QString>(&deal))
            return {dealPage(422, code, key, *wrong, true, form), {}};
        if (std::optional<results::Refusal> refused =
                results::addTableDeal(DataSaisie, m_databasePath, code, std::get<db::Deal>(deal)))
            return {dealPage(422, code, key, refused->text, true, form), {}};
        return {
            dealPage(
                200, code, key,
                QStringLiteral("Donne %1 enregistrée. Vérifiez-la dans la grille.").arg(number)),
            {}};
    }
    if (action == u"annuler") {
        if (std::optional<results::Refusal> refused =
                results::undoLastDeal(DataSaisie, m_databasePath, code, number))
            return {dealPage(409, code, key, refused->text, true), {}};
        return {dealPage(200, code, key, QStringLiteral("La donne %1 est annulée.").arg(number)),
                {}};
    }
    if (action == u"valider" || action == u"confirmer") {
        const results::DealTable table = results::readDealTable(DataSaisie, m_databasePath, code);
        // Validated for the deals the phone saw: one added or taken back since is shown first.
        if (!table.refusal && table.deals.size() != number)
            return {dealPage(409, code, key,
                             QStringLiteral("La grille a changé depuis : vérifiez-la, puis "
                                            "validez de nouveau."),
                             true),
                    {}};
        const results::DealTotals totals = results::dealTotals(table, action == u"confirmer");
        if (totals.askConfirmation)
            return {dealPage(200, code, key, totals.refusal->text, true, {}, true), {}};
        if (totals.refusal)
            return {dealPage(422, code, key, totals.refusal->text, true), {}};
        for (int n = 0; n < totals.rows.size() && n < results::kMaxSeats; ++n)
            submission.scores[n] = totals.rows[n].score;
        submission.dealTotals = true;
        submission.deals = number;
        return {std::nullopt, submission};
    }
    return {dealPage(400, code, key, kMalformed, true), {}};
}

} // namespace tables
