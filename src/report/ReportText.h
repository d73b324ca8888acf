#pragma once
// The texts a report prints that are made from numbers: always ASCII digits and minus, whatever
// the locale, so a report reads the same on every machine. Also the cleaning of texts that come
// from the controller or the user before they are painted.

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

namespace zuvo {

// "2024-05-14 09:31:05 UTC+02:00"; "not known" when the time is invalid.
QString reportDateTime(const QDateTime& time);

// A word's value in decimal and as "0x" with four upper-case hex digits.
QString wordDecimal(std::uint16_t value);
QString wordHex(std::uint16_t value);

// `value` with `decimals` places after a point; never "-0".
QString fixedText(double value, int decimals);

// Control characters become blanks, broken surrogates U+FFFD, and a text longer than `maxChars`
// is cut with an ellipsis: a stray byte from the line can neither break the layout nor hide text.
QString printableText(const QString& text, int maxChars = 400);

// Ticks of a plot axis: round steps (1, 2 or 5 times a power of ten) that cover [low, high], the
// first at or below low and the last at or above high, at most about `maxTicks` of them.
struct AxisTicks {
    std::vector<double> values;
    int decimals = 0; // places the labels need
};
AxisTicks axisTicks(double low, double high, int maxTicks);

} // namespace zuvo
