#include "TableServer.h"

#include "EntryPage.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace tables {
namespace {

// What every answer carries: nothing kept by the phone or shown in a frame, no script, no
// resource from elsewhere, and no address (with its key) passed on to another site.
void secure(QHttpServerResponse& response, int retryAfter) {
    response.setHeader("Cache-Control", "no-store");
    response.setHeader("Content-Security-Policy",
                       "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; "
                       "frame-ancestors 'none'; base-uri 'none'");
    response.setHeader("X-Content-Type-Options", "nosniff");
    response.setHeader("X-Frame-Options", "DENY");
    response.setHeader("Referrer-Policy", "no-referrer");
    if (retryAfter > 0)
        response.setHeader("Retry-After", QByteArray::number(retryAfter));
}

// An answer written straight on the connection, which then closes: for what never reaches
// the web server (one connection too many, a request too large).
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

// The listening socket, which bounds what the web server is handed: the connections open at
// once, and on each one the bytes of a request and the time it may take.
class Listener : public QTcpServer {
public:
    using QTcpServer::QTcpServer;
    int open = 0;

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        // Whatever state it is in, a connection past its time goes.
        connect(deadline, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        if (open >= TableServer::kMaxConnections) {
            refuseConnection(socket, "503 Service Unavailable",
                             QStringLiteral("Trop de téléphones sont connectés en même temps.\n\n"
                                            "Réessayez dans quelques secondes."));
            deadline->start(2000);
            return;
        }
        ++open;
        connect(socket, &QObject::destroyed, this, [this] { --open; });
        deadline->start(TableServer::kIdleMs);

        // Connected before the web server's own reading, so this sees each piece of a request
        // first; the web server reads all there is each time, so the bytes left add up to at
        // least what the request has sent.
        struct Progress {
            qint64 received = 0;
            bool refused = false;
        };
        auto progress = std::make_shared<Progress>();
        connect(socket, &QIODevice::readyRead, socket, [socket, deadline, progress] {
            if (progress->refused) {
                socket->readAll();
                return;
            }
            if (progress->received == 0)
                deadline->start(TableServer::kRequestMs); // the request must come whole in time
            progress->received += socket->bytesAvailable();
            if (progress->received <= TableServer::kMaxRequestBytes)
                return;
            progress->refused = true;
            socket->readAll(); // never handed to the web server
            refuseConnection(socket, "413 Payload Too Large",
                             QStringLiteral("La demande est trop longue.\n\nReprenez la saisie "
                                            "depuis la page de départ."));
            deadline->start(2000);
        });
        // An answer written: the next request starts from nothing.
        connect(socket, &QIODevice::bytesWritten, socket, [deadline, progress] {
            if (progress->refused)
                return;
            progress->received = 0;
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
    default:
        return Request::Method::Other;
    }
}

void answer(QHttpServerResponder&& responder, const Answer& answer) {
    QHttpServerResponse response("text/html; charset=utf-8", answer.html,
                                 QHttpServerResponse::StatusCode(answer.status));
    secure(response, answer.retryAfter);
    response.write(std::move(responder));
}

} // namespace

struct TableServer::Waiting {
    Submission submission;
    QPointer<QTcpSocket> socket; // gone when the phone left without waiting for the answer
    QHttpServerResponder responder;
};

TableServer::TableServer(const QString& databasePath, QObject* parent)
    : QObject(parent), m_service(databasePath) {
    m_service.onStored = [this](const Entry& entry) { emit stored(entry); };
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
        if (listener->serverError() == QAbstractSocket::SocketAccessError)
            return QStringLiteral("le port %1 est réservé à l'administrateur de l'ordinateur. "
                                  "Choisissez un port au-dessus de 1024 (par exemple 8080).")
                .arg(port);
        return QStringLiteral("l'ordinateur refuse d'ouvrir le port %1 (%2).")
            .arg(port)
            .arg(listener->errorString());
    }
    m_http = std::make_unique<QHttpServer>();
    const auto respond = [this](const QHttpServerRequest& request,
                                QHttpServerResponder&& responder) {
        const Request asked{methodOf(request), request.url().path(),
                            request.url().query(QUrl::FullyEncoded).toUtf8(), request.body(),
                            request.remoteAddress().toString()};
        EntryService::Received received = m_service.receive(asked);
        if (received.answer) {
            answer(std::move(responder), *received.answer);
            return;
        }
        QTcpSocket* socket = responder.socket();
        m_waiting.push_back(std::unique_ptr<Waiting>(
            new Waiting{std::move(received.submission), socket, std::move(responder)}));
        // Once the requests that came with this one are read too.
        if (!m_storing) {
            m_storing = true;
            QTimer::singleShot(0, this, &TableServer::storeWaiting);
        }
    };
    m_http->route(QStringLiteral("/"),
                  QHttpServerRequest::Method::Get | QHttpServerRequest::Method::Post, respond);
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
            answer(std::move(waiting[i]->responder), answers[qsizetype(i)]);
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
