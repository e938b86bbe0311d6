// Score entry at the tables under load, on the loopback address: the 999 tables of one round
// of the largest tournament, each sent once, by 50 phones at once, every phone sending its next
// table as soon as the last one is answered. The server runs in this thread, as in the program;
// the phones in a thread of their own. Then the same while the results window stores tables of
// that round in this thread too, from the last table down: each table is stored once, by
// whichever comes first, and the other is refused. Each run stops by itself after a minute.

#include "Bench.h"
#include "db/DataControl.h"
#include "results/Scores.h"
#include "tables/PlayerPages.h"
#include "tables/TableKeys.h"
#include "tables/TableServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <memory>

namespace bench {
namespace {

constexpr int kPhones = 50;
constexpr int kTables = 999;
constexpr int kLimitMs = 60'000;

// The phones, in their thread: one kept-alive connection each, the next table taken as soon
// as the last is answered.
class Phones : public QObject {
public:
    // `count` phones, from 127.<network>.0.2 on.
    Phones(quint16 port, QList<QByteArray> requests, int count = kPhones, int network = 0)
        : m_port(port), m_requests(std::move(requests)), m_count(count), m_network(network) {}

    std::vector<double> latenciesMs; // one per answer
    std::vector<int> statuses;
    std::atomic<bool> done = false;

    void start() {
        m_clock.start();
        for (int n = 0; n < m_count; ++n) {
            auto* phone = new Phone{new QTcpSocket(this), {}, 0};
            QObject::connect(phone->socket, &QTcpSocket::connected, this,
                             [this, phone] { send(phone); });
            QObject::connect(phone->socket, &QTcpSocket::readyRead, this,
                             [this, phone] { received(phone); });
            QObject::connect(phone->socket, &QTcpSocket::errorOccurred, this,
                             [this, phone] { finished(phone); });
            m_phones.emplace_back(phone);
            // Eight phones per address, as the server bounds the connections of one.
            phone->socket->bind(
                QHostAddress(QStringLiteral("127.%1.0.%2").arg(m_network).arg(2 + n / 8)));
            phone->socket->connectToHost(QHostAddress::LocalHost, m_port);
        }
        QTimer::singleShot(kLimitMs, this, [this] { done = true; });
    }
    // In their thread, before it ends: the connections closed.
    void stop() {
        for (const auto& phone : m_phones)
            delete phone->socket;
        m_phones.clear();
    }

private:
    struct Phone {
        QTcpSocket* socket;
        QByteArray answer;
        qint64 sentNs;
        bool over = false;
    };

    void send(Phone* phone) {
        if (m_next >= m_requests.size() || done) {
            finished(phone);
            return;
        }
        phone->answer.clear();
        phone->sentNs = m_clock.nsecsElapsed();
        phone->socket->write(m_requests[m_next++]);
    }
    void received(Phone* phone) {
        phone->answer += phone->socket->readAll();
        const qsizetype end = phone->answer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const qsizetype length = phone->answer.indexOf("Content-Length:");
        if (length < 0 || length > end)
            return;
        const qint64 body =
            phone->answer.mid(length + 15, phone->answer.indexOf('\r', length) - length - 15)
                .trimmed()
                .toLongLong();
        if (phone->answer.size() - end - 4 < body)
            return;
        latenciesMs.push_back(double(m_clock.nsecsElapsed() - phone->sentNs) / 1e6);
        statuses.push_back(phone->answer.mid(9, 3).toInt());
        send(phone);
    }
    void finished(Phone* phone) {
        if (phone->over)
            return;
        phone->over = true;
        phone->socket->disconnectFromHost();
        if (++m_over == m_count)
            done = true;
    }

