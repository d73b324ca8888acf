#pragma once
// The check of the reed-switch sectors against the angle sensor: the two edge tables in; the
// result table, the marks of the mark strip and the verdict out. Drawing them is the window's job.

#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace zuvo {

// Four edge angles of one reed switch in whole degrees; 0 marks an empty slot.
using EdgeTable = std::array<std::int32_t, 4>;

// A sorted table's stand-in for an edge that is not there.
inline constexpr std::int32_t kMissingEdge = 999;

// TColor values (0x00BBGGRR) of the ring around the reed-state compass.
inline constexpr std::uint32_t kRingPassed = 0x408040;
inline constexpr std::uint32_t kRingFailed = 0x0000FF;
inline constexpr std::uint32_t kRingReset = 0x404060;

// Background of the result table: tinted while the analysis display is on, white otherwise.
inline constexpr std::uint32_t kTableAnalysisColour = 0xD0F0D0;
inline constexpr std::uint32_t kTablePlainColour = 0xFFFFFF;

// Angles closer than this to their neighbour are flagged in the table ("!!!!!" below it); the
// verdict wants them strictly greater, so exactly this value fails without a flag.
inline constexpr std::int32_t kMinSectorDegrees = 15;

// Ascending picks: pick i is the smallest value greater than pick i-1 (greater than 0 for the
// first), kMissingEdge when there is none, so equal values count once. The fifth entry is always
// kMissingEdge.
std::array<std::int32_t, 5> sortedEdges(const EdgeTable& table);

// Row of an angle in the mark strip (4 x 256 pixels).
int markRow(std::int32_t degrees);

struct SectorCheck {
    // False when a slot of either table is empty: then nothing else is filled and no display
    // changes.
    bool complete = false;
    bool passed = false;
    QStringList table; // the 13 lines of the result table
    // Centre rows of the red marks, in drawing order; each mark is the row and its two
    // neighbours. When it is empty the mark strip keeps its picture; otherwise the strip is
    // cleared before the first mark.
    std::vector<int> markRows;
};

SectorCheck checkSectors(const EdgeTable& reed1Edges, const EdgeTable& reed2Edges);

} // namespace zuvo
