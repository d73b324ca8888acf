#include "params/SwitchRuler.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace zuvo {

std::optional<int> rulerTickX(double mm, int widthPx, std::int64_t strokeMm) {
    if (strokeMm < 1) {
        return std::nullopt;
    }
    const long double scale = static_cast<long double>(widthPx) / strokeMm;
    const long double x = mm * scale;
    if (std::isnan(x)) {
        return 0;
    }
    return static_cast<int>(std::trunc(std::clamp<long double>(x, INT_MIN, INT_MAX)));
}

} // namespace zuvo
