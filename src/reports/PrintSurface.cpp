#include "PrintSurface.h"

#include "common/Decimal.h"

namespace reports {

QString PrintSurface::numberText(double number) {
    // Totals are sums of scores of at most four decimals: rounding there drops the binary
    // noise (12,499999999 prints 12,5).
    const QString text = common::numberText(number, 4);
    return (text.startsWith(u'-') ? text : u' ' + text) + u' ';
}

} // namespace reports
