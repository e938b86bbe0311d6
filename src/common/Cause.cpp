#include "Cause.h"

#include "db/DbError.h"

#include <QDateTime>
#include <QFile>

namespace common {
namespace {

constexpr qint64 kLogLimit = 1024 * 1024;

QString& logPath() {
    static QString path;
    return path;
}

// Appended, with the time; past the limit, the older half goes, a whole line at a time.
void log(const QString& line) {
    if (logPath().isEmpty())
        return;
    QFile file(logPath());
    const QByteArray entry =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
         QStringLiteral("  ") + line + u'\n')
            .toUtf8();
    if (file.size() + entry.size() > kLogLimit && file.open(QIODevice::ReadWrite)) {
        QByteArray kept = file.readAll();
        kept = kept.mid(kept.size() / 2);
        kept = kept.mid(kept.indexOf('\n') + 1);
        file.resize(0);
        file.write(kept);
        file.close();
    }
    if (file.open(QIODevice::Append))
        file.write(entry);
}

} // namespace

void setLogDirectory(const QString& programDirectory) {
    logPath() =
        programDirectory.isEmpty() ? QString() : programDirectory + QStringLiteral("Velmora.log");
}

void logDetail(const QString& line) {
    log(line);
}

QString cause(const db::DbError& error) {
    using Kind = db::DbError::Kind;
    log(QStringLiteral("[%1] %2").arg(error.code()).arg(error.message()));
    // A failure found by the program itself is told in its own words already.
    if (error.code() == 0)
        return error.message();
    switch (error.kind()) {
    case Kind::Full:
        return QStringLiteral("le disque est plein. Libérez de la place sur le disque, puis "
                              "recommencez.");
    case Kind::ReadOnly:
        return QStringLiteral("le fichier du tournoi, ou son dossier, est protégé en écriture. "
                              "Rendez-les modifiables, puis recommencez.");
    case Kind::Busy:
        return QStringLiteral("le fichier du tournoi est bloqué par un autre programme. Fermez "
                              "ce programme, puis recommencez.");
    case Kind::Damaged:
    case Kind::NotADatabase:
        return QStringLiteral("le fichier du tournoi est endommagé. Reprenez une sauvegarde "
                              "(menu Paramètres, Restaurer une sauvegarde).");
    case Kind::Io:
        return QStringLiteral("le disque a refusé une lecture ou une écriture (erreur "
                              "d'entrée-sortie). Vérifiez le disque, puis recommencez.");
    case Kind::Missing:
        return QStringLiteral("le fichier du tournoi ne peut pas être ouvert. Vérifiez qu'il est "
                              "dans le dossier du programme, puis recommencez.");
    case Kind::Duplicate:
        return QStringLiteral("un numéro de joueur est déjà attribué à un autre joueur.");
    case Kind::Other:
        break;
    }
    return QStringLiteral("le fichier du tournoi a refusé l'opération (le détail est noté dans "
                          "Velmora.log). Recommencez ; si cela se reproduit, reprenez une "
                          "sauvegarde.");
}

} // namespace common
