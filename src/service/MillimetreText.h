#pragma once
// Millimetres as the position readout shows them.

#include <QString>

namespace zuvo {

// Fixed point with two decimals after rounding to six significant digits, `decimalSeparator`
// between, no group separators and no "-0.00". The readout and the memory label use this one
// format, so that equal positions give equal texts.
QString millimetreText(double mm, QChar decimalSeparator);

} // namespace zuvo
