#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <memory>

// One exchange with a server of this process on the loopback address, sent as raw bytes so
// that a test can send what no browser would. The server runs in the same thread: waiting
// runs the event loop, and ends by itself after a few seconds.
class HttpExchange {
public:
    struct Reply {
        int status = 0; // 0: no answer at all
        QByteArray head;
        QString body;
        bool closed = false; // the server closed the connection, or refused it

        QByteArray header(const QByteArray& name) const {
            for (const QByteArray& line : head.split('\n'))
                if (line.toLower().startsWith(name.toLower() + ':'))
                    return line.mid(name.size() + 1).trimmed();
            return {};
        }
    };

    // from: the loopback address the request comes from (127.0.0.2 is another phone).
    HttpExchange(quint16 port, QByteArray request,
                 const QString& from = QStringLiteral("127.0.0.1"))
        : m_request(std::move(request)) {
        m_socket = std::make_unique<QTcpSocket>();
        m_socket->bind(QHostAddress(from));
        QObject::connect(m_socket.get(), &QTcpSocket::connected, m_socket.get(),
                         [this] { m_socket->write(m_request); });
        QObject::connect(m_socket.get(), &QTcpSocket::readyRead, m_socket.get(),
                         [this] { m_received += m_socket->readAll(); });
        QObject::connect(m_socket.get(), &QTcpSocket::disconnected, m_socket.get(),
                         [this] { m_reply.closed = true; });
        // Refused, or cut: nothing more will come.
        QObject::connect(m_socket.get(), &QTcpSocket::errorOccurred, m_socket.get(),
                         [this] { m_reply.closed = true; });
        m_socket->connectToHost(QHostAddress::LocalHost, port);
    }

    // The answer, once whole (or the connection closed, or the time out).
    Reply wait(int ms = 5000) {
        QElapsedTimer started;
        started.start();
        while (!complete() && !m_reply.closed && started.elapsed() < ms) {
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
        }
        const qsizetype end = m_received.indexOf("\r\n\r\n");
        if (end >= 0) {
            m_reply.head = m_received.left(end);
            m_reply.status = m_reply.head.mid(9, 3).toInt();
            m_reply.body = QString::fromUtf8(m_received.mid(end + 4));
        }
        return m_reply;
    }

    QTcpSocket& socket() { return *m_socket; }
    // Every byte received so far, answers after the first included.
    const QByteArray& received() const { return m_received; }

    static Reply get(quint16 port, const QString& target,
                     const QString& from = QStringLiteral("127.0.0.1")) {
        return HttpExchange(port, getRequest(target), from).wait();
    }
    static Reply post(quint16 port, const QByteArray& form,
                      const QString& from = QStringLiteral("127.0.0.1")) {
        return HttpExchange(port, postRequest(form), from).wait();
    }
    static QByteArray getRequest(const QString& target) {
        return "GET " + QUrl(target).toEncoded() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    }
    static QByteArray postRequest(const QByteArray& form) {
        return "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
               "application/x-www-form-urlencoded\r\nContent-Length: " +
               QByteArray::number(form.size()) + "\r\n\r\n" + form;
    }

private:
    bool complete() const {
        const qsizetype end = m_received.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        Reply head;
        head.head = m_received.left(end);
        return m_received.size() - end - 4 >= head.header("Content-Length").toLongLong();
    }

    QByteArray m_request;
    QByteArray m_received;
    Reply m_reply;
    std::unique_ptr<QTcpSocket> m_socket;
};
