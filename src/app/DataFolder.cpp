#include "DataFolder.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {
namespace {

const QString kTournament = QStringLiteral("Velmora.dat");

QString withSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

DataFolder chooseDataFolder(const QString& programDirectory, bool programFolderWritable,
                            const QString& userFolder) {
    const QString program = withSeparator(programDirectory);
    const QString shipped =
        withSeparator(QDir::cleanPath(program + QStringLiteral("../share/velmora")));
    const bool besideFile = QFileInfo::exists(program + kTournament);
    const bool installed = !besideFile && QFileInfo::exists(shipped + kTournament);
    if (programFolderWritable && !installed)
        return {program, program, QString(), true};

    DataFolder folder;
    folder.beside = false;
    folder.data = withSeparator(userFolder);
    folder.shared = QFileInfo::exists(program + QStringLiteral("Velmora.hlp")) ? program : shipped;
    // A copied folder on a read-only medium brings its own file: it is the model then.
    folder.model = besideFile ? program + kTournament : shipped + kTournament;
    if (!QFileInfo::exists(folder.model))
        folder.model.clear();
    return folder;
}

QString placeTournament(const DataFolder& folder) {
    const QString target = folder.data + kTournament;
    if (folder.beside || QFileInfo::exists(target))
        return QString();
    const auto refusal = [&](const QString& cause) {
        return QStringLiteral("Impossible de préparer la base du tournoi :\n%1\n\n%2\n\nLe "
                              "programme va s'arrêter.")
            .arg(QDir::toNativeSeparators(target), cause);
    };
    if (folder.model.isEmpty())
        return refusal(QStringLiteral("Le fichier vide livré avec le programme est introuvable : "
                                      "réinstallez Velmora."));
    if (!QDir().mkpath(folder.data))
        return refusal(QStringLiteral("Le dossier des données ne peut pas être créé (droits "
                                      "d'accès)."));
    // Copied under another name, then renamed: a copy cut short never becomes the tournament,
    // and a rename never replaces a file another copy of the program placed meanwhile.
    const QString partial = target + QStringLiteral(".copie");
    QFile::remove(partial);
    if (!QFile::copy(folder.model, partial)) {
        QFile::remove(partial);
        return refusal(QStringLiteral("Le fichier vide livré avec le programme n'a pas pu être "
                                      "copié (disque plein ou dossier protégé)."));
    }
    // A damaged model gets the words of a tournament file that does not open, and stays out
    // of the user's folder, so that a repaired installation is copied at the next start.
    bool opens = false;
    try {
        auto connection = db::OpenDatabase(partial, false, true, QString::fromUtf16(db::kConnect));
        opens = db::missingTables(*connection).isEmpty();
    } catch (const db::DbError&) {
    }
    if (!opens) {
        QFile::remove(partial);
        return QStringLiteral("Impossible d'ouvrir la base du tournoi :\n%1\n\nCe n'est pas une "
                              "base Velmora, ou elle ne s'ouvre pas avec son mot de passe.\n\nLe "
                              "programme va s'arrêter.")
            .arg(QDir::toNativeSeparators(folder.model));
    }
    QFile copy(partial);
    copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if (!copy.rename(target)) {
        QFile::remove(partial);
        if (!QFileInfo::exists(target))
            return refusal(QStringLiteral("Le fichier vide livré avec le programme n'a pas pu "
                                          "être copié (disque plein ou dossier protégé)."));
    }
    return QString();
}

DataFolder runningDataFolder(const QString& programDirectory) {
    return chooseDataFolder(programDirectory, QFileInfo(programDirectory).isWritable(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace app
