#include "params/EditorText.h"

#include <QLocale>

#include <cmath>

namespace zuvo {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isDecimalMark(QChar c, QChar decimalSeparator) {
    return c == QLatin1Char(',') || c == QLatin1Char('.') || c == decimalSeparator;
}

} // namespace

std::optional<double> editorDecimal(const QString& text) {
    const QString plain = text.trimmed();
    if (plain.isEmpty()) {
        return 0.0;
    }
    const QChar separator = systemDecimalSeparator();
    qsizetype i = plain.front() == QLatin1Char('-') ? 1 : 0;
    QString number = i == 1 ? QStringLiteral("-") : QString();
    int digits = 0;
    int decimals = -1; // none before the mark
    for (; i < plain.size(); ++i) {
        const QChar c = plain[i];
        if (isAsciiDigit(c)) {
            ++digits;
            // Cut in decimal, not in binary: 0.29 must stay 0.29.
            if (decimals < 2) {
                number += c;
            }
            if (decimals >= 0) {
                ++decimals;
            }
        } else if (decimals < 0 && isDecimalMark(c, separator)) {
            decimals = 0;
            number += QLatin1Char('.');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value == 0.0 ? 0.0 : value; // no -0
}

std::optional<std::int64_t> editorInteger(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

QChar systemDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar('.') : point.front();
}

QString oneDecimalText(double value, QChar decimalSeparator) {
    QString text = QString::number(value, 'f', 1);
    if (text == QStringLiteral("-0.0")) {
        text = QStringLiteral("0.0");
    }
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

QString rushInDelayText(int tenths, int significantDigits, QChar decimalSeparator) {
    const double seconds = tenths * 0.1;
    const double rounded = QString::number(seconds, 'g', significantDigits).toDouble();
    return oneDecimalText(rounded, decimalSeparator) + QLatin1Char('s');
}

} // namespace zuvo
