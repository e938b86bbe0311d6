#include "TableKeys.h"

#include "db/KeyStore.h"
#include "db/Transaction.h"

#include <QRandomGenerator>

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
    return db::addMissingTableKeys(connection, newKey);
}

QString storedKey(db::Connection& connection, int tableCode) {
    return db::tableKey(connection, tableCode);
}

std::variant<QString, results::Refusal> giveNewKey(db::Connection& connection,
                                                   const QString& typedCode) {
    const QString code = typedCode.trimmed();
    if (std::optional<results::Refusal> refused = results::checkCode(code))
        return *refused;
    const QString key = newKey();
    // A table drawn since the keys were made gets one first; a table that still has none was
    // never drawn.
    db::Transaction given(connection);
    makeMissingKeys(connection);
    if (!db::replaceTableKey(connection, code.toInt(), key))
        return results::Refusal{
            QString(),
            QStringLiteral("La table %1 n'est pas tirée : elle n'a pas de clé à changer.\n\n"
                           "Vérifiez le code de la table (4 chiffres, en haut de sa grille).")
                .arg(code)};
    given.commit();
    return key;
}

QString typedKey(const QString& typed) {
    QString key;
    for (const QChar c : typed)
        if (!c.isSpace())
            key.append(c.toUpper());
    return key;
}

} // namespace tables
