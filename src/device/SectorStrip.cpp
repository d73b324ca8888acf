#include "device/SectorStrip.h"

#include "device/ReedEdges.h"

#include <algorithm>

namespace zuvo {

bool isStripMoment(std::uint32_t digit, bool reed1On, bool reed2On) {
    return (digit <= 128 || digit >= 896) && !reed1On && !reed2On;
}

bool isLiveTraceHeld(bool sectorAnalysisOn, bool sensorCheckPhase, std::uint32_t digit,
                     bool reed1On, bool reed2On) {
    return sectorAnalysisOn && sensorCheckPhase && isStripMoment(digit, reed1On, reed2On);
}

bool isSectorStripShown(bool sectorAnalysisOn, std::uint32_t digit, bool reed1On, bool reed2On) {
    return sectorAnalysisOn && isStripMoment(digit, reed1On, reed2On);
}

namespace {

// A word out of the sensor's range would reach below the picture; only the visible part counts.
int stripRow(std::uint16_t word) {
    return std::min(word / 4, kStripRows);
}

StripSegment segment(const SensorWords& words, std::size_t from, std::size_t to) {
    return {stripRow(words[from]), stripRow(words[to])};
}

} // namespace

SectorStrip sectorStrip(const SensorWords& words, bool clockwise) {
    const std::size_t firstStart = clockwise ? 1 : 0;
    const std::size_t secondStart = clockwise ? 0 : 1;
    return {
        {segment(words, firstStart, firstStart + 2),
         segment(words, firstStart + 4, firstStart + 6)},
        {segment(words, secondStart, secondStart + 2),
         segment(words, secondStart + 4, secondStart + 6)},
    };
}

void edgesFromSensorWords(const SensorWords& words, EdgeTable& reed1Edges, EdgeTable& reed2Edges) {
    for (std::size_t i = 0; i < 4; ++i) {
        reed1Edges[i] = angleDegrees(words[2 * i]);
        reed2Edges[i] = angleDegrees(words[2 * i + 1]);
    }
}

} // namespace zuvo
