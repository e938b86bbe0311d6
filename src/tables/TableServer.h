#pragma once

#include "EntryService.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <vector>

class QHttpServer;
class QHttpServerResponder;
class QTcpServer;
class QTcpSocket;

namespace tables {

// The local web server of score entry at the tables, in the program's own event loop and on
// its one connection to the tournament file: a table stored from a phone and the same table
// stored from the results window meet in one place, and the second is refused. The tables
// that come in while the program is busy are stored together, each all or nothing, in one
// transaction: they wait once for the disk, not once each. It serves the page and its form,
// nothing else, within bounds: open connections (in all and per phone), the bytes of a request,
// the time a request may take to arrive and a connection may stay idle.
class TableServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 64;
    static constexpr int kMaxConnectionsPerClient = 8;
    static constexpr qint64 kMaxRequestBytes = 16 * 1024;
    static constexpr int kRequestMs = 10'000;
    static constexpr int kIdleMs = 30'000;

    explicit TableServer(const QString& databasePath, QObject* parent = nullptr);
    ~TableServer() override;

    // Listens on the address and port; empty when it does, otherwise why not, in French.
    QString start(const QHostAddress& address, quint16 port);
    // Closes every connection and listens no more.
    void stop();
    bool isListening() const;
    // The address listened on: the one given to start(), null while stopped.
    QHostAddress address() const;
    quint16 port() const;
    // Connections open now.
    int connections() const;

    EntryService& service() { return m_service; }

signals:
    void stored(const tables::Entry& entry);
    // A phone refused or made to wait.
    void turnedAway(const tables::TurnedAway& turned);

private:
    // Scores received, answered once stored with the others of the same moment.
    struct Waiting;
    void storeWaiting();

    EntryService m_service;
    std::unique_ptr<QHttpServer> m_http;
    QPointer<QTcpServer> m_listener;
    std::vector<std::unique_ptr<Waiting>> m_waiting;
    bool m_storing = false; // storeWaiting() is due
};

// The addresses by which phones on the club's network can reach this computer, the likeliest
// first (wireless, then wired, then any other network): never the loopback one.
QStringList networkAddresses();

} // namespace tables
