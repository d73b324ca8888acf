#pragma once
// The sector strip drawn from the controller's own edge measurement (the sensor-words reply):
// when it is shown, which rows are black, and the edge tables it fills.

#include "device/ReplyFrames.h"
#include "device/SectorCheck.h"

#include <array>
#include <cstdint>

namespace zuvo {

// Rows of the strip picture (12 x 256 pixels); a sensor angle d lies in row d div 4.
inline constexpr int kStripRows = 256;

// The angle is near zero and both switches are off: the moment the strip can be taken.
bool isStripMoment(std::uint32_t digit, bool reed1On, bool reed2On);

// The live trace stops while the strip from the sensor words is held.
bool isLiveTraceHeld(bool sectorAnalysisOn, bool sensorCheckPhase, std::uint32_t digit,
                     bool reed1On, bool reed2On);

// The strip is drawn from a sensor-words reply.
bool isSectorStripShown(bool sectorAnalysisOn, std::uint32_t digit, bool reed1On, bool reed2On);

struct StripSegment {
    int fromRow;
    int toRow;
};

// The black segments of the first strip (Reed1's columns) and of the second. Clockwise turning
// (`TB` selected) puts the odd words in the first strip. Rows are clipped to the picture.
struct SectorStrip {
    std::array<StripSegment, 2> first;
    std::array<StripSegment, 2> second;
};

SectorStrip sectorStrip(const SensorWords& words, bool clockwise);

// Reed1 takes the even words, Reed2 the odd ones, as whole degrees.
void edgesFromSensorWords(const SensorWords& words, EdgeTable& reed1Edges, EdgeTable& reed2Edges);

} // namespace zuvo
