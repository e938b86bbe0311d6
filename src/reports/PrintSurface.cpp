#include "PrintSurface.h"

#include "ui/Decimal.h"

#include <QLocale>
#include <cmath>

namespace reports {

QString PrintSurface::numberText(double number) {
    const QString sign = number < 0 ? QStringLiteral("-") : QStringLiteral(" ");
    // Beyond any score or total (only a file edited by hand holds one), the value as stored, in
    // plain decimal: in ten-thousandths it would not fit a 64-bit count.
    if (!std::isfinite(number))
        return sign + QStringLiteral("∞ ");
    if (std::fabs(number) >= 1e14)
        return sign +
               QString::number(std::fabs(number), 'f', QLocale::FloatingPointShortest)
                   .replace(u'.', u',') +
               u' ';
    // Totals are sums of scores of at most four decimals: rounding there drops the binary
    // noise (12,499999999 prints 12,5).
    const qint64 units = std::llround(number * 10000.0);
    const QString digits = ui::decimalText(units < 0 ? -units : units, 4);
    return (units < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits + u' ';
}

} // namespace reports
