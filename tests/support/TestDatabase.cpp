#include "TestDatabase.h"

#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Schema.h"
#include "db/Tournament.h"

#include <QProcess>
#include <QtTest>

TestDatabase::TestDatabase() {
    if (!m_dir.isValid())
        qFatal("no temporary folder for the test database");
    db::createDatabase(path(), QString::fromUtf16(db::kPassword));
    m_main = db::OpenDatabase(path(), false, false, QString::fromUtf16(db::kConnect));
}

TestDatabase::TestDatabase(const QList<std::pair<int, QString>>& firstBuildPlayers) {
    if (!m_dir.isValid())
        qFatal("no temporary folder for the test database");
    auto writer = db::Connection::create(path(), QString::fromUtf16(db::kPassword));
    const char* const statements[] = {
        "CREATE TABLE Inscriptions (CodeIndividuel INTEGER, Nom VARCHAR(25) COLLATE FRENCH, "
        "Prenom VARCHAR(25) COLLATE FRENCH, Position INTEGER, Position2 VARCHAR(5), "
        "CodeEquipe01 INTEGER, CodeEquipe02 INTEGER, CodeEquipe03 INTEGER, CodeEquipe04 INTEGER, "
        "CodeEquipe05 INTEGER, CodeEquipe06 INTEGER, CodeEquipe07 INTEGER)",
        "CREATE TABLE Parametres (Manches INTEGER, Parties INTEGER)",
        "CREATE TABLE Resultats (Manche INTEGER, CodeIndividuel INTEGER, Points DOUBLE)",
        "CREATE INDEX InscriptionsCode ON Inscriptions (CodeIndividuel)",
        "CREATE INDEX InscriptionsPlace ON Inscriptions (Position, Nom)",
        "CREATE INDEX ResultatsJoueur ON Resultats (CodeIndividuel, Manche)",
        "INSERT INTO Parametres VALUES (4, 10)",
    };
    for (const char* sql : statements)
        writer->executeNative(QString::fromLatin1(sql));
    writer.reset();
    m_main = db::OpenDatabase(path(), false, false, QString::fromUtf16(db::kConnect));
    for (const auto& [code, nom] : firstBuildPlayers)
        addPlayer(code, nom, QStringLiteral("Jean"), 1, QStringLiteral("Nord"));
}

TestDatabase::~TestDatabase() = default;

QString TestDatabase::directory() const {
    return m_dir.path() + u'/';
}

QString TestDatabase::path() const {
    return db::databasePath(directory());
}

void TestDatabase::addPlayer(int code, const QString& nom, const QString& prenom, int position,
                             const QString& position2) {
    auto stmt = m_main->prepare(QStringLiteral(
        "INSERT INTO Inscriptions (CodeIndividuel, Nom, Prenom, Position, Position2, "
        "CodeEquipe01, CodeEquipe02, CodeEquipe03, CodeEquipe04, CodeEquipe05, CodeEquipe06, "
        "CodeEquipe07) VALUES (?1, ?2, ?3, ?4, ?5, 0, 0, 0, 0, 0, 0, 0)"));
    stmt->bind(1, code);
    stmt->bind(2, nom);
    stmt->bind(3, prenom);
    stmt->bind(4, position);
    stmt->bind(5, position2.isNull() ? QVariant() : QVariant(position2));
    stmt->step();
}

void TestDatabase::seatTable(int tableCode, const QList<int>& playersInSeatOrder) {
    auto stmt = m_main->prepare(QStringLiteral("UPDATE Inscriptions SET Position = ?1, "
                                               "Position2 = ?2, %1 = ?3 WHERE CodeIndividuel = ?4")
                                    .arg(db::roundField(tableCode / 1000)));
    for (int seat = 1; seat <= playersInSeatOrder.size(); ++seat) {
        stmt->bind(1, seat);
        stmt->bind(2, db::seatName(seat));
        stmt->bind(3, tableCode);
        stmt->bind(4, playersInSeatOrder[seat - 1]);
        stmt->step();
        stmt->reset();
    }
}

void TestDatabase::drawTournament(int count, int rounds, int deals) {
    m_main->executeNative(QStringLiteral("BEGIN"));
    auto add = m_main->prepare(QStringLiteral(
        "INSERT INTO Inscriptions (CodeIndividuel, Nom, Prenom, Position, Position2, CodeEquipe01, "
        "CodeEquipe02, CodeEquipe03, CodeEquipe04, CodeEquipe05, CodeEquipe06, CodeEquipe07) "
        "VALUES (?1, ?2, 'Jean', ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"));
    const int tables = count / 4;
    for (int n = 1; n <= count; ++n) {
        const bool seated = n <= 4 * tables; // the last ones of an incomplete four sit out
        const int seat = seated ? (n - 1) % 4 + 1 : 0;
        add->bind(1, n);
        add->bind(2, QStringLiteral("NOM%1").arg(1000 - n));
        add->bind(3, seat);
        add->bind(4, db::seatName(seat));
        for (int k = 1; k <= 7; ++k)
            add->bind(4 + k, seated && k <= rounds
                                 ? db::tableCode(k, ((n - 1) / 4 + k - 1) % tables + 1)
                                 : 0);
        add->step();
        add->reset();
    }
    m_main->executeNative(QStringLiteral("UPDATE Parametres SET Manches = ?1, Parties = ?2"),
                          {rounds, deals});
    m_main->executeNative(QStringLiteral("COMMIT"));
}

QVariant TestDatabase::scalar(const QString& sql) {
    auto stmt = m_main->prepare(sql);
    return stmt->step() ? stmt->column(0) : QVariant();
}

void refreshed(db::DataControl& data, const TestDatabase& base, const QString& source,
               const QVariantList& parameters) {
    data.DatabaseName = base.path();
    data.RecordSource = source;
    data.Parameters = parameters;
    data.Refresh();
}

// What the standard sqlcipher client prints for a script run on the file, given the password
// and nothing of the program.
QString standardClient(const QString& path, const QString& script) {
    QProcess client;
    client.setProcessChannelMode(QProcess::MergedChannels);
    client.start(QStringLiteral("sqlcipher"), {path});
    if (!client.waitForStarted())
        return QStringLiteral("<sqlcipher does not start>");
    client.write("PRAGMA key='kqz475';\n" + script.toUtf8());
    client.closeWriteChannel();
    client.waitForFinished(60000);
    return QString::fromUtf8(client.readAll()).trimmed();
}

// Every row of every table, row ids included, as text.
QString contents(db::Connection& connection) {
    QStringList tables;
    {
        auto names = connection.prepare(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        while (names->step())
            tables.append(names->column(0).toString());
    }
    QStringList lines;
    for (const QString& table : tables) {
        auto stmt = connection.prepare(
            QStringLiteral("SELECT rowid, * FROM \"%1\" ORDER BY rowid").arg(table));
        while (stmt->step()) {
            QStringList values{table};
            for (int i = 0; i < stmt->columnCount(); ++i)
                values.append(stmt->column(i).toString());
            lines.append(values.join(u'|'));
        }
    }
    return lines.join(u'\n');
}
