#pragma once

#include "EntryService.h"
#include "db/Standings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace db {
class Connection;
}

namespace tables {

// Who may read the live ranking: nobody (as before), anyone on the club's network, or a player
// who gave his number and key.
enum class LiveRanking { Off, Public, PlayersOnly };

// Gives a key to every registered player who has none (all of them the first time, a late
// arrival since), in one transaction: the keys made. Throws DbError.
int makeMissingPlayerKeys(db::Connection& connection);

// The players' own pages, the live ranking and the room's screen, without widgets or network:
// "/joueur" (number and key, then the player's tables, points and place), "/classement" and
// "/salle". A player who gave his key gets a cookie naming a session of this server, never
// his key, so that the pages refresh by themselves. A wrong number and a wrong key get one
// answer, counted with the tables' wrong keys. What the file holds is read again only once it
// has changed, so that many phones reading at once cost the desktop one reading.
class PlayerPages {
public:
    static constexpr int kRefreshSeconds = 30; // the ranking and a player's page
    static constexpr int kRoomSeconds = 15;    // each screen of the room
    static constexpr int kRoomNames = 60;      // names on one screen of the room
    static constexpr int kRoomRanks = 20;      // lines of the ranking on one screen
    static constexpr int kRankingLines = 100;  // lines of the ranking on one page of a phone
    static constexpr int kMaxSessions = 8192;  // the oldest forgotten beyond

    explicit PlayerPages(QString databasePath);

    LiveRanking ranking = LiveRanking::Off;
    int roomSeconds = kRoomSeconds;   // tests page faster
    int rankingLines = kRankingLines; // and shorter
    // How much older than the file a page may be: on a busy evening, when every table stored
    // changes the ranking, the file is read once a second at most. 0: read at every change.
    int freshMs = 1000;

    // Told of a phone refused or made to wait: the player number given, the reason, slowed.
    using TurnedAway = std::function<void(const QString&, const QString&, bool)>;

    // The answer to a request for one of these pages; none for any other address.
    std::optional<Answer> answer(const Request& request, KeyFailures& failures, qint64 now,
                                 const TurnedAway& turnedAway);

private:
    struct Session {
        qint64 number = 0;
        QString key; // as it was: a reset or a new player file ends the session
    };
    // The player whose session the request's cookie names, still holding the same key.
    std::optional<qint64> sessionPlayer(db::Connection& connection, const Request& request);
    QByteArray openSession(qint64 number, const QString& key);

    Answer player(db::Connection& connection, const Request& request, KeyFailures& failures,
                  qint64 now, const TurnedAway& turnedAway);
    Answer liveRanking(db::Connection& connection, const Request& request);
    Answer room(db::Connection& connection, const Request& request);
    // The standings and the round under way, read again once the file has changed (at most
    // once in freshMs); the pages made from them when first asked.
    void readAgain(db::Connection& connection);
    QString rankingHeading() const;
    void makeRankingPages();
    void makeRoomPages(db::Connection& connection);
    static QByteArray pageAsked(const QList<QByteArray>& pages, const Request& request);

    QString m_databasePath;
    QHash<QByteArray, Session> m_sessions;
    QList<QByteArray> m_sessionOrder;

    bool m_read = false;
    quint64 m_changesRead = 0;
    QElapsedTimer m_sinceRead;
    db::Standings m_standings;  // the rounds complete so far
    QList<QStringList> m_lines; // the exported ranking's lines of them
    struct Placed {
        int place = 0;
        QString total;
        int page = 1; // of /classement
    };
    QHash<qint64, Placed> m_places; // by player number
    int m_current = 0;              // the round under way; 0 for none
    // The pages as sent, the same bytes for every phone.
    QList<QByteArray> m_rankingPages;
    QList<QByteArray> m_roomPages;
    LiveRanking m_roomRanking = LiveRanking::Off;
    int m_roomSeconds = 0;
};

} // namespace tables
