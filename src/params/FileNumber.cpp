#include "params/FileNumber.h"

#include <cmath>

namespace zuvo {

namespace {

constexpr char16_t kUnicodeMinus = 0x2212;

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

QChar fileDecimalSeparator(const QLocale& locale) {
    const QString point = locale.decimalPoint();
    if (point == QStringLiteral(",")) {
        return QLatin1Char(',');
    }
    return QLatin1Char('.');
}

QString fileNumber(double value, QChar separator, int decimals) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    // QString::number is locale-free: ASCII digits, '-' and '.', no groups.
    QString text =
        decimals < 0 ? QString::number(value, 'g', 15) : QString::number(value, 'f', decimals);
    // A value that rounds to zero has no sign ("-0", "-0.00").
    if (text.startsWith(QLatin1Char('-')) && QStringView(text).mid(1).toDouble() == 0.0) {
        text.remove(0, 1);
    }
    text.replace(QLatin1Char('.'), separator);
    return text;
}

std::optional<double> parseFileNumber(const QString& text) {
    QString plain = text.trimmed();
    if (!plain.isEmpty() && plain.front() == QChar(kUnicodeMinus)) {
        plain[0] = QLatin1Char('-');
    }
    // Sign, digits with at most one separator, then an optional exponent: checked by hand, so
    // that nothing a locale would accept (groups, other digits) slips through.
    qsizetype i = 0;
    if (i < plain.size() && (plain[i] == QLatin1Char('-') || plain[i] == QLatin1Char('+'))) {
        ++i;
    }
    int digits = 0;
    int separators = 0;
    for (; i < plain.size(); ++i) {
        const QChar c = plain[i];
        if (isAsciiDigit(c)) {
            ++digits;
        } else if (c == QLatin1Char('.') || c == QLatin1Char(',')) {
            ++separators;
            plain[i] = QLatin1Char('.');
        } else {
            break;
        }
    }
    if (digits == 0 || separators > 1) {
        return std::nullopt;
    }
    if (i < plain.size() && (plain[i] == QLatin1Char('e') || plain[i] == QLatin1Char('E'))) {
        ++i;
        if (i < plain.size() && (plain[i] == QLatin1Char('-') || plain[i] == QLatin1Char('+'))) {
            ++i;
        }
        int exponentDigits = 0;
        for (; i < plain.size() && isAsciiDigit(plain[i]); ++i) {
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != plain.size()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace zuvo
