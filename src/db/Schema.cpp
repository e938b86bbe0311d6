#include "Schema.h"

#include "Connection.h"
#include "DbError.h"
#include "Transaction.h"

#include <QFile>
#include <QRegularExpression>

namespace db {
namespace {

// The layout of the file, in PRAGMA user_version: 0 for the files of the first build, whose
// names declared the program's own order and so could not be read by the standard client; 2
// from the logs of corrections on; 3 from the draw's choice to avoid repeated meetings on; 4
// from the keys of score entry at the tables on; 5 from tables of five and departures on; 6 from
// the players' own keys, the deals entered one by one and the club's season on.
constexpr int kSchemaVersion = 6;

const char* const kTables[] = {
    "CREATE TABLE Inscriptions ("
    " CodeIndividuel INTEGER,"
    " Nom VARCHAR(25),"
    " Prenom VARCHAR(25),"
    " Position INTEGER,"
    " Position2 VARCHAR(5),"
    " CodeEquipe01 INTEGER, CodeEquipe02 INTEGER, CodeEquipe03 INTEGER,"
    " CodeEquipe04 INTEGER, CodeEquipe05 INTEGER, CodeEquipe06 INTEGER,"
    " CodeEquipe07 INTEGER)",
    "CREATE TABLE Parametres (Manches INTEGER, Parties INTEGER, EviterRencontres INTEGER DEFAULT "
    "0, TablesDeCinq INTEGER DEFAULT 0, DonneParDonne INTEGER DEFAULT 0)",
    "CREATE TABLE Resultats (Manche INTEGER, CodeIndividuel INTEGER, Points DOUBLE)",
};

// What was corrected or removed, and when, so that a dispute can be settled: the scores of a
// stored table (seat order) and the names of a registered player.
const char* const kLogs[] = {
    "CREATE TABLE IF NOT EXISTS CorrectionsResultats ("
    " Moment VARCHAR(19), Operation VARCHAR(12), CodeEquipe INTEGER, Manche INTEGER,"
    " Ancien1 DOUBLE, Ancien2 DOUBLE, Ancien3 DOUBLE, Ancien4 DOUBLE,"
    " Nouveau1 DOUBLE, Nouveau2 DOUBLE, Nouveau3 DOUBLE, Nouveau4 DOUBLE)",
    "CREATE TABLE IF NOT EXISTS CorrectionsInscriptions ("
    " Moment VARCHAR(19), Operation VARCHAR(12), CodeIndividuel INTEGER,"
    " AncienNom VARCHAR(25), AncienPrenom VARCHAR(25), NouveauNom VARCHAR(25),"
    " NouveauPrenom VARCHAR(25))",
};

// The key of each drawn table, which a phone must give to enter that table's scores; a table
// has one key at most.
const char* const kKeys[] = {
    "CREATE TABLE IF NOT EXISTS ClesTables (CodeEquipe INTEGER, Cle VARCHAR(6))",
    "CREATE UNIQUE INDEX IF NOT EXISTS ClesTablesCode ON ClesTables (CodeEquipe)",
};

// The lookups by player number, by seat in number order, by player and round, and by table in
// each round: a table's four players, found at once rather than among every registration, as
// the phones of every table send their scores within a few seconds.
const char* const kIndexes[] = {
    "CREATE INDEX IF NOT EXISTS InscriptionsPlace ON Inscriptions (Position, CodeIndividuel)",
    "CREATE INDEX IF NOT EXISTS ResultatsJoueur ON Resultats (CodeIndividuel, Manche)",
    "CREATE INDEX IF NOT EXISTS InscriptionsTable1 ON Inscriptions (CodeEquipe01)",
    "CREATE INDEX IF NOT EXISTS InscriptionsTable2 ON Inscriptions (CodeEquipe02)",
    "CREATE INDEX IF NOT EXISTS InscriptionsTable3 ON Inscriptions (CodeEquipe03)",
    "CREATE INDEX IF NOT EXISTS InscriptionsTable4 ON Inscriptions (CodeEquipe04)",
    "CREATE INDEX IF NOT EXISTS InscriptionsTable5 ON Inscriptions (CodeEquipe05)",
    "CREATE INDEX IF NOT EXISTS InscriptionsTable6 ON Inscriptions (CodeEquipe06)",
    "CREATE INDEX IF NOT EXISTS InscriptionsTable7 ON Inscriptions (CodeEquipe07)",
};
// The players gone for the rest of the evening, each with the first round he no longer plays
// (a player present all evening has no row); and the seat a player held in a round played
// before the coming rounds gave him another (Position holds the seat of the rounds since).
const char* const kDepartures[] = {
    "CREATE TABLE IF NOT EXISTS Departs (CodeIndividuel INTEGER, Manche INTEGER)",
    "CREATE UNIQUE INDEX IF NOT EXISTS DepartsJoueur ON Departs (CodeIndividuel)",
    "CREATE TABLE IF NOT EXISTS PlacesManches (CodeIndividuel INTEGER, Manche INTEGER, "
    "Position INTEGER)",
    "CREATE UNIQUE INDEX IF NOT EXISTS PlacesManchesJoueur ON PlacesManches (Manche, "
    "CodeIndividuel)",
};

// The key of each player's own page, printed on his route card; a player has one key at most.
const char* const kPlayerKeys[] = {
    "CREATE TABLE IF NOT EXISTS ClesJoueurs (CodeIndividuel INTEGER, Cle VARCHAR(6))",
    "CREATE UNIQUE INDEX IF NOT EXISTS ClesJoueursCode ON ClesJoueurs (CodeIndividuel)",
};

// The deals of a table entered one by one at the table, in the order played, until the table's
// totals are stored: the taker's seat (0 for a deal all passed), the contract (1 prise, 2 garde,
// 3 garde sans, 4 garde contre), the bouts and card points of the taker's side, the poignées
// shown (how many of each), the petit au bout (0 none, 1 the taker's side, 2 the defence) and
// the chelem (0 none, 1 announced and made, 2 made unannounced, 3 announced and failed).
const char* const kDeals[] = {
    "CREATE TABLE IF NOT EXISTS Donnes (CodeEquipe INTEGER, Manche INTEGER, Donne INTEGER,"
    " Preneur INTEGER, Contrat INTEGER, Bouts INTEGER, PointsPreneur DOUBLE,"
    " PoigneesSimples INTEGER, PoigneesDoubles INTEGER, PoigneesTriples INTEGER,"
    " PetitAuBout INTEGER, Chelem INTEGER)",
    "CREATE UNIQUE INDEX IF NOT EXISTS DonnesTable ON Donnes (CodeEquipe, Donne)",
};

// The club's season, which the reset never wipes: each evening kept at the reset with its final
// standings, the club's known players, and the log of what was removed or merged.
const char* const kSeason[] = {
    "CREATE TABLE IF NOT EXISTS Soirees (Soiree INTEGER, DateSoiree VARCHAR(10),"
    " Moment VARCHAR(19), Manches INTEGER, Joueurs INTEGER)",
    "CREATE UNIQUE INDEX IF NOT EXISTS SoireesNumero ON Soirees (Soiree)",
    "CREATE TABLE IF NOT EXISTS SoireesJoueurs (Soiree INTEGER, Joueur INTEGER,"
    " CodeIndividuel INTEGER, Nom VARCHAR(25), Prenom VARCHAR(25), Place INTEGER, Total DOUBLE,"
    " Points1 DOUBLE, Points2 DOUBLE, Points3 DOUBLE, Points4 DOUBLE, Points5 DOUBLE,"
    " Points6 DOUBLE, Points7 DOUBLE)",
    "CREATE INDEX IF NOT EXISTS SoireesJoueursSoiree ON SoireesJoueurs (Soiree, Place)",
    "CREATE INDEX IF NOT EXISTS SoireesJoueursJoueur ON SoireesJoueurs (Joueur)",
    "CREATE TABLE IF NOT EXISTS JoueursClub (Joueur INTEGER, Nom VARCHAR(25), Prenom VARCHAR(25),"
    " Cle VARCHAR(60))",
    "CREATE UNIQUE INDEX IF NOT EXISTS JoueursClubNumero ON JoueursClub (Joueur)",
    "CREATE INDEX IF NOT EXISTS JoueursClubCle ON JoueursClub (Cle)",
    "CREATE TABLE IF NOT EXISTS CorrectionsSaison (Moment VARCHAR(19), Operation VARCHAR(12),"
    " Soiree INTEGER, Joueur INTEGER, AutreJoueur INTEGER, Detail VARCHAR(200))",
};

const QString kUniqueNumber = QStringLiteral("InscriptionsNumero");

int schemaVersion(Connection& connection) {
    auto stmt = connection.prepare(QStringLiteral("PRAGMA user_version"));
    return stmt->step() ? stmt->column(0).toInt() : 0;
}

bool hasColumn(Connection& connection, const QString& table, const QString& column) {
    for (const ColumnInfo& c : connection.columns(table))
        if (c.name.compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool hasIndex(Connection& connection, const QString& name) {
    auto stmt = connection.prepare(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1"));
    stmt->bind(1, name);
    return stmt->step();
}

// Takes the program's own collation out of every table and index that declares it. A table
// is written again under its own name with the same rows, row ids included, so that the file's
// order stays; its indexes go with the old copy and are made again afterwards.
void removeOwnCollation(Connection& connection) {
    static const QRegularExpression collation(QStringLiteral("\\s+COLLATE\\s+\"?FRENCH\"?"),
                                              QRegularExpression::CaseInsensitiveOption);
    struct Entry {
        QString type, name, sql;
    };
    QList<Entry> entries;
    {
        auto stmt = connection.prepare(QStringLiteral(
            "SELECT type, name, sql FROM sqlite_master WHERE sql LIKE '%COLLATE%FRENCH%'"));
        while (stmt->step())
            entries.append({stmt->column(0).toString(), stmt->column(1).toString(),
                            stmt->column(2).toString()});
    }
    const auto quoted = [](QString name) {
        return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
    };
    for (const Entry& e : entries)
        if (e.type == u"index")
            connection.executeNative(QStringLiteral("DROP INDEX ") + quoted(e.name));
    for (const Entry& e : entries) {
        if (e.type != u"table")
            continue;
        const QString old = QStringLiteral("velmora_old_") + e.name;
        connection.executeNative(
            QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(e.name), quoted(old)));
        connection.executeNative(QString(e.sql).remove(collation));
        QStringList fields{QStringLiteral("rowid")};
        for (const ColumnInfo& c : connection.columns(e.name))
            fields.append(quoted(c.name));
        const QString list = fields.join(QStringLiteral(", "));
        connection.executeNative(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3")
                                     .arg(quoted(e.name), list, quoted(old)));
        connection.executeNative(QStringLiteral("DROP TABLE ") + quoted(old));
    }
}

// A table of five logs its fifth score beside the four others; older rows keep it empty.
void addFifthScores(Connection& connection) {
    for (const char* column : {"Ancien5", "Nouveau5"})
        if (!hasColumn(connection, QStringLiteral("CorrectionsResultats"),
                       QString::fromLatin1(column)))
            connection.executeNative(
                QStringLiteral("ALTER TABLE CorrectionsResultats ADD COLUMN %1 DOUBLE")
                    .arg(QString::fromLatin1(column)));
}

// The tables of the sixth layout: the players' keys, the deals, the season.
void addSixthLayout(Connection& connection) {
    for (const char* sql : kPlayerKeys)
        connection.executeNative(QString::fromLatin1(sql));
    for (const char* sql : kDeals)
        connection.executeNative(QString::fromLatin1(sql));
    for (const char* sql : kSeason)
        connection.executeNative(QString::fromLatin1(sql));
}

QList<qint64> duplicateNumbers(Connection& connection) {
    QList<qint64> numbers;
    auto stmt = connection.prepare(
        QStringLiteral("SELECT CodeIndividuel FROM Inscriptions WHERE CodeIndividuel IS NOT NULL "
                       "GROUP BY CodeIndividuel HAVING count(*) > 1 ORDER BY CodeIndividuel"));
    while (stmt->step())
        numbers.append(stmt->columnInt64(0));
    return numbers;
}

// The indexes of the current layout; player numbers unique when the rows allow it.
QList<qint64> makeIndexes(Connection& connection) {
    for (const char* sql : kIndexes)
        connection.executeNative(QString::fromLatin1(sql));
    if (hasIndex(connection, kUniqueNumber))
        return {};
    const QList<qint64> duplicates = duplicateNumbers(connection);
    if (!duplicates.isEmpty()) {
        // Still found quickly by number; a number given twice is refused again once a reset
        // has emptied the table (see upgradeDatabase).
        connection.executeNative(QStringLiteral(
            "CREATE INDEX IF NOT EXISTS InscriptionsCode ON Inscriptions (CodeIndividuel)"));
        return duplicates;
    }
    connection.executeNative(QStringLiteral("DROP INDEX IF EXISTS InscriptionsCode"));
    connection.executeNative(QStringLiteral("CREATE UNIQUE INDEX ") + kUniqueNumber +
                             QStringLiteral(" ON Inscriptions (CodeIndividuel)"));
    return {};
}

} // namespace

QString databasePath(const QString& programDirectory) {
    return programDirectory + QString::fromUtf16(kDatabaseFileName);
}

void createDatabase(const QString& path, const QString& password, int rounds, int deals) {
    if (QFile::exists(path))
        throw DbError(QStringLiteral("Le fichier %1 existe déjà").arg(path));
    try {
        auto connection = Connection::create(path, password);
        Transaction creation(*connection);
        for (const char* sql : kTables)
            connection->executeNative(QString::fromLatin1(sql));
        for (const char* sql : kLogs)
            connection->executeNative(QString::fromLatin1(sql));
        for (const char* sql : kKeys)
            connection->executeNative(QString::fromLatin1(sql));
        addFifthScores(*connection);
        for (const char* sql : kDepartures)
            connection->executeNative(QString::fromLatin1(sql));
        addSixthLayout(*connection);
        makeIndexes(*connection);
        connection->executeNative(
            QStringLiteral("INSERT INTO Parametres (Manches, Parties) VALUES (?1, ?2)"),
            {rounds, deals});
        connection->executeNative(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
        creation.commit();
    } catch (const DbError&) {
        QFile::remove(path);
        throw;
    }
}

QStringList missingTables(Connection& connection) {
    QStringList missing;
    for (const char* table : {"Inscriptions", "Parametres", "Resultats"}) {
        if (!connection.hasTable(QString::fromLatin1(table)))
            missing.append(QString::fromLatin1(table));
    }
    return missing;
}

SchemaCheck upgradeDatabase(Connection& connection) {
    SchemaCheck check;
    const int version = schemaVersion(connection);
    if (version >= kSchemaVersion && hasIndex(connection, kUniqueNumber))
        return check;
    Transaction upgrade(connection);
    if (version < 1)
        removeOwnCollation(connection);
    if (version < 2)
        for (const char* sql : kLogs)
            connection.executeNative(QString::fromLatin1(sql));
    // An older file draws as it always did: the choice is off.
    if (version < 3 &&
        !hasColumn(connection, QStringLiteral("Parametres"), QStringLiteral("EviterRencontres")))
        connection.executeNative(
            QStringLiteral("ALTER TABLE Parametres ADD COLUMN EviterRencontres INTEGER DEFAULT 0"));
    if (version < 4)
        for (const char* sql : kKeys)
            connection.executeNative(QString::fromLatin1(sql));
    // An older file seats four at a table, as it always did.
    if (version < 5) {
        if (!hasColumn(connection, QStringLiteral("Parametres"), QStringLiteral("TablesDeCinq")))
            connection.executeNative(
                QStringLiteral("ALTER TABLE Parametres ADD COLUMN TablesDeCinq INTEGER DEFAULT 0"));
        addFifthScores(connection);
        for (const char* sql : kDepartures)
            connection.executeNative(QString::fromLatin1(sql));
    }
    // An older file enters each table by its totals, as it always did, and has no season yet.
    if (version < 6) {
        if (!hasColumn(connection, QStringLiteral("Parametres"), QStringLiteral("DonneParDonne")))
            connection.executeNative(QStringLiteral(
                "ALTER TABLE Parametres ADD COLUMN DonneParDonne INTEGER DEFAULT 0"));
        addSixthLayout(connection);
    }
    if (version < kSchemaVersion) {
        connection.executeNative(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
        check.upgraded = true;
    }
    check.duplicateNumbers = makeIndexes(connection);
    upgrade.commit();
    return check;
}

} // namespace db
