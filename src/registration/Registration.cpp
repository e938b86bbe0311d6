#include "Registration.h"

#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/PlayerKeys.h"
#include "db/Tournament.h"
#include "db/Transaction.h"

#include <QCollator>
#include <QScopeGuard>

namespace registration {

char32_t surnameKey(char32_t typed) {
    return QChar::toUpper(typed);
}

char32_t firstNameKey(char32_t typed, const QString& textBefore) {
    if (textBefore.isEmpty() || textBefore.endsWith(u' ') || textBefore.endsWith(u'-'))
        return QChar::toUpper(typed);
    return typed;
}

int registrationCount(db::DataControl& data, const QString& databasePath) {
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    db::RecordSet& registered = data.Refresh(databasePath, QStringLiteral("Inscriptions"));
    if (registered.Eof() && registered.Bof())
        return 0;
    registered.MoveLast();
    return registered.RecordCount();
}

int nextPlayerNumber(db::DataControl& data, const QString& databasePath) {
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    db::RecordSet& highest = data.Refresh(
        databasePath, QStringLiteral("Select Max(CodeIndividuel) AS Dernier from Inscriptions"));
    return highest.Fields(QStringLiteral("Dernier")).Value().toInt() + 1;
}

void storePlayer(db::DataControl& data, const QString& databasePath, int number, const QString& nom,
                 const QString& prenom) {
    // The window never asks for these; another caller gets the error path, not a row.
    if (number < 1)
        throw db::DbError(QStringLiteral("le numéro de joueur %1 n'est pas valable.").arg(number));
    if (nom.isEmpty() || prenom.isEmpty() || nom.size() > 25 || prenom.size() > 25)
        throw db::DbError(QStringLiteral("le nom et le prénom s'écrivent chacun en 1 à 25 "
                                         "caractères."));
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    db::RecordSet& row = data.Refresh(databasePath, QStringLiteral("Inscriptions"));
    row.AddNew();
    row.Fields(QStringLiteral("Nom")).setValue(nom);
    row.Fields(QStringLiteral("Prenom")).setValue(prenom);
    row.Fields(QStringLiteral("CodeIndividuel")).setValue(number);
    row.Fields(QStringLiteral("Position")).setValue(0);
    for (int round = 1; round <= db::kMaxRounds; ++round)
        row.Fields(db::roundField(round)).setValue(0);
    row.Update();
}

QList<Registered> registeredPlayers(db::DataControl& data, const QString& databasePath) {
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    data.DatabaseName = databasePath;
    QList<Registered> players;
    auto rows = data.Database().connection().prepare(QStringLiteral(
        "SELECT CodeIndividuel, Nom, Prenom FROM Inscriptions ORDER BY CodeIndividuel, rowid"));
    while (rows->step())
        players.append(
            {int(rows->columnInt64(0)), rows->column(1).toString(), rows->column(2).toString()});
    return players;
}

namespace {

// The letters of a name as the French order weighs them first: without accents (Œ counts as
// OE in the collation below) and single blanks between words.
QString letters(const QString& name) {
    const QString split = name.simplified().normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(split.size());
    for (const QChar c : split)
        if (c.category() != QChar::Mark_NonSpacing)
            kept.append(c);
    return kept;
}

bool sameName(const QString& a, const QString& b) {
    static const QCollator french = [] {
        QCollator collator(QLocale(QLocale::French, QLocale::France));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        return collator;
    }();
    return french.compare(letters(a), letters(b)) == 0;
}

} // namespace

std::optional<Registered> sameNames(db::DataControl& data, const QString& databasePath,
                                    const QString& nom, const QString& prenom, int except) {
    for (const Registered& player : registeredPlayers(data, databasePath))
        if (player.number != except && sameName(player.nom, nom) && sameName(player.prenom, prenom))
            return player;
    return std::nullopt;
}

QString secondRegistrationQuestion(const Registered& registered) {
    return QStringLiteral("%1 %2 est déjà inscrit sous le n° %3. L'inscrire une seconde fois ?")
        .arg(registered.nom, registered.prenom)
        .arg(registered.number);
}

namespace {

constexpr int kNameLength = 25; // what the fields and the file hold
const QString kMoment = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The names the player holds now; none when nobody holds the number.
std::optional<std::pair<QString, QString>> namesOf(db::Connection& connection, int number) {
    auto names = connection.prepare(
        QStringLiteral("SELECT Nom, Prenom FROM Inscriptions WHERE CodeIndividuel = ?1"));
    names->bind(1, number);
    if (!names->step())
        return std::nullopt;
    return std::make_pair(names->column(0).toString(), names->column(1).toString());
}

QString notRegistered(int number) {
    return QStringLiteral("Aucun joueur n'est inscrit sous le numéro %1 !!!").arg(number);
}

void log(db::Connection& connection, const QDateTime& when, const QString& operation, int number,
         const std::pair<QString, QString>& before, const QVariant& nom, const QVariant& prenom) {
    connection.executeNative(
        QStringLiteral("INSERT INTO CorrectionsInscriptions VALUES (?1, ?2, "
                       "?3, ?4, ?5, ?6, ?7)"),
        {when.toString(kMoment), operation, number, before.first, before.second, nom, prenom});
}

} // namespace

std::optional<QString> renamePlayer(db::DataControl& data, const QString& databasePath, int number,
                                    const QString& nom, const QString& prenom,
                                    const QDateTime& when) {
    if (nom.isEmpty())
        return QStringLiteral("La saisie du nom est obligatoire !!!");
    if (prenom.isEmpty())
        return QStringLiteral("La saisie du prénom est obligatoire !!!");
    if (nom.size() > kNameLength || prenom.size() > kNameLength)
        return QStringLiteral("Le nom et le prénom s'écrivent chacun en %1 caractères au plus !!!")
            .arg(kNameLength);
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    data.DatabaseName = databasePath;
    db::Connection& connection = data.Database().connection();
    db::Transaction rename(connection);
    const auto before = namesOf(connection, number);
    if (!before)
        return notRegistered(number);
    if (before->first == nom && before->second == prenom)
        return std::nullopt;
    connection.executeNative(QStringLiteral("UPDATE Inscriptions SET Nom = ?1, Prenom = ?2 WHERE "
                                            "CodeIndividuel = ?3"),
                             {nom, prenom, number});
    log(connection, when, QStringLiteral("Correction"), number, *before, nom, prenom);
    rename.commit();
    return std::nullopt;
}

std::optional<QString> removePlayer(db::DataControl& data, const QString& databasePath, int number,
                                    const QDateTime& when) {
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    data.DatabaseName = databasePath;
    db::Connection& connection = data.Database().connection();
    db::Transaction removal(connection);
    const auto before = namesOf(connection, number);
    if (!before)
        return notRegistered(number);
    // Drawn, his table would be left with three players and his seat empty in every round.
    if (db::drawMade(connection))
        return QStringLiteral("Le joueur n° %1 ne peut plus être retiré : les tables sont déjà "
                              "constituées !!!\n\nSon nom peut encore être corrigé.")
            .arg(number);
    connection.executeNative(QStringLiteral("DELETE FROM Inscriptions WHERE CodeIndividuel = ?1"),
                             {number});
    db::deletePlayerKey(connection, number); // his number goes to the next one registered
    log(connection, when, QStringLiteral("Suppression"), number, *before, QVariant(), QVariant());
    removal.commit();
    return std::nullopt;
}

} // namespace registration
