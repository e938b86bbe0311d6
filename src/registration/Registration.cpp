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
    data.DatabaseName = databasePath;
    data.RecordSource = QStringLiteral("Inscriptions");
    data.Parameters.clear();
    data.Refresh();
    db::RecordSet& players = data.Recordset();
    if (players.Eof() && players.Bof())
        return 0;
    players.MoveLast();
    return players.RecordCount();
}

void storePlayer(db::DataControl& data, const QString& databasePath, int number, const QString& nom,
                 const QString& prenom) {
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    data.DatabaseName = databasePath;
    data.RecordSource = QStringLiteral("Inscriptions");
    data.Parameters.clear();
    data.Refresh();
    db::RecordSet& players = data.Recordset();
    players.AddNew();
    players.Fields(QStringLiteral("Nom")).setValue(nom);
    players.Fields(QStringLiteral("Prenom")).setValue(prenom);
    players.Fields(QStringLiteral("CodeIndividuel")).setValue(number);
    players.Fields(QStringLiteral("Position")).setValue(0);
    for (int round = 1; round <= 7; ++round)
        players.Fields(db::roundField(round)).setValue(0);
    players.Update();
}

} // namespace registration
