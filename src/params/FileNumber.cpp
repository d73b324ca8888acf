#include "params/FileNumber.h"

#include <cmath>
#include <limits>

namespace zuvo {

namespace {

constexpr char16_t kUnicodeMinus = 0x2212;

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The blanks an INI value is trimmed of (QByteArray::trimmed), and no others: a no-break space
// or another script's blank is part of the value.
bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r'));
}

// A number as the files hold it, taken apart.
struct Scanned {
    bool negative = false;
    QString digits; // ASCII digits, '.' where the file has its decimal mark
    bool hasMark = false;
};

std::optional<Scanned> scan(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    Scanned number;
    qsizetype i = begin;
    if (i < end) {
        const QChar sign = text[i];
        if (sign == QLatin1Char('-') || sign == QChar(kUnicodeMinus)) {
            number.negative = true;
            ++i;
        } else if (sign == QLatin1Char('+')) {
            ++i;
        }
    }
    int digitCount = 0;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            ++digitCount;
            number.digits += c;
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !number.hasMark) {
            number.hasMark = true;
            number.digits += QLatin1Char('.');
        } else {
            return std::nullopt; // a second mark, an exponent, a NUL, anything else
        }
    }
    if (digitCount == 0) {
        return std::nullopt;
    }
    return number;
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
    const std::optional<Scanned> number = scan(text);
    if (!number) {
        return std::nullopt;
    }
    bool ok = false;
    const double magnitude = number->digits.toDouble(&ok); // ASCII digits and '.': locale-free
    if (!ok || !std::isfinite(magnitude)) {
        return std::nullopt;
    }
    return number->negative && magnitude != 0.0 ? -magnitude : magnitude;
}

std::optional<std::int64_t> parseFileInteger(const QString& text) {
    const std::optional<Scanned> number = scan(text);
    if (!number || number->hasMark) {
        return std::nullopt;
    }
    // Accumulated toward the negative end, which has room for the whole range.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (const QChar c : number->digits) {
        const int digit = c.unicode() - '0';
        if (value < (lowest + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!number->negative) {
        if (value == lowest) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

} // namespace zuvo
