#pragma once
// Numbers as the editor pages' edits hold them and the texts the pages show.

#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

namespace zuvo {

// The value of a two-decimal number edit, cut (not rounded) to two decimals. Either the comma
// or the point is taken as the decimal mark, so a value typed with the other convention than the
// desktop's still means what it says. An empty edit, or text that is no number, reads as 0.
double editorNumber(const QString& text);

// The whole number of an integer edit (blanks around it ignored); nothing when it holds none.
std::optional<std::int64_t> editorInteger(const QString& text);

// The desktop's decimal separator, which the pages show numbers with.
QChar systemDecimalSeparator();

// A value with one decimal and `decimalSeparator`, no "-0.0".
QString oneDecimalText(double value, QChar decimalSeparator);

// A rush-in delay of `tenths` x 0.1 s as "1.5s": first rounded to `significantDigits`
// significant digits, then written with one decimal.
QString rushInDelayText(int tenths, int significantDigits, QChar decimalSeparator);

} // namespace zuvo
