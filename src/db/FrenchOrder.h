#pragma once

#include <QString>

namespace db {

// Order of names as a French reader expects it: letters first compared without accents or
// case (ÉMILE sits with EMILE, before FABRE; œ counts as OE), then accents (COTE before
// CÔTE), then case, then the exact characters, so that only identical texts compare equal.
int compareFrench(QStringView a, QStringView b);

// Same order on UTF-8 bytes, as the engine hands them over.
int compareFrenchUtf8(const char* a, int aLength, const char* b, int bLength);

} // namespace db