    quint16 m_port;
    QList<QByteArray> m_requests;
    int m_count;
    int m_network;
    qsizetype m_next = 0;
    int m_over = 0;
    QElapsedTimer m_clock;
    std::vector<std::unique_ptr<Phone>> m_phones;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

void TablesFromPhones(benchmark::State& state, bool windowToo) {
    Tournament& t = tournament(3996, 1, Stage::Playing);
    tables::makeMissingKeys(*t.main);
    QList<QByteArray> requests;
    for (int table = 1; table <= kTables; ++table) {
        const int code = db::tableCode(1, table);
        const QByteArray form = "table=" + QByteArray::number(code) +
                                "&cle=" + tables::storedKey(*t.main, code).toUtf8() +
                                "&s1=12%2C5&s2=-2%2C5&s3=-5&s4=-5";
        requests.append("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                        "application/x-www-form-urlencoded\r\nContent-Length: " +
                        QByteArray::number(form.size()) + "\r\n\r\n" + form);
    }
    tables::TableServer server(t.path);
    if (!server.start(QHostAddress::LocalHost, 0).isEmpty()) {
        state.SkipWithError("the server does not listen");
        return;
    }
    std::vector<double> latencies;
    int fromPhones = 0, fromWindow = 0, answered = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        t.main->executeNative(QStringLiteral("DELETE FROM Resultats"));
        QThread thread;
        Phones phones(server.port(), requests);
        phones.moveToThread(&thread);
        thread.start();
        state.ResumeTiming();

        QElapsedTimer elapsed;
        elapsed.start();
        QMetaObject::invokeMethod(&phones, [&phones] { phones.start(); });
        // The results window, typing the round's tables from the last one down.
        db::DataControl DataResultats;
        int typed = kTables;
        QTimer window;
        QObject::connect(&window, &QTimer::timeout, [&] {
            if (typed < 1)
                return window.stop();
            const QString code = QString::number(db::tableCode(1, typed--));
            const results::Table table = results::lookUpTable(DataResultats, t.path, code);
            std::array<results::ScoreRow, results::kSeats> rows;
            const char* scores[] = {"12,5", "-2,5", "-5", "-5"};
            for (int n = 0; n < table.players.size(); ++n)
                rows[n] = {QString::number(table.players[n].number), table.players[n].name,
                           QString::fromUtf8(scores[n])};
            if (!results::storeScores(DataResultats, t.path, code, rows))
                ++fromWindow;
        });
        if (windowToo)
            window.start(0);
        while (!phones.done && elapsed.elapsed() < kLimitMs + 1000) {
            QEventLoop loop;
            QTimer::singleShot(1, &loop, &QEventLoop::quit);
            loop.exec();
        }
        window.stop();
        seconds = elapsed.nsecsElapsed() / 1e9;

        state.PauseTiming();
        QMetaObject::invokeMethod(
            &phones, [&phones] { phones.stop(); }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
        latencies = phones.latenciesMs;
        answered = int(phones.statuses.size());
        fromPhones = int(std::count(phones.statuses.begin(), phones.statuses.end(), 200));
        const int refused = int(std::count(phones.statuses.begin(), phones.statuses.end(), 409));
        auto stored = t.main->prepare(
            QStringLiteral("SELECT count(*), count(DISTINCT CodeIndividuel) FROM Resultats"));
        stored->step();
        if (fromPhones + fromWindow != kTables || answered != kTables ||
            fromPhones + refused != kTables || stored->columnInt64(0) != 4 * kTables ||
            stored->columnInt64(1) != 4 * kTables)
            state.SkipWithError("not every table was stored, once");
        state.ResumeTiming();
    }
    state.counters["tables_per_s"] = kTables / seconds;
    state.counters["phone_answers_per_s"] = answered / seconds;
    state.counters["p50_ms"] = percentile(latencies, 0.50);
    state.counters["p99_ms"] = percentile(latencies, 0.99);
    state.counters["by_phones"] = fromPhones;
    state.counters["by_window"] = fromWindow;
}

// The live ranking and the room's screen at the largest tournament, round 1 complete: 50
// phones read their pages at once, each the next as soon as the last is answered, while 10 phones
// store the 999 tables of round 2, so that every table stored makes the pages read again.
void LivePagesWhileStoring(benchmark::State& state) {
    Tournament& t = tournament(3996, 2, Stage::Playing);
    tables::makeMissingKeys(*t.main);
    QList<QByteArray> scores;
    for (int table = 1; table <= kTables; ++table) {
        const int code = db::tableCode(2, table);
        const QByteArray form = "table=" + QByteArray::number(code) +
                                "&cle=" + tables::storedKey(*t.main, code).toUtf8() +
                                "&s1=12%2C5&s2=-2%2C5&s3=-5&s4=-5";
        scores.append("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                      "application/x-www-form-urlencoded\r\nContent-Length: " +
                      QByteArray::number(form.size()) + "\r\n\r\n" + form);
    }
    QList<QByteArray> reads;
    for (int n = 0; n < 20'000; ++n)
        reads.append((n % 2 == 0 ? "GET /classement?page=" + QByteArray::number(1 + n % 40)
                                 : "GET /salle?page=" + QByteArray::number(1 + n % 200)) +
                     " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    tables::TableServer server(t.path);
    server.service().pages().ranking = tables::LiveRanking::Public;
    if (!server.start(QHostAddress::LocalHost, 0).isEmpty()) {
        state.SkipWithError("the server does not listen");
        return;
    }
    std::vector<double> latencies;
    std::vector<int> statuses;
    int stored = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        t.main->executeNative(QStringLiteral("DELETE FROM Resultats WHERE Manche = 2"));
        QThread readersThread, writersThread;
        Phones readers(server.port(), reads);
        Phones writers(server.port(), scores, 10, 1);
        readers.moveToThread(&readersThread);
        writers.moveToThread(&writersThread);
        readersThread.start();
        writersThread.start();
        state.ResumeTiming();

        QElapsedTimer elapsed;
        elapsed.start();
        QMetaObject::invokeMethod(&readers, [&readers] { readers.start(); });
        QMetaObject::invokeMethod(&writers, [&writers] { writers.start(); });
        // The pages are measured while tables are being stored.
        while (!writers.done && !readers.done && elapsed.elapsed() < kLimitMs + 1000) {
            QEventLoop loop;
            QTimer::singleShot(1, &loop, &QEventLoop::quit);
            loop.exec();
        }
        seconds = elapsed.nsecsElapsed() / 1e9;

        state.PauseTiming();
        for (Phones* phones : {&readers, &writers})
            QMetaObject::invokeMethod(
                phones, [phones] { phones->stop(); }, Qt::BlockingQueuedConnection);
        readersThread.quit();
        writersThread.quit();
        readersThread.wait();
        writersThread.wait();
        latencies = readers.latenciesMs;
        statuses = readers.statuses;
        stored = int(std::count(writers.statuses.begin(), writers.statuses.end(), 200));
        if (std::count(statuses.begin(), statuses.end(), 200) != qsizetype(statuses.size()) ||
            stored == 0)
            state.SkipWithError("a page was refused, or no table was stored");
        state.ResumeTiming();
    }
    state.counters["pages_per_s"] = double(latencies.size()) / seconds;
    state.counters["p50_ms"] = percentile(latencies, 0.50);
    state.counters["p99_ms"] = percentile(latencies, 0.99);
    state.counters["pages"] = double(latencies.size());
    state.counters["tables_stored"] = stored;
    state.counters["ranking_kB"] =
        double(server.service()
                   .handle({tables::Request::Method::Get, "/classement", {}, {}, {}})
                   .html.size()) /
        1024;
}

} // namespace

void registerTables() {
    benchmark::RegisterBenchmark("TablesFromPhones", TablesFromPhones, false)
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TablesFromPhonesAndWindow", TablesFromPhones, true)
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LivePagesWhileStoring", LivePagesWhileStoring)
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

} // namespace bench
