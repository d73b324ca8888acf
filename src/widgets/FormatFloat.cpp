#include "widgets/FormatFloat.h"

#include <QStringList>
#include <cmath>

namespace zuvo {

namespace {

bool isPictureChar(QChar c) {
    return c == '0' || c == '#' || c == '.';
}

struct Picture {
    QString prefix;
    QString suffix;
    int minIntDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool hasDigits = false;
};

// Splits one section into its literal text and the digit picture between.
Picture parseSection(const QString& section) {
    Picture p;
    int start = 0;
    while (start < section.size() && !isPictureChar(section[start])) {
        ++start;
    }
    int end = start;
    while (end < section.size() && isPictureChar(section[end])) {
        ++end;
    }
    p.hasDigits = end > start;
    p.prefix = section.left(start);
    p.suffix = section.mid(end);
    bool afterPoint = false;
    for (int i = start; i < end; ++i) {
        const QChar c = section[i];
        if (c == '.') {
            afterPoint = true;
        } else if (afterPoint) {
            ++p.maxDecimals;
            if (c == '0') {
                p.minDecimals = p.maxDecimals;
            }
        } else if (c == '0') {
            ++p.minIntDigits;
        }
    }
    return p;
}

double roundTo(double magnitude, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(magnitude * scale) / scale;
}

QString formatMagnitude(const Picture& p, double magnitude, QChar decimalPoint) {
    if (!p.hasDigits) {
        return p.prefix; // a section of plain text, such as a word for zero
    }
    QString digits = QString::number(magnitude, 'f', p.maxDecimals);
    QString intPart = digits.section('.', 0, 0);
    QString fraction = p.maxDecimals > 0 ? digits.section('.', 1, 1) : QString();
    while (fraction.size() > p.minDecimals && fraction.endsWith('0')) {
        fraction.chop(1);
    }
    if (intPart == "0" && p.minIntDigits == 0) {
        intPart.clear();
    }
    while (intPart.size() < p.minIntDigits) {
        intPart.prepend('0');
    }
    QString text = intPart;
    if (!fraction.isEmpty()) {
        text += decimalPoint + fraction;
    }
    if (text.isEmpty()) {
        text = "0";
    }
    return p.prefix + text + p.suffix;
}

} // namespace

QString formatFloat(const QString& pattern, double value, QChar decimalPoint) {
    const QStringList sections = pattern.split(';');
    const Picture positive = parseSection(sections.value(0));
    const bool negative = value < 0;
    const Picture chosen = negative && sections.size() > 1 ? parseSection(sections[1]) : positive;
    const double magnitude = roundTo(std::fabs(value), chosen.maxDecimals);
    if (magnitude == 0.0 && sections.size() > 2 && !sections[2].isEmpty()) {
        return formatMagnitude(parseSection(sections[2]), 0.0, decimalPoint);
    }
    if (magnitude == 0.0) {
        return formatMagnitude(positive, 0.0, decimalPoint);
    }
    QString text = formatMagnitude(chosen, magnitude, decimalPoint);
    if (negative && sections.size() < 2) {
        text.prepend('-');
    }
    return text;
}

} // namespace zuvo
