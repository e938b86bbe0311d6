#include "PrintSurface.h"

#include "ui/Decimal.h"

#include <cmath>

namespace reports {

QString PrintSurface::numberText(double number) {
    // Totals are sums of scores of at most four decimals: rounding there drops the binary
    // noise (12,499999999 prints 12,5).
    const qint64 units = std::llround(number * 10000.0);
    const QString digits = ui::decimalText(units < 0 ? -units : units, 4);
    return (units < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits + u' ';
}

} // namespace reports
