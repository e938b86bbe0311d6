#include "FrenchOrder.h"

#include <QCollator>
#include <QStringDecoder>
#include <QVarLengthArray>

namespace db {
namespace {

const QCollator& frenchCollator() {
    static const QCollator collator(QLocale(QLocale::French, QLocale::France));
    return collator;
}

int sign(int value) {
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// The engine compares names thousands of times in one sort: decode on the stack.
using Utf16 = QVarLengthArray<QChar, 64>;

QStringView decoded(const char* text, int length, Utf16& buffer) {
    buffer.resize(length); // never more UTF-16 units than UTF-8 bytes
    // Most names are plain ASCII: widened as they are, without a decoder.
    int ascii = 0;
    for (; ascii < length && static_cast<unsigned char>(text[ascii]) < 0x80; ++ascii)
        buffer[ascii] = QChar(char16_t(text[ascii]));
    if (ascii == length)
        return QStringView(buffer.data(), length);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QChar* end = decoder.appendToBuffer(buffer.data(), QByteArrayView(text, length));
    return QStringView(buffer.data(), end - buffer.data());
}

} // namespace

int compareFrench(QStringView a, QStringView b) {
    const int order = frenchCollator().compare(a, b);
    if (order != 0)
        return sign(order);
    return sign(a.compare(b));
}

int compareFrenchUtf8(const char* a, int aLength, const char* b, int bLength) {
    Utf16 first;
    Utf16 second;
    return compareFrench(decoded(a, aLength, first), decoded(b, bLength, second));
}

} // namespace db
