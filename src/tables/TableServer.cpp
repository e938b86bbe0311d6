#include "TableServer.h"

#include "EntryPage.h"

#include <QHash>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace tables {
namespace {

// What every answer carries: nothing kept by the phone or shown in a frame, no script but the
// page's own, no resource from elsewhere, and no address (with its key) passed on to another
// site.
QList<std::pair<QByteArray, QByteArray>> headersOf(const Answer& answer, bool close) {
    QList<std::pair<QByteArray, QByteArray>> headers = {
        {"Content-Type", "text/html; charset=utf-8"},
        {"Cache-Control", "no-store"},
        {"Content-Security-Policy",
         "default-src 'none'; script-src '" + EntryPage::scriptHash() +
             "'; style-src 'unsafe-inline'; form-action 'self'; frame-ancestors 'none'; "
             "base-uri 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "no-referrer"}};
    if (!answer.cookie.isEmpty())
        headers.append({QByteArray("Set-Cookie"), answer.cookie});
    if (answer.retryAfter > 0)
        headers.append({QByteArray("Retry-After"), QByteArray::number(answer.retryAfter)});
    if (close)
        headers.append({QByteArray("Connection"), QByteArray("close")});
    return headers;
}

// An answer written straight on the connection, which then closes: for what never reaches
// the web server (one connection too many, a request too large or asking another protocol).
void refuseConnection(QTcpSocket* socket, const char* status, const QString& message) {
    EntryPage page;
    page.message = message;
    page.fault = true;
    const QByteArray html = page.html();
    socket->write(QByteArray("HTTP/1.1 ") + status +
                  "\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\n"
                  "Retry-After: 5\r\nConnection: close\r\nContent-Length: " +
                  QByteArray::number(html.size()) + "\r\n\r\n" + html);
    socket->disconnectFromHost();
}

// A phone's connection, with what the listener reads of its requests before the web server
// does: their heads, to learn which ones end the connection once answered.
class PhoneSocket : public QTcpSocket {
public:
    using QTcpSocket::QTcpSocket;

    QString client;         // the phone's address
    qint64 received = 0;    // bytes of the request under way
    bool refused = false;   // answered by the listener: nothing more is read
    QByteArray unread;      // of a head not yet whole
    qint64 bodyLeft = 0;    // bytes of the current request's body still to come
    QList<bool> closeAfter; // per request read and not yet answered, in order

    // The requests' heads in what just came. False when one asks to leave HTTP (a
    // websocket): the web server of Qt 6.4 runs such a request and then drops the connection
    // without an answer, so it never gets it.
    bool read(const QByteArray& bytes) {
        unread += bytes;
        while (!unread.isEmpty()) {
            if (bodyLeft > 0) {
                const qint64 skipped = std::min<qint64>(bodyLeft, unread.size());
                unread.remove(0, skipped);
                bodyLeft -= skipped;
                continue;
            }
            const qsizetype end = unread.indexOf("\r\n\r\n");
            if (end < 0)
                return true;
            const QList<QByteArray> lines = unread.left(end).split('\n');
            unread.remove(0, end + 4);
            bool close = lines.first().trimmed().endsWith("HTTP/1.0");
            for (const QByteArray& line : lines.mid(1)) {
                const qsizetype colon = line.indexOf(':');
                const QByteArray name = line.left(colon).trimmed().toLower();
                const QByteArray value = line.mid(colon + 1).trimmed().toLower();
                if (name == "upgrade")
                    return false;
                if (name == "connection" && value.split(',').contains("close"))
                    close = true;
                if (name == "content-length")
                    bodyLeft = value.toLongLong();
            }
            closeAfter.append(close);
        }
        return true;
    }
};

// The listening socket, which bounds what the web server is handed: the connections open at
// once, in all and from one phone, and on each one the bytes of a request and the time it
// may take.
class Listener : public QTcpServer {
public:
    using QTcpServer::QTcpServer;
    int open = 0;
    QHash<QString, int> byClient; // connections open per phone
    std::function<void(const TurnedAway&)> onTurnedAway;

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new PhoneSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->client = socket->peerAddress().toString();
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        // Whatever state it is in, a connection past its time goes.
        connect(deadline, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        const auto refuse = [this, socket, deadline](const char* status, const QString& message,
                                                     const QString& reason, bool slowed) {
            refuseConnection(socket, status, message);
            deadline->start(2000);
            if (onTurnedAway)
                onTurnedAway(
                    {QDateTime::currentDateTime(), socket->client, QString(), reason, slowed});
        };
        if (open >= TableServer::kMaxConnections)
            return refuse("503 Service Unavailable",
                          QStringLiteral("Trop de téléphones sont connectés en même temps.\n\n"
                                         "Réessayez dans quelques secondes."),
                          QStringLiteral("trop de téléphones connectés en même temps"), true);
        // One phone, or one program, cannot take the places of the others.
        if (byClient.value(socket->client) >= TableServer::kMaxConnectionsPerClient)
            return refuse("503 Service Unavailable",
                          QStringLiteral("Ce téléphone a trop de connexions ouvertes.\n\nFermez "
                                         "les autres onglets de la page, puis réessayez dans "
                                         "quelques secondes."),
                          QStringLiteral("trop de connexions ouvertes par ce téléphone"), true);
        ++open;
        ++byClient[socket->client];
        connect(socket, &QObject::destroyed, this, [this, client = socket->client] {
            --open;
            if (--byClient[client] <= 0)
                byClient.remove(client);
        });
        deadline->start(TableServer::kIdleMs);

        // Connected before the web server's own reading, so this sees each piece of a request
        // first; the web server reads all there is each time, so the bytes left are what
        // has just come.
        connect(socket, &QIODevice::readyRead, socket, [socket, deadline, refuse] {
            if (socket->refused) {
                socket->readAll();
                return;
            }
            if (socket->received == 0)
                deadline->start(TableServer::kRequestMs); // the request must come whole in time
            socket->received += socket->bytesAvailable();
            const QString malformed =
                QStringLiteral("La demande est trop longue ou mal formée.\n\nReprenez la "
                               "saisie depuis la page de départ.");
            if (socket->received > TableServer::kMaxRequestBytes) {
                socket->refused = true;
                socket->readAll(); // never handed to the web server
                refuse("413 Payload Too Large",
                       QStringLiteral("La demande est trop longue.\n\nReprenez la saisie "
                                      "depuis la page de départ."),
                       QStringLiteral("demande trop longue"), false);
                return;
            }
            if (!socket->read(socket->peek(socket->bytesAvailable()))) {
                socket->refused = true;
                socket->readAll();
                refuse("400 Bad Request", malformed,
                       QStringLiteral("demande d'un autre protocole que HTTP"), false);
            }
        });
        // An answer written: the next request starts from nothing.
        connect(socket, &QIODevice::bytesWritten, socket, [socket, deadline] {
            if (socket->refused)
                return;
            socket->received = 0;
            deadline->start(TableServer::kIdleMs);
        });
        addPendingConnection(socket);
    }
};

Request::Method methodOf(const QHttpServerRequest& request) {
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        return Request::Method::Get;
    case QHttpServerRequest::Method::Post:
        return Request::Method::Post;
    case QHttpServerRequest::Method::Head:
        return Request::Method::Head;
    default:
        return Request::Method::Other;
    }
}

// The answer to the oldest request of the connection not yet answered; a HEAD gets the
// head alone. The connection closes once it is sent if the request asked so.
void answer(QHttpServerResponder&& responder, const Answer& answer, bool head) {
    auto* socket = dynamic_cast<PhoneSocket*>(responder.socket());
    const bool close = socket && !socket->closeAfter.isEmpty() && socket->closeAfter.takeFirst();
    responder.writeStatusLine(QHttpServerResponder::StatusCode(answer.status));
    for (const auto& [name, value] : headersOf(answer, close))
        responder.writeHeader(name, value);
    responder.writeHeader("Content-Length", QByteArray::number(answer.html.size()));
    responder.writeBody(head ? QByteArray() : answer.html);
    if (close && socket)
        socket->disconnectFromHost();
}

} // namespace

struct TableServer::Waiting {
    Submission submission;
    QPointer<QTcpSocket> socket; // gone when the phone left without waiting for the answer
    QHttpServerResponder responder;
    bool head;
};

TableServer::TableServer(const QString& databasePath, QObject* parent)
    : QObject(parent), m_service(databasePath) {
    m_service.onStored = [this](const Entry& entry) { emit stored(entry); };
    m_service.onTurnedAway = [this](const TurnedAway& turned) { emit turnedAway(turned); };
}

TableServer::~TableServer() {
    stop();
}

QString TableServer::start(const QHostAddress& address, quint16 port) {
    stop();
    auto listener = std::make_unique<Listener>();
    if (!listener->listen(address, port)) {
        if (listener->serverError() == QAbstractSocket::AddressInUseError)
            return QStringLiteral("le port %1 est déjà pris par un autre programme. Choisissez "
                                  "un autre port (par exemple 8081).")
                .arg(port);
        if (listener->serverError() == QAbstractSocket::SocketAddressNotAvailableError)
            return QStringLiteral("l'adresse %1 n'est plus celle de cet ordinateur (le réseau "
                                  "a changé ?). Choisissez-en une autre dans « Adresse de "
                                  "l'ordinateur ».")
                .arg(address.toString());
        if (listener->serverError() == QAbstractSocket::SocketAccessError)
            return QStringLiteral("le port %1 est réservé à l'administrateur de l'ordinateur. "
                                  "Choisissez un port au-dessus de 1024 (par exemple 8080).")
                .arg(port);
        return QStringLiteral("l'ordinateur refuse d'ouvrir le port %1 (%2).")
            .arg(port)
            .arg(listener->errorString());
    }
    listener->onTurnedAway = m_service.onTurnedAway;
    m_http = std::make_unique<QHttpServer>();
    const auto respond = [this](const QHttpServerRequest& request,
                                QHttpServerResponder&& responder) {
        const Request asked{methodOf(request),
                            request.url().path(),
                            request.url().query(QUrl::FullyEncoded).toUtf8(),
                            request.body(),
                            request.remoteAddress().toString(),
                            request.value("Cookie")};
        EntryService::Received received = m_service.receive(asked);
        const bool head = asked.method == Request::Method::Head;
        if (received.answer) {
            answer(std::move(responder), *received.answer, head);
            return;
        }
        QTcpSocket* socket = responder.socket();
        m_waiting.push_back(std::unique_ptr<Waiting>(
            new Waiting{std::move(received.submission), socket, std::move(responder), head}));
        // Once the requests that came with this one are read too.
        if (!m_storing) {
            m_storing = true;
            QTimer::singleShot(0, this, &TableServer::storeWaiting);
        }
    };
    m_http->route(QStringLiteral("/"),
                  QHttpServerRequest::Method::Get | QHttpServerRequest::Method::Post |
                      QHttpServerRequest::Method::Head,
                  respond);
    // Any other address or method gets the service's own refusal.
    m_http->setMissingHandler(respond);
    m_listener = listener.release();
    m_http->bind(m_listener);
    return QString();
}

void TableServer::stop() {
    // The listener, and with it every connection, goes with the web server; scores not yet
    // stored are not stored.
    m_waiting.clear();
    m_http.reset();
}

void TableServer::storeWaiting() {
    m_storing = false;
    std::vector<std::unique_ptr<Waiting>> waiting = std::move(m_waiting);
    m_waiting.clear();
    if (waiting.empty())
        return;
    QList<Submission> submissions;
    for (const auto& w : waiting)
        submissions.append(w->submission);
    const QList<Answer> answers = m_service.store(submissions);
    for (size_t i = 0; i < waiting.size(); ++i)
        if (waiting[i]->socket)
            answer(std::move(waiting[i]->responder), answers[qsizetype(i)], waiting[i]->head);
}

QHostAddress TableServer::address() const {
    return m_listener ? m_listener->serverAddress() : QHostAddress();
}

bool TableServer::isListening() const {
    return m_listener && m_listener->isListening();
}

quint16 TableServer::port() const {
    return m_listener ? m_listener->serverPort() : 0;
}

QStringList networkAddresses() {
    QList<std::pair<int, QString>> found;
    for (const QNetworkInterface& network : QNetworkInterface::allInterfaces()) {
        const auto flags = network.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const int rank = network.type() == QNetworkInterface::Wifi       ? 0
                         : network.type() == QNetworkInterface::Ethernet ? 1
                                                                         : 2;
        for (const QNetworkAddressEntry& entry : network.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLoopback())
                found.append({rank, entry.ip().toString()});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList addresses;
    for (const auto& [rank, address] : found)
        addresses.append(address);
    return addresses;
}

int TableServer::connections() const {
    return m_listener ? static_cast<const Listener*>(m_listener.data())->open : 0;
}

} // namespace tables
