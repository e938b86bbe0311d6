#pragma once

#include <QString>
#include <optional>

namespace common {

// A number as a French organiser types it: blanks around it, an optional sign, a decimal
// comma (or a point). Read exactly, in units of 10^-decimals; a digit finer than that is
// refused unless it is 0. No value for a text that is not a number ("a", "-", ",", "1 2",
// "1e5") or whose whole part passes a billion.
std::optional<qint64> readDecimal(const QString& text, int decimals);
// A value in units of 10^-decimals as plain decimal text with a comma: "5", "-0,1", "12,125".
QString decimalText(qint64 value, int decimals);
// A stored number as plain decimal text with a comma, rounded to the decimals ("12,5" for
// 12.4999999999, the binary noise of a sum dropped). Beyond what any score or total can be
// (only a file edited by hand holds one), the value as stored, never overflowing: "1e20" gives
// "100000000000000000000", infinity "∞".
QString numberText(double value, int decimals);

} // namespace common
