#include "service/MillimetreText.h"

#include <cmath>

namespace zuvo {

QString millimetreText(double mm, QChar decimalSeparator) {
    if (!std::isfinite(mm)) {
        mm = 0.0;
    }
    const double rounded = QString::number(mm, 'g', 6).toDouble();
    QString text = QString::number(rounded, 'f', 2);
    if (text == QStringLiteral("-0.00")) {
        text = QStringLiteral("0.00");
    }
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

} // namespace zuvo
