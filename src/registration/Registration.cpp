#include "Registration.h"

#include "db/DataControl.h"
#include "db/Tournament.h"

#include <QScopeGuard>

namespace registration {

char32_t surnameKey(char32_t typed) {
    return QChar::toUpper(typed);
}

char32_t firstNameKey(char32_t typed, const QString& textBefore) {
    if (textBefore.isEmpty() || textBefore.endsWith(u' '))
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

} // namespace registration
