#pragma once
// Numbers in the files the program writes and reads (parameter files, backups, recording files):
// plain 8-bit text in every locale. Desktop locales write U+2212 as the minus sign (sv_SE, fi_FI,
// nb_NO, ...) or digits of another script (ar_EG, fa_IR), which 8-bit readers and the
// controller's own tools take for something else; so every writer goes through fileNumber().
//
// Reading is strict, so that a value in a file is used as it stands or not at all: blanks around
// it (as INI values are trimmed), one optional sign (ASCII '-' or '+', or U+2212, which older
// versions wrote), ASCII digits with at most one decimal mark, and nothing after the number. The
// mark is a point or a comma whatever the system's is, so files of either convention keep
// loading. No exponent, no inf or nan, no group separators, no digits of other scripts; a NUL
// anywhere refuses the value (a C string would end there).

#include <QChar>
#include <QLocale>
#include <QString>

#include <cstdint>
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

// A number with an optional decimal mark, as above; nothing when the text is no such number or
// its value is not finite.
std::optional<double> parseFileNumber(const QString& text);

// A whole number as above, without a decimal mark, within the 64-bit range; nothing otherwise.
std::optional<std::int64_t> parseFileInteger(const QString& text);

} // namespace zuvo
