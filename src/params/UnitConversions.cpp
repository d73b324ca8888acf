#include "params/UnitConversions.h"

#include "params/StrokeAndTurns.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zuvo {

namespace {

// Positions beyond this many millimetres are nonsense; bounding them keeps m * T * 1024 inside
// 64 bits for every valid geometry.
constexpr long double MaxMm = 1e12L;

// Truncation toward zero that saturates instead of overflowing; not-a-number gives 0, the value
// an edit that holds no number stands for.
std::int64_t truncSaturated(long double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr long double limit = 9.2e18L;
    return static_cast<std::int64_t>(std::trunc(std::clamp(value, -limit, limit)));
}

// "Not set" follows the sign of the millimetres.
std::int64_t keepNotSet(long double mm, std::int64_t counts) {
    return mm < 0 ? std::min<std::int64_t>(counts, -1) : counts;
}

std::int64_t editorCountsOfWholeMm(std::int64_t m, Geometry geometry) {
    const std::int64_t q = m * geometry.turns * CountsPerRevolution / geometry.strokeMm;
    return q < 0 ? q + 1 : q;
}

// Millimetres to counts in extended precision, adding a half before truncating toward zero.
std::int64_t halfUpCounts(double mm, Geometry geometry) {
    const long double x = mm;
    return truncSaturated(x * geometry.turns * CountsPerRevolution /
                              static_cast<long double>(geometry.strokeMm) +
                          0.5L);
}

ReceivedGeometry normalised(ReceivedGeometry geometry) {
    if (geometry.strokeMm == 0) {
        geometry.strokeMm = 1;
    }
    if (geometry.gearWord == 0) {
        geometry.gearWord = 10;
    }
    return geometry;
}

} // namespace

bool Geometry::valid() const {
    return strokeUsable(strokeMm) && turnsUsable(turns);
}

std::optional<std::int64_t> EditorCounts(double mm, Geometry geometry) {
    if (!geometry.valid()) {
        return std::nullopt;
    }
    const long double bounded = std::clamp<long double>(mm, -MaxMm, MaxMm);
    const std::int64_t counts = editorCountsOfWholeMm(truncSaturated(bounded), geometry);
    return keepNotSet(std::isnan(mm) ? 0 : mm, counts);
}

std::optional<std::int64_t> EditorCounts(std::int64_t wholeMm, Geometry geometry) {
    if (!geometry.valid()) {
        return std::nullopt;
    }
    const auto bound = static_cast<std::int64_t>(MaxMm);
    const std::int64_t counts = editorCountsOfWholeMm(std::clamp(wholeMm, -bound, bound), geometry);
    return keepNotSet(static_cast<long double>(wholeMm), counts);
}

std::optional<std::int64_t> FileCounts(double mm, Geometry geometry) {
    if (!geometry.valid()) {
        return std::nullopt;
    }
    return keepNotSet(std::isnan(mm) ? 0 : mm, halfUpCounts(mm, geometry));
}

std::optional<std::uint16_t> HysteresisCounts(double mm, Geometry geometry) {
    if (!geometry.valid()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(halfUpCounts(mm, geometry)) &
                                      0xFFFF);
}

bool HysteresisFitsWord(double mm, Geometry geometry) {
    if (!geometry.valid()) {
        return false;
    }
    const std::int64_t counts = halfUpCounts(mm, geometry);
    return counts >= 0 && counts <= 0xFFFF;
}

ReceivedGeometry receivedGeometry(std::uint16_t strokeWord, std::uint16_t gearWord) {
    ReceivedGeometry geometry{strokeWord, gearWord, 0};
    geometry = normalised(geometry);
    geometry.turns = boundedTurns(geometry.gearWord / 10);
    return geometry;
}

long double CountsToMm(std::int64_t counts, const ReceivedGeometry& received) {
    const ReceivedGeometry g = normalised(received);
    return static_cast<long double>(counts) * g.strokeMm * 10 /
           (static_cast<long double>(g.gearWord) * 1024);
}

std::int64_t AnalogCountsToMm(std::int64_t counts, const ReceivedGeometry& received) {
    const ReceivedGeometry g = normalised(received);
    // 128 bits: any 64-bit count times a 16-bit stroke times 10 fits.
    const __int128 scaled = static_cast<__int128>(counts) * g.strokeMm;
    __int128 mm = 0;
    if (g.turns >= 1) {
        mm = scaled / (static_cast<__int128>(g.turns) * CountsPerRevolution);
    } else {
        mm = scaled * 10 / (static_cast<__int128>(g.gearWord) * CountsPerRevolution);
    }
    constexpr auto lo = std::numeric_limits<std::int64_t>::min();
    constexpr auto hi = std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(std::clamp<__int128>(mm, lo, hi));
}

long double HysteresisMm(std::uint16_t word, const ReceivedGeometry& received) {
    const ReceivedGeometry g = normalised(received);
    const long double scaled = static_cast<long double>(g.strokeMm) * word;
    if (g.turns >= 1) {
        return scaled / (static_cast<long double>(g.turns) * CountsPerRevolution);
    }
    return scaled * 10 / (static_cast<long double>(g.gearWord) * CountsPerRevolution);
}

} // namespace zuvo
