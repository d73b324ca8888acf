#include "service/PositionInput.h"

#include "device/StatusDecoding.h"
#include "service/MillimetreText.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace zuvo {

QString pointToComma(const QString& text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) {
        return text;
    }
    return text.left(point) + QLatin1Char(',') + text.mid(point + 1, 2);
}

std::optional<double> parseMillimetres(const QString& text, QChar decimalSeparator) {
    QString number = text.trimmed();
    if (decimalSeparator != QLatin1Char(',')) {
        number.replace(decimalSeparator, QLatin1Char(','));
    }
    static const QRegularExpression plainNumber(
        QStringLiteral(R"(^[+-]?(\d+,?\d*|,\d+)([eE][+-]?\d+)?$)"));
    if (!plainNumber.match(number).hasMatch()) {
        return std::nullopt;
    }
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double mm = number.toDouble(&ok);
    if (!ok || !std::isfinite(mm)) {
        return std::nullopt;
    }
    return mm;
}

std::optional<std::int32_t> memoryCountsFromMm(double mm, Geometry geometry) {
    if (!geometry.valid()) {
        return std::nullopt;
    }
    const double counts = std::trunc(mm / static_cast<double>(geometry.strokeMm) *
                                     (static_cast<double>(geometry.turns) * 1024));
    if (!(counts >= std::numeric_limits<std::int32_t>::min() &&
          counts <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(counts);
}

QString memoryLabel(const QString& millimetres) {
    return QStringLiteral("Memory: ") + millimetres + QStringLiteral("mm");
}

QString memoryLabel(std::int32_t counts, Geometry geometry, QChar decimalSeparator) {
    return memoryLabel(millimetreText(
        positionMm(counts, static_cast<int>(geometry.turns), static_cast<int>(geometry.strokeMm)),
        decimalSeparator));
}

MemoryInput readMemoryInput(const QString& typed, std::optional<Geometry> geometry,
                            QChar decimalSeparator) {
    MemoryInput input;
    const QString text = pointToComma(typed);
    const std::optional<double> mm = parseMillimetres(text, decimalSeparator);
    if (!mm) {
        input.message = kWrongInputFormat;
        return input;
    }
    if (!geometry || !geometry->valid()) {
        input.message = kNoGeometryMessage;
        return input;
    }
    input.counts = memoryCountsFromMm(*mm, *geometry);
    if (!input.counts) {
        input.message = kWrongInputFormat;
        return input;
    }
    input.label = memoryLabel(text.trimmed());
    return input;
}

QString noMemoryPositionMessage() {
    return QStringLiteral(" No position memorised yet: use \"Memory Position (old Module)\" or "
                          "type it in with the right mouse button on \"Memory:\" ");
}

} // namespace zuvo
