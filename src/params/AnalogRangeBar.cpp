#include "params/AnalogRangeBar.h"

#include <algorithm>
#include <cstdint>

namespace zuvo {

int analogBarHeight(int minimumMm, int maximumMm, int scaleMaximumMm) {
    if (scaleMaximumMm < 1) {
        return 0;
    }
    const std::int64_t span = std::int64_t{maximumMm} - minimumMm;
    return static_cast<int>(std::max<std::int64_t>(span * AnalogScaleHeight / scaleMaximumMm, 0));
}

int analogBarTop(int maximumMm, int scaleMaximumMm) {
    if (scaleMaximumMm < 1) {
        return AnalogScaleTop + AnalogScaleHeight;
    }
    const std::int64_t above = std::int64_t{scaleMaximumMm} - maximumMm;
    return static_cast<int>(above * AnalogScaleHeight / scaleMaximumMm + AnalogScaleTop);
}

} // namespace zuvo
