#pragma once
// Number formats in the picture notation of the gauges ("##0.0°;-##0.0°", "###0", "0;-0").

#include <QChar>
#include <QString>

namespace zuvo {

// A pattern holds up to three sections separated by ';': for positive values, for negative
// values and for zero. Inside a section, '0' is a digit that is always shown, '#' one shown only
// when significant, '.' the decimal point (written as `decimalPoint`); every other character is
// literal text. A negative value formatted by its own section is written without a minus sign of
// its own (the section carries it); without one it gets a leading '-'. Values are rounded half
// away from zero to the decimals of the section; a value that rounds to zero uses the zero
// section when there is one.
QString formatFloat(const QString& pattern, double value, QChar decimalPoint = QChar('.'));

} // namespace zuvo
