#include "BackupFirst.h"

#include "MessageBox.h"
#include "common/Cause.h"
#include "db/Backup.h"
#include "db/DbError.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace ui {

BackupFirst backUpFirst(db::Connection& tournament, const QString& programDirectory,
                        const QString& reason, const QString& title) {
    const QString folder = db::backupFolder(programDirectory);
    try {
        return {true, db::writeBackup(tournament, folder, reason, QDateTime::currentDateTime())};
    } catch (const db::DbError& error) {
        const bool goOn =
            MessageBox::questionNoByDefault(
                title, QStringLiteral("La copie de sauvegarde du tournoi n'a pas pu être écrite "
                                      "dans le dossier %1 :\n%2\n\nSans cette copie, le tournoi "
                                      "tel qu'il est ne pourra plus être retrouvé.\n\nContinuer "
                                      "quand même ?")
                           .arg(QDir::toNativeSeparators(folder), common::cause(error))) ==
            MessageBox::Answer::Yes;
        return {goOn, QString()};
    }
}

void tellBackup(const QString& title, const QString& copy) {
    if (copy.isEmpty())
        return;
    MessageBox::information(
        title, QStringLiteral("Le tournoi tel qu'il était avant a été copié dans le fichier :\n%1"
                              "\n\ndu dossier :\n%2\n\nPour y revenir : menu Paramètres, "
                              "Restaurer une sauvegarde.")
                   .arg(QFileInfo(copy).fileName(),
                        QDir::toNativeSeparators(QFileInfo(copy).absolutePath())));
}

} // namespace ui
