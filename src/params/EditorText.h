#pragma once
// Numbers as the editor pages' edits hold them and the texts the pages show.

#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

namespace zuvo {

// The value of a two-decimal number edit, cut (not rounded) to two decimals: an optional minus,
// digits and one decimal mark (the comma, the point or the desktop's separator, so a value put in
// with the other convention still means what it says). An empty edit reads as 0; anything else
// ("12a", "-", "1e5") is no value at all, never 0 in place of a typo.
std::optional<double> editorDecimal(const QString& text);

// The whole number of an integer edit (blanks around it ignored); nothing when it holds none.
std::optional<std::int64_t> editorInteger(const QString& text);

// The desktop's decimal separator, which the pages show numbers with.
QChar systemDecimalSeparator();

// A value with one decimal and `decimalSeparator`, no "-0.0".
QString oneDecimalText(double value, QChar decimalSeparator);

// Significant digits of the rush-in delays as the thrust page shows them: the retract label
// keeps up to 3, the extend label only 1.
inline constexpr int RushInRetractDigits = 3;
inline constexpr int RushInExtendDigits = 1;

// A rush-in delay of `tenths` x 0.1 s as "1.5s": first rounded to `significantDigits`
// significant digits, then written with one decimal.
QString rushInDelayText(int tenths, int significantDigits, QChar decimalSeparator);

} // namespace zuvo
