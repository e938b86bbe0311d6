#pragma once

#include "db/DataControl.h"
#include "results/Scores.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace tables {

class PlayerPages;

// One request as the phone sent it.
struct Request {
    enum class Method { Get, Post, Head, Other }; // a HEAD is answered as a GET, head alone
    Method method = Method::Get;
    QString path;        // "/"
    QByteArray query;    // what follows "?" in the address, still encoded
    QByteArray body;     // a form, still encoded
    QString client;      // the phone's network address
    QByteArray cookie{}; // the Cookie header, as sent
};

// What the server sends back: a page, and how long to wait before trying again.
struct Answer {
    int status = 200;
    QByteArray html;
    int retryAfter = 0;  // seconds; 0 for none
    QByteArray cookie{}; // a Set-Cookie header to send; empty for none
};

// A table whose scores a phone stored.
struct Entry {
    QDateTime when;
    QString code;
    QStringList scores; // in seat order, as stored ("12,5")
};

// A phone refused, or made to wait, and why, as the organiser's window tells it.
struct TurnedAway {
    QDateTime when;
    QString client;      // the phone's network address
    QString code;        // the table it gave; empty for none
    QString reason;      // "table ou clé inconnue"
    bool slowed = false; // asked to try again later, rather than refused
};

// Wrong keys, counted per phone and per table over the last minute: after five, the phone, or
// anyone giving that table, waits until the oldest of them is a minute old.
class KeyFailures {
public:
    static constexpr int kAllowed = 5;
    static constexpr qint64 kWindowMs = 60'000;

    void add(const QString& client, const QString& code, qint64 now);
    // Seconds left to wait; 0 when the phone may try.
    int wait(const QString& client, const QString& code, qint64 now) const;

private:
    using Times = QList<qint64>;
    static void add(QHash<QString, Times>& counts, const QString& who, qint64 now);
    static qint64 waitMs(const QHash<QString, Times>& counts, const QString& who, qint64 now);
    QHash<QString, Times> m_byClient;
    QHash<QString, Times> m_byTable;
};

// Scores of a table sent by a phone whose key was right, to be stored.
struct Submission {
    QString code;
    QString key;
    std::array<QString, results::kMaxSeats> scores; // as typed, the fifth at a table of five
    QString client{};                               // the phone's network address
    bool dealTotals = false; // the totals of the table's deals, added up here, not typed
    int deals = 0;           // and how many deals they add up
};

// What score entry at the tables does with the requests, without widgets or network: the page
// asked for, or the scores of a table (four, or five) checked and stored by the results
// window's own code (the same checks, the same messages). A wrong key, an unknown table and a
// table of another round get the same answer, which names nobody. Values from the network are
// only ever bound as parameters.
class EntryService {
public:
    // The longest a field may be, and the most fields a form may hold.
    static constexpr int kMaxField = 32;
    static constexpr int kMaxFields = 8;
    // A form of the deal-by-deal entry (it names an "action") holds more choices.
    static constexpr int kMaxDealFields = 16;

    explicit EntryService(QString databasePath);
    ~EntryService();

    // A request read: its answer, or, for scores to store, none yet but the submission.
    struct Received {
        std::optional<Answer> answer;
        Submission submission;
    };
    Received receive(const Request& request);
    // Stores the tables in one transaction, each table's rows all or none, so that the
    // tables sent together wait once for the disk: the answer to each, in order. Told to
    // onStored once they are on the disk.
    QList<Answer> store(const QList<Submission>& submissions);
    // One request, stored at once if it brings scores.
    Answer handle(const Request& request);

    // The players' pages, the live ranking and the room's screen.
    PlayerPages& pages() { return *m_pages; }

    // Milliseconds from any fixed origin, for counting wrong keys; tests move it on.
    std::function<qint64()> clock;
    // Told of every table stored.
    std::function<void(const Entry&)> onStored;
    // Told of every phone refused or made to wait; not of a page asked that does not exist,
    // which browsers ask by themselves (an icon), nor of scores the results' check refuses.
    std::function<void(const TurnedAway&)> onTurnedAway;

private:
    void turnedAway(const Request& request, const QString& code, const QString& reason,
                    bool slowed = false);
    Answer show(const Request& request, const QString& code, const QString& key);
    // One table, within the batch's transaction; a table stored is added to `entries`.
    Answer storeOne(const Submission& submission, QList<Entry>& entries);
    // The table's key checked, the phone made to wait after too many wrong ones: no value when
    // the phone may go on.
    std::optional<Answer> refusedKey(const Request& request, const QString& code,
                                     const QString& key);
    // The table's scores as stored, with the advice to see the organiser; no value while the
    // table is not stored.
    std::optional<Answer> alreadyStored(const QString& code, const QString& key,
                                        const QString& message);

    // Deal by deal: the table's grid with the next deal to add, a message above it.
    Answer dealPage(int status, const QString& code, const QString& key,
                    const QString& message = QString(), bool fault = false,
                    const QHash<QString, QString>& chosen = {}, bool confirming = false);
    // A form of the deal-by-deal entry, its key checked: the page to show, or the totals to
    // store.
    Received dealAction(const Request& request, const QHash<QString, QString>& form,
                        Submission submission);
    bool dealByDeal();

    QString m_databasePath;
    db::DataControl DataSaisie;
    KeyFailures m_failures;
    std::unique_ptr<PlayerPages> m_pages;
};

// A form as sent (the address's query or a POST body): its fields by name, or nothing when it
// holds too many fields or too long ones.
std::optional<QHash<QString, QString>> readForm(const QByteArray& encoded,
                                                int maxFields = EntryService::kMaxFields);

} // namespace tables
