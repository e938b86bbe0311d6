#include "WritingActions.h"

#include "FakeShell.h"
#include "Quiet.h"
#include "backup/Restore.h"
#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/Season.h"
#include "db/Tournament.h"
#include "draw/Evening.h"
#include "draw/RandomSource.h"
#include "draw/TableDraw.h"
#include "registration/Registration.h"
#include "registration/Reinitialisation.h"
#include "results/Scores.h"
#include "results/StoredScores.h"
#include "settings/Settings.h"
#include "ui/BackupFirst.h"
#include "ui/MessageBox.h"

#include <QRegularExpression>

namespace writing {
namespace {

// Corrections are logged at a fixed moment, so that two runs log the same row.
const QDateTime kLogged(QDate(2026, 12, 9), QTime(23, 0));

bool reported(const std::optional<results::Refusal>& refusal, QStringList& told) {
    if (refusal)
        told.append(refusal->title + QStringLiteral(": ") + refusal->text);
    return !refusal;
}

} // namespace

const QMap<QString, Action>& writingActions() {
    static const QMap<QString, Action> actions = {
        {QStringLiteral("register"),
         [](const QString& directory, quint64, QStringList&) {
             db::DataControl DataInscriptions;
             const QString path = db::databasePath(directory);
             registration::storePlayer(DataInscriptions, path,
                                       registration::nextPlayerNumber(DataInscriptions, path),
                                       QStringLiteral("NOUVEAU"), QStringLiteral("Arthur"));
             return true;
         }},
        {QStringLiteral("rename"),
         [](const QString& directory, quint64, QStringList& told) {
             db::DataControl DataInscriptions;
             const auto refused = registration::renamePlayer(
                 DataInscriptions, db::databasePath(directory), 2, QStringLiteral("RENOMMÉ"),
                 QStringLiteral("Léa"), kLogged);
             if (refused)
                 told.append(*refused);
             return !refused;
         }},
        {QStringLiteral("remove"),
         [](const QString& directory, quint64, QStringList& told) {
             db::DataControl DataInscriptions;
             const auto refused = registration::removePlayer(
                 DataInscriptions, db::databasePath(directory), 2, kLogged);
             if (refused)
                 told.append(*refused);
             return !refused;
         }},
        {QStringLiteral("settings"),
         [](const QString& directory, quint64, QStringList&) {
             db::DataControl DataParametres;
             settings::storeSettings(DataParametres, db::databasePath(directory), 5, 9);
             return true;
         }},
        {QStringLiteral("draw"),
         [](const QString& directory, quint64 seed, QStringList&) {
             db::DataControl DataTirage;
             const QString path = db::databasePath(directory);
             draw::RandomSource random([seed] { return seed; });
             QuietDrawControls controls;
             const int participants =
                 db::participants(registration::registrationCount(DataTirage, path));
             return draw::TableDraw(DataTirage, path, random, controls).run(participants) ==
                    draw::TableDraw::Outcome::Drawn;
         }},
        {QStringLiteral("coming_rounds"),
         [](const QString& directory, quint64 seed, QStringList& told) {
             db::DataControl DataArrivees;
             DataArrivees.DatabaseName = db::databasePath(directory);
             db::Connection& connection = DataArrivees.Database().connection();
             draw::RandomSource random([seed] { return seed; });
             // The rounds not scored yet drawn again (the last one of the files here).
             const int from = draw::readEvening(connection).firstOpen();
             const draw::Redraw redraw = draw::planRedraw(connection, from, random);
             // The window asks before replacing tables, then writes its copy.
             if (redraw.replacesTables &&
                 ui::MessageBox::question(QStringLiteral("Arrivées et départs"),
                                          QStringLiteral("Continuer ?")) !=
                     ui::MessageBox::Answer::Yes)
                 return false;
             if (redraw.replacesTables &&
                 !ui::backUpFirst(connection, directory, QStringLiteral("avant nouvelles tables"),
                                  QStringLiteral("Arrivées et départs"))
                      .goOn)
                 return false;
             std::optional<draw::Refusal> refused = redraw.refusal;
             if (!refused)
                 refused = draw::writeRedraw(connection, redraw);
             if (refused)
                 told.append(refused->title + QStringLiteral(": ") + refused->text);
             return !refused;
         }},
        {QStringLiteral("scores"),
         [](const QString& directory, quint64, QStringList& told) {
             db::DataControl DataResultats;
             const QString path = db::databasePath(directory);
             const int last = settings::readSettings(DataResultats, path).manches.toInt();
             const QString code = QString::number(db::tableCode(last, 1));
             const results::Table table = results::lookUpTable(DataResultats, path, code);
             if (!reported(table.refusal, told))
                 return false;
             std::array<results::ScoreRow, results::kSeats> rows;
             const QString scores[] = {QStringLiteral("12"), QStringLiteral("-4,5"),
                                       QStringLiteral("-3"), QStringLiteral("-4,5")};
             for (int n = 0; n < table.players.size() && n < results::kSeats; ++n)
                 rows[n] = {QString::number(table.players[n].number), table.players[n].name,
                            scores[n]};
             return reported(results::storeScores(DataResultats, path, code, rows), told);
         }},
        {QStringLiteral("correct"),
         [](const QString& directory, quint64, QStringList& told) {
             db::DataControl DataResultats;
             const QString path = db::databasePath(directory);
             const QString code = QString::number(db::tableCode(1, 1));
             const results::Table table = results::lookUpTable(DataResultats, path, code);
             std::array<results::ScoreRow, results::kSeats> rows;
             const QString scores[] = {QStringLiteral("7"), QStringLiteral("-3"),
                                       QStringLiteral("-2"), QStringLiteral("-2")};
             for (int n = 0; n < table.players.size() && n < results::kSeats; ++n)
                 rows[n] = {QString::number(table.players[n].number), table.players[n].name,
                            scores[n]};
             return reported(results::correctScores(DataResultats, path, code, rows, kLogged),
                             told);
         }},
        {QStringLiteral("delete"),
         [](const QString& directory, quint64, QStringList& told) {
             db::DataControl DataResultats;
             return reported(results::deleteScores(DataResultats, db::databasePath(directory),
                                                   QString::number(db::tableCode(1, 1)), kLogged),
                             told);
         }},
        {QStringLiteral("restore"),
         [](const QString& directory, quint64, QStringList& told) {
             db::DataControl DataRestauration;
             DataRestauration.DatabaseName = db::databasePath(directory);
             // The window has asked already: going on without a copy keeps its default No.
             ui::MessageBox::Script unanswered;
             const backup::Restored restored = backup::restoreCopy(
                 DataRestauration.Database().connection(), directory, restoreSource(directory));
             for (const ui::MessageBox::Shown& box : unanswered.shown())
                 told.append(box.text);
             if (!restored.refusal.isEmpty())
                 told.append(restored.refusal);
             return restored.done;
         }},
        // The club's season, on a file that keeps an evening already.
        {QStringLiteral("season_import"),
         [](const QString& directory, quint64, QStringList&) {
             db::DataControl DataJoueurs;
             DataJoueurs.DatabaseName = db::databasePath(directory);
             return db::importPlayers(DataJoueurs.Database().connection(),
                                      {{QStringLiteral("ZOLA"), QStringLiteral("Émile")},
                                       {QStringLiteral("D'ALEMBERT"), QStringLiteral("Jean")}},
                                      kLogged) == 2;
         }},
        {QStringLiteral("season_remove"),
         [](const QString& directory, quint64, QStringList& told) {
             db::DataControl DataSoirees;
             DataSoirees.DatabaseName = db::databasePath(directory);
             const auto refused =
                 db::removeEvening(DataSoirees.Database().connection(), 1, kLogged);
             if (refused)
                 told.append(*refused);
             return !refused;
         }},
        {QStringLiteral("reset"),
         [](const QString& directory, quint64, QStringList&) {
             FakeShell shell(directory);
             db::DataControl DataReinit;
             // One moment for every run: the evening kept is the same each time.
             registration::reinitialiserBase(shell, DataReinit,
                                             QDateTime(QDate(2026, 12, 10), QTime(23, 30)));
             return true;
         }},
    };
    return actions;
}

QString restoreSource(const QString& programDirectory) {
    return programDirectory + QStringLiteral("Sauvegardes/copie à restaurer.dat");
}

bool inFrench(const QStringList& told) {
    static const QRegularExpression engine(
        QStringLiteral("\\b(disk|error|database|full|locked|malformed|constraint|INSERT|UPDATE|"
                       "DELETE|SELECT|RELEASE|SAVEPOINT|velmora)\\b"));
    for (const QString& text : told)
        if (engine.match(text).hasMatch())
            return false;
    return true;
}

Outcome run(const QString& action, const QString& programDirectory, quint64 seed) {
    const auto found = writingActions().find(action);
    if (found == writingActions().end())
        qFatal("no writing action named %s", qPrintable(action));
    ui::MessageBox::Script script;
    script.answer(ui::MessageBox::Answer::Yes);
    Outcome outcome;
    try {
        outcome.stored = (*found)(programDirectory, seed, outcome.told);
    } catch (const db::DbError& error) {
        // The window shows the failure's cause in a box.
        outcome.told.append(common::cause(error));
    }
    for (const ui::MessageBox::Shown& box : script.shown()) {
        outcome.told.append(box.title + QStringLiteral(": ") + box.text);
        // A question whose default is No (going on without a backup copy) takes that No.
        if (box.icon == ui::MessageBox::Icon::Critical ||
            box.buttons == ui::MessageBox::Buttons::NoYes)
            outcome.stored = false;
    }
    return outcome;
}

} // namespace writing
