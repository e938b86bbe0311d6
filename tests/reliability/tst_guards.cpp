#include "common/Cause.h"
#include "common/Decimal.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "draw/Evening.h"
#include "draw/RandomSource.h"
#include "draw/TableDraw.h"
#include "registration/Registration.h"
#include "results/StoredScores.h"
#include "settings/Settings.h"
#include "support/Quiet.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QtTest>
#include <climits>

// Every entry point that takes text or numbers refuses, by its own error path, what the
// windows would never pass it: null and empty texts, junk, huge values. Nothing is written.
class TestGuards : public QObject {
    Q_OBJECT
private slots:
    void refusedWithoutWriting_data();
    void refusedWithoutWriting();
    void numbersOfAnySizeReadAndWrite();
    void engineFailuresToldInFrench_data();
    void engineFailuresToldInFrench();
    void theLogStaysUnderAMegabyte();
};

namespace {

const QString kNull;

// What a call made of the arguments: its refusal or error text, empty when it went through.
using Call = std::function<QString(TestDatabase&, const QStringList&)>;

QString refusal(const std::optional<results::Refusal>& r) {
    return r ? r->text : QString();
}

std::array<results::ScoreRow, results::kSeats> rows(const QStringList& numbers,
                                                    const QStringList& scores) {
    std::array<results::ScoreRow, results::kSeats> typed;
    for (int n = 0; n < results::kSeats; ++n)
        typed[n] = {numbers.value(n), QStringLiteral("JOUEUR"), scores.value(n)};
    return typed;
}

QString thrown(const std::function<void()>& call) {
    try {
        call();
    } catch (const db::DbError& error) {
        return error.message();
    }
    return QString();
}

const QMap<QString, Call>& calls() {
    static const QMap<QString, Call> all = {
        {"lookUpTable",
         [](TestDatabase& b, const QStringList& a) {
             db::DataControl d;
             return refusal(results::lookUpTable(d, b.path(), a.value(0, kNull)).refusal);
         }},
        {"storeScores",
         [](TestDatabase& b, const QStringList& a) {
             db::DataControl d;
             return refusal(
                 results::storeScores(d, b.path(), a.value(0, kNull),
                                      rows(a.value(1).split(u' '), a.value(2).split(u' '))));
         }},
        {"correctScores",
         [](TestDatabase& b, const QStringList& a) {
             db::DataControl d;
             return refusal(results::correctScores(d, b.path(), a.value(0, kNull),
                                                   rows({}, {"1", "-1", "0", "0"}), {}));
         }},
        {"deleteScores",
         [](TestDatabase& b, const QStringList& a) {
             db::DataControl d;
             return refusal(results::deleteScores(d, b.path(), a.value(0, kNull), {}));
         }},
        {"storePlayer",
         [](TestDatabase& b, const QStringList& a) {
             db::DataControl d;
             return thrown([&] {
                 registration::storePlayer(d, b.path(), a.value(0).toInt(), a.value(1, kNull),
                                           a.value(2, kNull));
             });
         }},
        {"renamePlayer",
         [](TestDatabase& b, const QStringList& a) {
             db::DataControl d;
             return registration::renamePlayer(d, b.path(), a.value(0).toInt(), a.value(1, kNull),
                                               a.value(2, kNull), {})
                 .value_or(QString());
         }},
        {"removePlayer",
         [](TestDatabase& b, const QStringList& a) {
             db::DataControl d;
             return registration::removePlayer(d, b.path(), a.value(0).toInt(), {})
                 .value_or(QString());
         }},
        {"checkSettings",
         [](TestDatabase&, const QStringList& a) {
             const settings::Checked c =
                 settings::checkSettings(a.value(0, kNull), a.value(1, kNull));
             return c.fault ? c.fault->message : QString();
         }},
        {"storeSettings",
         [](TestDatabase& b, const QStringList& a) {
             db::DataControl d;
             return thrown([&] {
                 settings::storeSettings(d, b.path(), a.value(0).toInt(), a.value(1).toInt());
             });
         }},
        {"draw",
         [](TestDatabase& b, const QStringList& a) {
             QuietDrawControls controls;
             db::DataControl d;
             draw::RandomSource random([] { return 5u; });
             ui::MessageBox::Script script;
             draw::TableDraw(d, b.path(), random, controls)
                 .run(a.value(0).toInt(), false, a.value(1) == u"cinq");
             return script.shown().isEmpty() ? QString() : script.shown().first().text;
         }},
        {"setGone",
         [](TestDatabase& b, const QStringList& a) {
             return draw::setGone(b.connection(), a.value(0).toInt(), a.value(1).toInt())
                 .value_or(QString());
         }},
        {"redraw",
         [](TestDatabase& b, const QStringList& a) {
             draw::RandomSource random([] { return 5u; });
             draw::Redraw redraw = draw::planRedraw(b.connection(), a.value(0).toInt(), random);
             return redraw.refusal ? redraw.refusal->text : QString();
         }},
    };
    return all;
}

} // namespace

