#include "params/StrokeAndTurns.h"

#include <algorithm>

namespace zuvo {

std::int64_t strokeAfterSpin(std::int64_t strokeMm, bool up) {
    if (up) {
        return std::min(strokeMm + StrokeStepMm, MaxSpunStrokeMm);
    }
    return std::max(strokeMm - StrokeStepMm, MinSpunStrokeMm);
}

std::int64_t turnsAfterSpin(std::int64_t turns, bool up) {
    return up ? std::min(turns + 1, MaxTurns) : std::max(turns - 1, MinSpunTurns);
}

std::int64_t boundedTurns(std::int64_t turns) {
    return std::min(turns, MaxTurns);
}

} // namespace zuvo
