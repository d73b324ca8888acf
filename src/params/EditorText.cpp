#include "params/EditorText.h"

#include <QLocale>

#include <cmath>

namespace zuvo {

double editorNumber(const QString& text) {
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return 0.0;
    }
    // Cut in decimal, not in binary: 0.29 is 0.28999... as a double and must stay 0.29.
    QString decimal = QString::number(value, 'f', 9);
    decimal.chop(7);
    return decimal.toDouble();
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
