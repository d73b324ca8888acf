#pragma once
// Conversions between the user's millimetres and the controller's sensor counts.
//
// A position of x mm is x * T * 1024 / L counts, L being the stroke in mm and T the sensor
// revolutions over the stroke. Each conversion keeps the arithmetic the controller's block has
// always been filled with (integer steps, extended precision or truncation as noted), so that
// blocks and files made earlier convert to the same words.

#include <cstdint>
#include <optional>

namespace zuvo {

inline constexpr std::int64_t CountsPerRevolution = 1024;
inline constexpr std::int64_t MaxStrokeMm = 65535; // word 1 is 16 bits wide

// Stroke and turns as the editor's integer edits hold them.
struct Geometry {
    std::int64_t strokeMm = 0; // L
    std::int64_t turns = 0;    // T

    // A stroke of 1..65535 mm and 1..6000 turns. Anything else would divide by zero, give every
    // position 0 counts, or not fit its word, so no counts are made from it.
    bool valid() const;

    bool operator==(const Geometry&) const = default;
};

// Counts of a position typed into an editor control: the millimetres are cut to a whole number
// first, then (m * T * 1024) div L in 64-bit integers, plus 1 when negative (the old "add 0.5
// and truncate"). A negative position always gives negative counts ("not set"), even when
// T * 1024 < L would make it 0. Nothing for an invalid geometry.
std::optional<std::int64_t> EditorCounts(double mm, Geometry geometry);
// The same for a whole-millimetre position (track bars, and analog positions loaded from a file).
std::optional<std::int64_t> EditorCounts(std::int64_t wholeMm, Geometry geometry);

// Counts of a switch position just loaded from a file: trunc(x * T * 1024.0 / L + 0.5) in
// extended precision, the millimetres not cut. Negative positions stay "not set" as above.
std::optional<std::int64_t> FileCounts(double mm, Geometry geometry);

// Hysteresis word of h mm: trunc(h * T * 1024 / L + 0.5), kept to its low 16 bits.
std::optional<std::uint16_t> HysteresisCounts(double mm, Geometry geometry);
// Whether those counts fit the word whole (0..65535), so that nothing is cut off.
bool HysteresisFitsWord(double mm, Geometry geometry);

// The cylinder as a received block describes it. A stroke word of 0 is taken as 1 and a gear
// word of 0 as 10, so that nothing divides by zero.
struct ReceivedGeometry {
    std::uint16_t strokeMm = 1;  // word 1
    std::uint16_t gearWord = 10; // word 2: revolutions x 10
    std::int64_t turns = 1;      // what the turns edit shows: word 2 div 10, at most 6000

    bool operator==(const ReceivedGeometry&) const = default;
};

ReceivedGeometry receivedGeometry(std::uint16_t strokeWord, std::uint16_t gearWord);

// Millimetres of a received switch position: c * L * 10 / (word 2 * 1024), extended precision.
long double CountsToMm(std::int64_t counts, const ReceivedGeometry& geometry);

// Whole millimetres of a received analog position: (c * L) div (T * 1024). A gear word of 1..9
// leaves T at 0; then the gear word's tenths are used, (c * L * 10) div (word 2 * 1024), which
// is the same number whenever word 2 is T * 10.
std::int64_t AnalogCountsToMm(std::int64_t counts, const ReceivedGeometry& geometry);

// Millimetres of a received hysteresis word: L * w / (T * 1024), with the same fallback for T 0.
long double HysteresisMm(std::uint16_t word, const ReceivedGeometry& geometry);

} // namespace zuvo
