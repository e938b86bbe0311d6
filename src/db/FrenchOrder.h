#pragma once

#include <QString>

namespace db {

// Order of names as a French reader expects it, from the French collation of ICU (through
// QCollator): letters first, compared without accents or case (ÉMILE sits with EMILE, before
// FABRE; Œ counts as OE), then accents, then case. Texts the collation takes as equal but
// that differ (É typed as E and a separate accent) keep one fixed order, so that only
// identical texts compare equal.
int compareFrench(QStringView a, QStringView b);

// Same order on UTF-8 bytes, as the engine hands them over.
int compareFrenchUtf8(const char* a, int aLength, const char* b, int bLength);

} // namespace db
