#pragma once
// Numbers in the files the program writes (parameter files, recording files): plain 8-bit text
// in every locale. Desktop locales write U+2212 as the minus sign (sv_SE, fi_FI, nb_NO, ...) or
// digits of another script (ar_EG, fa_IR), which 8-bit readers and the controller's own tools
// take for something else; so every writer goes through fileNumber().

#include <QChar>
#include <QLocale>
#include <QString>

#include <optional>

namespace zuvo {

// The system's decimal separator when it is the point or the comma; a point otherwise (a locale
// whose separator is not plain 8-bit text, such as ar_EG's U+066B).
QChar fileDecimalSeparator(const QLocale& locale = QLocale());

// `value` with ASCII digits, the ASCII minus, `separator` and no group separators. With
// `decimals` < 0 the shortest form with up to 15 significant digits (100 as "100", 0.1 as "0,1"
// with a comma); otherwise fixed with that many decimals. Never "-0"; a value that is not finite
// is written as 0.
QString fileNumber(double value, QChar separator, int decimals = -1);

// A number from a file: optional blanks, an optional sign (the ASCII minus, or U+2212 as older
// versions wrote it), ASCII digits with a decimal point or comma, an optional exponent; no group
// separators, nothing that is not finite. Either separator is taken whatever the system's is.
std::optional<double> parseFileNumber(const QString& text);

} // namespace zuvo
