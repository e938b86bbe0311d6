#include "TableKeys.h"

#include "db/Connection.h"
#include "db/Tournament.h"
#include "db/Transaction.h"

#include <QList>
#include <QRandomGenerator>
#include <QStringList>

namespace tables {

QString newKey() {
    constexpr quint32 letters = sizeof(kKeyAlphabet) - 1;
    QString key;
    key.reserve(kKeyLength);
    for (int i = 0; i < kKeyLength; ++i)
        key.append(QLatin1Char(kKeyAlphabet[QRandomGenerator::system()->bounded(letters)]));
    return key;
}

int makeMissingKeys(db::Connection& connection) {
    // Every table code of every round's field, once.
    QStringList fields;
    for (int round = 1; round <= db::kMaxRounds; ++round)
        fields.append(
            QStringLiteral("SELECT %1 AS Code FROM Inscriptions").arg(db::roundField(round)));
    QList<qint64> codes;
    {
        auto missing = connection.prepare(
            QStringLiteral("SELECT Code FROM (%1) WHERE Code BETWEEN 1001 AND 7999 AND Code NOT "
                           "IN (SELECT CodeEquipe FROM ClesTables WHERE CodeEquipe IS NOT NULL) "
                           "ORDER BY Code")
                .arg(fields.join(QStringLiteral(" UNION "))));
        while (missing->step())
            codes.append(missing->columnInt64(0));
    }
    if (codes.isEmpty())
        return 0;
    db::Transaction keys(connection);
    auto add = connection.prepare(
        QStringLiteral("INSERT INTO ClesTables (CodeEquipe, Cle) VALUES (?1, ?2)"));
    for (const qint64 code : codes) {
        add->bind(1, code);
        add->bind(2, newKey());
        add->step();
        add->reset();
    }
    add.reset();
    keys.commit();
    return int(codes.size());
}

QString storedKey(db::Connection& connection, int tableCode) {
    auto key =
        connection.prepare(QStringLiteral("SELECT Cle FROM ClesTables WHERE CodeEquipe = ?1"));
    key->bind(1, tableCode);
    return key->step() ? key->column(0).toString() : QString();
}

QString typedKey(const QString& typed) {
    QString key;
    for (const QChar c : typed)
        if (!c.isSpace())
            key.append(c.toUpper());
    return key;
}

} // namespace tables
