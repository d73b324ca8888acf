#include "report/ReportText.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zuvo {

QString reportDateTime(const QDateTime& time) {
    if (!time.isValid()) {
        return QStringLiteral("not known");
    }
    // The C locale keeps the digits ASCII and the pattern the same everywhere.
    const QString local = QLocale::c().toString(time, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return local +
           QString::asprintf(" UTC%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

QString wordDecimal(std::uint16_t value) {
    return QString::number(value);
}

QString wordHex(std::uint16_t value) {
    return QString::asprintf("0x%04X", static_cast<unsigned>(value));
}

QString fixedText(double value, int decimals) {
    QString text = QString::number(value, 'f', std::clamp(decimals, 0, 15));
    if (text.startsWith(QLatin1Char('-')) && std::all_of(text.begin() + 1, text.end(), [](QChar c) {
            return c == QLatin1Char('0') || c == QLatin1Char('.');
        })) {
        text.remove(0, 1);
    }
    return text;
}

QString printableText(const QString& text, int maxChars) {
    QString out;
    out.reserve(std::min<qsizetype>(text.size(), maxChars) + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (out.size() >= maxChars) {
            out += QChar(0x2026);
            break;
        }
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                   c == QChar::ParagraphSeparator) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    return out;
}

AxisTicks axisTicks(double low, double high, int maxTicks) {
    if (!std::isfinite(low) || !std::isfinite(high) || !std::isfinite(high - low)) {
        low = 0;
        high = 1;
    }
    if (high < low) {
        std::swap(low, high);
    }
    if (high - low <= 0) {
        // A flat trace still gets an axis around its value.
        low -= 1;
        high += 1;
    }
    maxTicks = std::max(maxTicks, 2);
    const double raw = (high - low) / (maxTicks - 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double ratio = raw / magnitude;
    const double nice = ratio <= 1 ? 1 : ratio <= 2 ? 2 : ratio <= 5 ? 5 : 10;
    const double step = nice * magnitude;

    AxisTicks ticks;
    ticks.decimals = std::clamp(-static_cast<int>(std::floor(std::log10(step) + 1e-9)), 0, 12);
    const double first = std::floor(low / step) * step;
    const double last = std::ceil(high / step) * step;
    // Far from zero the steps may not add up exactly; the count stays bounded all the same.
    const int count =
        std::clamp(static_cast<int>(std::lround((last - first) / step)), 1, 2 * maxTicks + 2);
    for (int i = 0; i <= count; ++i) {
        ticks.values.push_back(first + i * step);
    }
    return ticks;
}

} // namespace zuvo
