#include "Schema.h"

#include "Connection.h"
#include "DbError.h"

#include <QFile>

namespace db {

QString databasePath(const QString& programDirectory) {
    return programDirectory + QString::fromUtf16(kDatabaseFileName);
}

void createDatabase(const QString& path, const QString& password, int rounds, int deals) {
    if (QFile::exists(path))
        throw DbError(QStringLiteral("Le fichier %1 existe déjà").arg(path));
    try {
        auto connection = Connection::create(path, password);
        // Names sort in French order wherever they are sorted; the indexes serve the lookups
        // by player number, by seat and name, and by round.
        const char* const statements[] = {
            "CREATE TABLE Inscriptions ("
            " CodeIndividuel INTEGER,"
            " Nom VARCHAR(25) COLLATE FRENCH,"
            " Prenom VARCHAR(25) COLLATE FRENCH,"
            " Position INTEGER,"
            " Position2 VARCHAR(5),"
            " CodeEquipe01 INTEGER, CodeEquipe02 INTEGER, CodeEquipe03 INTEGER,"
            " CodeEquipe04 INTEGER, CodeEquipe05 INTEGER, CodeEquipe06 INTEGER,"
            " CodeEquipe07 INTEGER)",
            "CREATE TABLE Parametres (Manches INTEGER, Parties INTEGER)",
            "CREATE TABLE Resultats (Manche INTEGER, CodeIndividuel INTEGER, Points DOUBLE)",
            "CREATE INDEX InscriptionsCode ON Inscriptions (CodeIndividuel)",
            "CREATE INDEX InscriptionsPlace ON Inscriptions (Position, Nom)",
            "CREATE INDEX ResultatsJoueur ON Resultats (CodeIndividuel, Manche)",
        };
        connection->executeNative(QStringLiteral("BEGIN"));
        for (const char* sql : statements)
            connection->executeNative(QString::fromLatin1(sql));
        connection->executeNative(
            QStringLiteral("INSERT INTO Parametres VALUES (%1, %2)").arg(rounds).arg(deals));
        connection->executeNative(QStringLiteral("COMMIT"));
    } catch (const DbError&) {
        QFile::remove(path);
        throw;
    }
}

QStringList missingTables(Connection& connection) {
    QStringList missing;
    for (const char* table : {"Inscriptions", "Parametres", "Resultats"}) {
        auto stmt = connection.prepare(
            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1"));
        stmt->bind(1, QString::fromLatin1(table));
        if (!stmt->step())
            missing.append(QString::fromLatin1(table));
    }
    return missing;
}

} // namespace db
