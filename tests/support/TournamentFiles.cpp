#include "TournamentFiles.h"

#include "TestDatabase.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/Season.h"
#include "db/Transaction.h"

#include <QFile>
#include <QTemporaryDir>

namespace tournaments {

QByteArray build(int players, int rounds, bool drawn) {
    QByteArray content;
    {
        TestDatabase base;
        if (drawn) {
            base.drawTournament(players, rounds, 10);
            db::Connection& connection = base.connection();
            connection.executeNative(QStringLiteral("BEGIN"));
            // Every table balanced: its Nord wins what the three others lose.
            for (int round = 1; round < rounds; ++round)
                connection.executeNative(
                    QStringLiteral("INSERT INTO Resultats (Manche, CodeIndividuel, Points) "
                                   "SELECT ?1, CodeIndividuel, CASE Position WHEN 1 THEN 30 "
                                   "ELSE -10 END FROM Inscriptions WHERE Position > 0 "
                                   "ORDER BY CodeIndividuel"),
                    {round});
            connection.executeNative(QStringLiteral("COMMIT"));
        } else {
            base.connection().executeNative(QStringLiteral("BEGIN"));
            // Surnames in an order of their own, so that the draw's order by name matters.
            for (int n = 1; n <= players; ++n)
                base.addPlayer(
                    n, QStringLiteral("JOUEUR%1").arg(n * 37 % 101, 3, 10, QLatin1Char('0')),
                    QStringLiteral("Prénom"));
            base.connection().executeNative(QStringLiteral("UPDATE Parametres SET Manches = ?1"),
                                            {rounds});
            base.connection().executeNative(QStringLiteral("COMMIT"));
        }
        base.closeMain();
        QFile file(base.path());
        if (!file.open(QIODevice::ReadOnly))
            qFatal("the tournament file just written does not open");
        content = file.readAll();
    }
    return content;
}

QByteArray withEveningKept(const QByteArray& file) {
    QTemporaryDir folder;
    const QString directory = folder.path() + u'/';
    putBack(file, directory);
    {
        auto connection = db::Connection::open(db::databasePath(directory),
                                               QString::fromUtf16(db::kPassword), false, false);
        db::Transaction keeping(*connection);
        db::keepEvening(*connection, QDateTime(QDate(2026, 12, 3), QTime(23, 0)));
        keeping.commit();
    }
    QFile kept(db::databasePath(directory));
    if (!kept.open(QIODevice::ReadOnly))
        qFatal("the tournament file with its evening kept does not open");
    return kept.readAll();
}

void putBack(const QByteArray& content, const QString& programDirectory) {
    const QString path = db::databasePath(programDirectory);
    QFile::remove(path + QStringLiteral("-journal"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        qFatal("the tournament file could not be put back in %s", qPrintable(programDirectory));
}

std::shared_ptr<db::Connection> openAsTheProgram(const QString& programDirectory) {
    auto connection = db::OpenDatabase(db::databasePath(programDirectory), false, false,
                                       QString::fromUtf16(db::kConnect));
    db::upgradeDatabase(*connection);
    return connection;
}

Found reopen(const QString& path) {
    try {
        auto connection =
            db::Connection::open(path, QString::fromUtf16(db::kPassword), false, false);
        QStringList lines;
        auto check = connection->prepare(QStringLiteral("PRAGMA integrity_check"));
        while (check->step())
            lines.append(check->column(0).toString());
        return {lines.join(u'\n'), contents(*connection)};
    } catch (const db::DbError& error) {
        return {QStringLiteral("does not open: ") + error.message(), {}};
    }
}

} // namespace tournaments
