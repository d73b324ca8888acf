#include "service/PositionRecord.h"

#include "device/StatusDecoding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zuvo {

namespace {

// Pixel coordinates of values far off the chart stay representable; the chart clips them.
int toPixel(double value) {
    constexpr double kLimit = 1 << 24;
    return static_cast<int>(std::trunc(std::clamp(value, -kLimit, kLimit)));
}

} // namespace

PositionRecord::PositionRecord()
    : plotHeights_(kCapacity), hundredths_(kCapacity), timesMs_(kCapacity) {}

std::int32_t hundredthsOfTurn(std::int32_t counts) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(counts) * 100 / 1024);
}

QString recordButtonCaption(bool recording) {
    return recording ? QStringLiteral("STOP") : QStringLiteral("START");
}

std::optional<SampleTraces> PositionRecord::take(std::int32_t counts, int turns,
                                                 const ChartScale& scale) {
    return take(counts, strokeFraction(counts, turns), scale);
}

std::optional<SampleTraces> PositionRecord::take(std::int32_t counts, double fraction,
                                                 const ChartScale& scale, std::int64_t timeMs) {
    const auto index = static_cast<std::size_t>(count_);
    timesMs_[index] = timeMs;
    plotHeights_[index] = toPixel(scale.height * fraction);
    hundredths_[index] = hundredthsOfTurn(counts);
    count_ = (count_ + 1) % kCapacity;

    const int x = scale.width > 0 ? count_ % scale.width : 0;
    if (x < 1 || count_ < 2) {
        previousDifference_ = 0;
        previousCounts_ = counts;
        return std::nullopt;
    }
    const std::int64_t difference = previousCounts_ - counts;
    const double divider = std::max(scale.divider, 1);
    const int middle = scale.height / 2;
    const auto n = static_cast<std::size_t>(count_);
    SampleTraces traces{
        {x, toPixel(static_cast<double>(previousDifference_) / divider + middle), x,
         toPixel(static_cast<double>(difference) / divider + middle)},
        {x - 1, scale.height - plotHeights_[n - 2], x, scale.height - plotHeights_[n - 1]},
    };
    previousDifference_ = difference;
    previousCounts_ = counts;
    return traces;
}

} // namespace zuvo
