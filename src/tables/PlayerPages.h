#pragma once

#include "EntryService.h"

#include <QByteArray>
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
    static constexpr int kRoomRanks = 30;      // lines of the ranking on one screen
    static constexpr int kMaxSessions = 8192;  // the oldest forgotten beyond

    explicit PlayerPages(QString databasePath);

    LiveRanking ranking = LiveRanking::Off;
    int roomSeconds = kRoomSeconds; // tests page faster

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
    // The ranking's rows and the room's screens, made again once the file has changed.
    void readAgain(db::Connection& connection);

    QString m_databasePath;
    QHash<QByteArray, Session> m_sessions;
    QList<QByteArray> m_sessionOrder;

    quint64 m_changesRead = ~quint64(0);
    QString m_rankingBody; // the ranking's part of /classement, ready to send
    bool m_provisional = false;
    int m_ranked = 0;                                // lines of the ranking
    QHash<qint64, std::pair<int, QString>> m_places; // place and total, by player number
    QList<QString> m_tableScreens;   // the tables of the round under way, a screen each
    QList<QString> m_rankingScreens; // then the ranking
};

} // namespace tables
