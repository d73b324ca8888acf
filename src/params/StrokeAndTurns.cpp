#include "params/StrokeAndTurns.h"

#include "params/UnitConversions.h"

#include <algorithm>

namespace zuvo {

bool strokeUsable(std::int64_t strokeMm) {
    return strokeMm >= 1 && strokeMm <= MaxStrokeMm;
}

bool turnsUsable(std::int64_t turns) {
    return turns >= 1 && turns <= MaxTurns;
}

QString strokeRuleText() {
    return QStringLiteral("the stroke must be a whole number of 1..%1 mm").arg(MaxStrokeMm);
}

QString turnsRuleText() {
    return QStringLiteral("the turns must be a whole number of 1..%1").arg(MaxTurns);
}

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