void TestGuards::refusedWithoutWriting_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("arguments"); // a missing argument is a null text
    const QString big = QStringLiteral("99999999999999999999");
    // clang-format off
    for (const QStringList& code : QList<QStringList>{{}, {""}, {"٣٠١٢"}, {"3'12"}, {big}, {"1' OR '1'='1"}})
        for (const char* entry : {"lookUpTable", "correctScores", "deleteScores"})
            QTest::addRow("%s, code '%s'", entry, qPrintable(code.value(0, "null"))) << entry << code;
    QTest::newRow("storeScores, null code") << "storeScores" << QStringList{};
    QTest::newRow("storeScores, -048") << "storeScores" << QStringList{"-048", "1 2 3 4", "1 -1 0 0"};
    QTest::newRow("storeScores, another table's players") << "storeScores" << QStringList{"1001", "5 6 7 8", "1 -1 0 0"};
    QTest::newRow("storeScores, a player twice") << "storeScores" << QStringList{"1001", "1 1 3 4", "1 -1 0 0"};
    QTest::newRow("storeScores, junk numbers") << "storeScores" << QStringList{"1001", "a b c d", "1 -1 0 0"};
    QTest::newRow("storeScores, huge scores") << "storeScores" << QStringList{"1001", "1 2 3 4", big + " -" + big + " 0 0"};
    QTest::newRow("storePlayer, number 0") << "storePlayer" << QStringList{"0", "DUPONT", "Jean"};
    QTest::newRow("storePlayer, null names") << "storePlayer" << QStringList{"9"};
    QTest::newRow("storePlayer, 26 characters") << "storePlayer" << QStringList{"9", QString(26, u'A'), "Jean"};
    QTest::newRow("renamePlayer, empty") << "renamePlayer" << QStringList{"1", "", "Jean"};
    QTest::newRow("renamePlayer, nobody") << "renamePlayer" << QStringList{"99", "DUPONT", "Jean"};
    QTest::newRow("removePlayer, nobody") << "removePlayer" << QStringList{"-1"};
    QTest::newRow("checkSettings, null") << "checkSettings" << QStringList{};
    QTest::newRow("checkSettings, huge") << "checkSettings" << QStringList{big, "3"};
    QTest::newRow("checkSettings, Arabic digit") << "checkSettings" << QStringList{"٣", "3"};
    QTest::newRow("storeSettings, 8 rounds") << "storeSettings" << QStringList{"8", "12"};
    QTest::newRow("storeSettings, most int") << "storeSettings" << QStringList{QString::number(INT_MAX), "12"};
    QTest::newRow("storeSettings, -10 deals") << "storeSettings" << QStringList{"3", "-10"};
    for (const int participants : {-4, 6, 4000, INT_MAX})
        QTest::addRow("draw, %d participants", participants) << "draw" << QStringList{QString::number(participants)};
    for (const int participants : {7, 4003})
        QTest::addRow("draw at tables of five, %d participants", participants) << "draw" << QStringList{QString::number(participants), "cinq"};
    for (const QStringList& gone : QList<QStringList>{{"99", "2"}, {"1", "9"}, {"1", "-1"}, {"1", QString::number(INT_MIN)}})
        QTest::addRow("setGone, player %s from %s", qPrintable(gone[0]), qPrintable(gone[1])) << "setGone" << gone;
    for (const int from : {0, -1, 8, INT_MAX})
        QTest::addRow("redraw from %d", from) << "redraw" << QStringList{QString::number(from)};
    // clang-format on
}

