#include "Decimal.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace common {
namespace {

// decimals from 0 to 9: a value in those units of a whole part up to a billion fits 64 bits.
qint64 power10(int decimals) {
    decimals = std::clamp(decimals, 0, 9);
    qint64 unit = 1;
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    return unit;
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<qint64> readDecimal(const QString& text, int decimals) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    qint64 whole = 0;
    int digits = 0;
    for (; i < t.size() && isDigit(t[i]); ++i, ++digits) {
        whole = whole * 10 + (t[i].unicode() - u'0');
        if (whole > 1'000'000'000)
            return std::nullopt;
    }
    qint64 value = whole * power10(decimals);
    if (i < t.size() && (t[i] == u',' || t[i] == u'.')) {
        qint64 unit = power10(decimals);
        for (++i; i < t.size() && isDigit(t[i]); ++i, ++digits) {
            unit /= 10;
            if (unit == 0 && t[i] != u'0')
                return std::nullopt; // finer than the number can be
            value += unit * (t[i].unicode() - u'0');
        }
    }
    if (i != t.size() || digits == 0)
        return std::nullopt;
    return negative ? -value : value;
}

QString decimalText(qint64 value, int decimals) {
    const qint64 unit = power10(decimals);
    const qint64 magnitude = value < 0 ? -value : value;
    QString text = QString::number(magnitude / unit);
    if (const qint64 fraction = magnitude % unit) {
        QString places = QStringLiteral("%1").arg(fraction, decimals, 10, QLatin1Char('0'));
        while (places.endsWith(u'0'))
            places.chop(1);
        text += u',' + places;
    }
    return value < 0 ? u'-' + text : text;
}

QString numberText(double value, int decimals) {
    if (std::isnan(value)) // the engine stores none; an empty text rather than a wrong one
        return QString();
    if (!std::isfinite(value))
        return value < 0 ? QStringLiteral("-∞") : QStringLiteral("∞");
    // Counted in units of 10^-decimals, it must stay well inside 64 bits.
    if (std::fabs(value) * double(power10(decimals)) >= 1e18)
        return QString::number(value, 'f', QLocale::FloatingPointShortest).replace(u'.', u',');
    return decimalText(std::llround(value * double(power10(decimals))), decimals);
}

} // namespace common
