#include "Reinitialisation.h"

#include "Registration.h"

#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Deals.h"
#include "db/Departures.h"
#include "db/KeyStore.h"
#include "db/PlayerKeys.h"
#include "db/Schema.h"
#include "db/Season.h"
#include "db/Transaction.h"
#include "ui/BackupFirst.h"
#include "ui/MessageBox.h"
#include "ui/Shell.h"

#include <QScopeGuard>

namespace registration {
namespace {

// The logs of the corrections name players by number: the next tournament's players would
// inherit them.
void deleteCorrectionLogs(db::Connection& connection) {
    connection.executeNative(QStringLiteral("DELETE FROM CorrectionsInscriptions"));
    connection.executeNative(QStringLiteral("DELETE FROM CorrectionsResultats"));
    db::clearEveningChanges(connection); // names players by number too
    db::deleteAllPlayerKeys(connection); // and so do the keys of their pages
    db::deleteAllDeals(connection);      // and the deals of their tables
}

} // namespace

void reinitialiserBase(ui::Shell& shell, db::DataControl& DataReinit, const QDateTime& when) {
    const QString title = QStringLiteral("Réinitialisation");
    shell.setCartesVisible(false);
    const auto cartesBack = qScopeGuard([&shell] { shell.setCartesVisible(true); });
    const auto closed = qScopeGuard([&DataReinit] { DataReinit.Database().Close(); });

    int count = 0;
    try {
        count = registrationCount(DataReinit, db::databasePath(shell.programDirectory()));
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(title, QStringLiteral("Les inscriptions n'ont pas pu être "
                                                       "comptées : %1\n\nRien n'a été supprimé.")
                                            .arg(common::cause(error)));
        return;
    }
    if (count == 0) {
        ui::MessageBox::information(title,
                                    QStringLiteral("La base ne contient aucune inscription !!"));
        return;
    }

    const QString question = QStringLiteral("La base contient ") + QString::number(count) +
                             QStringLiteral(" inscriptions.\n\nConfirmez vous la suppression de "
                                            "toutes les inscriptions ?");
    if (ui::MessageBox::question(title, question) != ui::MessageBox::Answer::Yes)
        return;
    QString copy;
    try {
        const ui::BackupFirst backup =
            ui::backUpFirst(DataReinit.Database().connection(), shell.programDirectory(),
                            QStringLiteral("avant réinitialisation"), title);
        if (!backup.goOn)
            return;
        copy = backup.copy;
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(title, QStringLiteral("La base n'a pas pu être ouverte : %1\n\n"
                                                       "Rien n'a été supprimé.")
                                            .arg(common::cause(error)));
        return;
    }

    try {
        // Players and scores go together or not at all: scores without their players, or
        // players whose scores are gone, would spoil the next tournament.
        db::Transaction wipe(DataReinit.Database());
        // The evening stays in the season whatever the wipe takes: kept first, or not at all.
        db::keepEvening(DataReinit.Database().connection(),
                        when.isValid() ? when : QDateTime::currentDateTime());
        DataReinit.Refresh();
        DataReinit.Database().Execute(QStringLiteral("DELETE * from Inscriptions"));
        DataReinit.Refresh();
        DataReinit.Database().Execute(QStringLiteral("DELETE * from Resultats"));
        // A file that gave a number to two players refuses a number given twice again from
        // the next registration on.
        db::upgradeDatabase(DataReinit.Database().connection());
        // What else belonged to the evening goes with it; the copy written above keeps it.
        db::deleteAllTableKeys(DataReinit.Database().connection());
        deleteCorrectionLogs(DataReinit.Database().connection());
        wipe.commit();
    } catch (const db::DbError& error) {
        ui::MessageBox::critical(
            title, QStringLiteral("La réinitialisation de la base a échoué : %1\n\nAucune "
                                  "inscription ni aucun résultat n'a été supprimé.")
                       .arg(common::cause(error)));
        return;
    }
    DataReinit.Database().Close();
    ui::MessageBox::information(title,
                                QStringLiteral("La totalité des inscriptions a été supprimée !!!"));
    ui::tellBackup(title, copy);
}

} // namespace registration
