#include "Settings.h"

#include "common/Decimal.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/DbError.h"
#include "db/Tournament.h"

#include <QScopeGuard>

namespace settings {
namespace {

QString shown(const QVariant& value) {
    if (value.isNull())
        return QString();
    bool whole = false;
    const qlonglong number = value.toLongLong(&whole);
    if (whole && value.toDouble() == double(number))
        return QString::number(number);
    return value.toString();
}

} // namespace

std::optional<int> wholeNumber(const QString& text) {
    const std::optional<qint64> value = common::readDecimal(text, 0);
    if (!value)
        return std::nullopt;
    return int(*value);
}

Checked checkSettings(const QString& manches, const QString& parties) {
    using Field = Fault::Field;
    const auto refused = [](Field field, const QString& message) {
        return Checked{0, 0, Fault{field, message}};
    };
    if (manches.isEmpty())
        return refused(Field::Manches,
                       QStringLiteral("La saisie du nombre de manches est obligatoire !!!"));
    const std::optional<int> rounds = wholeNumber(manches);
    if (!rounds)
        return refused(Field::Manches,
                       QStringLiteral("Le nombre de manches doit être un nombre entier !!!"));
    if (*rounds > db::kMaxRounds)
        return refused(Field::Manches, QStringLiteral("7 manches maximum !!!"));
    if (parties.isEmpty())
        return refused(
            Field::Parties,
            QStringLiteral("La saisie du nombre de partie par manche est obligatoire !!!"));
    const std::optional<int> deals = wholeNumber(parties);
    if (!deals)
        return refused(
            Field::Parties,
            QStringLiteral("Le nombre de partie par manche doit être un nombre entier !!!"));
    if (*deals > kMaxParties)
        return refused(Field::Parties, QStringLiteral("15 parties maximum !!!"));
    return Checked{*rounds, *deals, std::nullopt};
}

Shown readSettings(db::DataControl& data, const QString& databasePath) {
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    db::RecordSet& row = data.Refresh(databasePath, QStringLiteral("Parametres"));
    if (row.Eof())
        return {};
    return {shown(row.Fields(QStringLiteral("Manches")).Value()),
            shown(row.Fields(QStringLiteral("Parties")).Value())};
}

std::optional<Fault> checkScoredRounds(db::DataControl& data, const QString& databasePath,
                                       int manches) {
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    data.DatabaseName = databasePath;
    auto read =
        data.Database().connection().prepare(QStringLiteral("SELECT max(Manche) FROM Resultats"));
    const int scored = read->step() ? static_cast<int>(read->columnInt64(0)) : 0;
    if (scored == 0 || manches >= scored)
        return std::nullopt;
    return Fault{Fault::Field::Manches,
                 QStringLiteral("La manche %1 a déjà des résultats : le nombre de manches ne peut "
                                "pas être inférieur à %1 !!!")
                     .arg(scored)};
}

void storeSettings(db::DataControl& data, const QString& databasePath, int manches, int parties) {
    // Two typed characters hold no less than -9; the window never passes more than the limits.
    if (manches < -9 || manches > db::kMaxRounds || parties < -9 || parties > kMaxParties)
        throw db::DbError(QStringLiteral("%1 manches et %2 parties par manche ne peuvent pas être "
                                         "enregistrées (au plus %3 manches et %4 parties).")
                              .arg(manches)
                              .arg(parties)
                              .arg(db::kMaxRounds)
                              .arg(kMaxParties));
    const auto closed = qScopeGuard([&data] { data.Database().Close(); });
    db::RecordSet& row = data.Refresh(databasePath, QStringLiteral("Parametres"));
    // A file that lost its row of settings gets it back rather than refusing every change.
    if (row.Eof())
        row.AddNew();
    else
        row.Edit();
    row.Fields(QStringLiteral("Manches")).setValue(manches);
    row.Fields(QStringLiteral("Parties")).setValue(parties);
    row.Update();
}

} // namespace settings