void TestGuards::refusedWithoutWriting() {
    QFETCH(QString, entry);
    QFETCH(QStringList, arguments);
    TestDatabase base;
    base.drawTournament(8, 3);
    const QString before = contents(base.connection());
    const QString told = calls().value(entry)(base, arguments);
    QVERIFY2(!told.isEmpty(), "went through");
    QCOMPARE(contents(base.connection()), before);
}

void TestGuards::numbersOfAnySizeReadAndWrite() {
    for (const double huge : {1e300, -1e300, qInf(), -qInf(), 9.3e14})
        QVERIFY(!common::numberText(huge, 4).isEmpty());
    QVERIFY(common::numberText(qQNaN(), 4).isEmpty());
    for (const int decimals : {-5, 0, 4, 50, INT_MAX})
        QCOMPARE(common::readDecimal(QStringLiteral("12"), decimals).has_value(), true);
    QVERIFY(!common::readDecimal(QString(), 4));
    QVERIFY(!common::readDecimal(QStringLiteral("1") + QString(40, u'9'), 4));
    // Rounds beyond the file's fields are drawn no further than the last of them.
    QList<draw::Placement> four(4);
    for (int p = 0; p < 4; ++p)
        four[p].number = p + 1;
    draw::RandomSource random([] { return 3u; });
    for (const draw::Placement& p : draw::drawPlacements(four, 99, random))
        QCOMPARE(p.codes[db::kMaxRounds - 1], db::tableCode(db::kMaxRounds, 1));
}

void TestGuards::engineFailuresToldInFrench_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("start");
    using K = db::DbError::Kind;
    QTest::newRow("disk full") << int(K::Full) << 13 << "le disque est plein.";
    QTest::newRow("write-protected") << int(K::ReadOnly) << 8 << "le fichier du tournoi, ou son";
    QTest::newRow("locked") << int(K::Busy) << 5 << "le fichier du tournoi est bloqué";
    QTest::newRow("damaged") << int(K::Damaged) << 11 << "le fichier du tournoi est endommagé";
    QTest::newRow("I/O error") << int(K::Io) << 778 << "le disque a refusé une lecture";
    QTest::newRow("anything else") << int(K::Other) << 1 << "le fichier du tournoi a refusé";
}

void TestGuards::engineFailuresToldInFrench() {
    QFETCH(int, kind);
    QFETCH(int, code);
    QTemporaryDir folder;
    common::setLogDirectory(folder.path() + u'/');
    const QString told = common::cause(
        db::DbError(QStringLiteral("disk I/O error (UPDATE Inscriptions SET Position = ?1)"),
                    db::DbError::Kind(kind), code));
    common::setLogDirectory(QString());
    QFETCH(QString, start);
    QVERIFY2(told.startsWith(start), qPrintable(told));
    for (const char* english : {"disk", "error", "UPDATE", "?1"})
        QVERIFY2(!told.contains(QLatin1String(english)), qPrintable(told));
    // The details for whoever looks into it later.
    QFile log(folder.path() + QStringLiteral("/Velmora.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains(
        QStringLiteral("[%1] disk I/O error (UPDATE Inscriptions").arg(code).toUtf8()));
}

void TestGuards::theLogStaysUnderAMegabyte() {
    QTemporaryDir folder;
    common::setLogDirectory(folder.path() + u'/');
    const db::DbError failure(QString(1000, u'x'), db::DbError::Kind::Io, 10);
    for (int i = 0; i < 2500; ++i)
        common::cause(failure);
    common::setLogDirectory(QString());
    const QFileInfo log(folder.path() + QStringLiteral("/Velmora.log"));
    QVERIFY(log.size() < 1024 * 1024);
    QVERIFY(log.size() > 400 * 1024); // the newer half kept
}

VELMORA_TEST_GUILESS_MAIN(TestGuards)
#include "tst_guards.moc"
