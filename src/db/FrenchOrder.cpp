#include "FrenchOrder.h"

#include <cstring>

namespace db {
namespace {

// The letters of a text without accents, in capitals, ligatures spelt out.
QString baseLetters(QStringView s) {
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        switch (c.unicode()) {
        case u'Œ':
        case u'œ':
            out += QStringLiteral("OE");
            continue;
        case u'Æ':
        case u'æ':
            out += QStringLiteral("AE");
            continue;
        case u'ß':
            out += QStringLiteral("SS");
            continue;
        // Letters with a stroke have no decomposition to read their base letter from.
        case u'Ø':
        case u'ø':
            out += u'O';
            continue;
        case u'Ł':
        case u'ł':
            out += u'L';
            continue;
        case u'Đ':
        case u'đ':
            out += u'D';
            continue;
        default:
            break;
        }
        if (c.decompositionTag() == QChar::Canonical) {
            // The first character of a canonical decomposition is the base letter.
            const QString parts = c.decomposition();
            const QChar base = parts.at(0);
            if (base.decompositionTag() == QChar::Canonical)
                out += base.decomposition().at(0).toUpper();
            else
                out += base.toUpper();
        } else if (c.category() == QChar::Mark_NonSpacing) {
            continue; // a combining accent typed on its own
        } else {
            out += c.toUpper();
        }
    }
    return out;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

int compareAscii(const char* a, int an, const char* b, int bn) {
    const int n = an < bn ? an : bn;
    for (int i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(a[i]);
        int cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'a' && ca <= 'z')
            ca -= 'a' - 'A';
        if (cb >= 'a' && cb <= 'z')
            cb -= 'a' - 'A';
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (an != bn)
        return an < bn ? -1 : 1;
    // Same letters: capitals before small letters, then the exact bytes.
    const int exact = std::memcmp(a, b, static_cast<size_t>(n));
    return sign(exact);
}

bool isAscii(const char* s, int n) {
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    return true;
}

} // namespace

int compareFrench(QStringView a, QStringView b) {
    if (const int c = baseLetters(a).compare(baseLetters(b)))
        return sign(c);
    if (const int c = a.compare(b, Qt::CaseInsensitive))
        return sign(c);
    return sign(a.compare(b, Qt::CaseSensitive));
}

int compareFrenchUtf8(const char* a, int aLength, const char* b, int bLength) {
    // Names are mostly plain capitals: skip the Unicode work for them.
    if (isAscii(a, aLength) && isAscii(b, bLength))
        return compareAscii(a, aLength, b, bLength);
    return compareFrench(QString::fromUtf8(a, aLength), QString::fromUtf8(b, bLength));
}

} // namespace db
