#pragma once
// The bit fields of the function flags (word 3) and of the rush-in delays (word 14).

#include <cstdint>

namespace zuvo {

// Items of the analog function box: "0..10V" .. "20..4mA".
inline constexpr int AnalogFunctionItemCount = 6;
// Bits of word 3 that no control holds: bit 3 and bits 11..15.
inline constexpr std::uint16_t UnusedFunctionBits = 0xF808;

struct FunctionFlags {
    int analogFunction = 0; // bits 0..2: item of the analog output function box
    int digitalOutput4 = 0; // bits 4..5: function of output 4 (3 names no item)
    int impulses = 0;       // bits 6..7: impulses per revolution at outputs 5 and 6 (32 << n)
    bool externalReference = false; // bit 8
    bool thrustOverload = false;    // bit 9
    bool sensorOnGearUnit = false;  // bit 10: speed sensor at the end of the gear unit

    static FunctionFlags fromWord(std::uint16_t word);
    // Each field is masked to its bits, so an out-of-range item cannot spill into its neighbour.
    std::uint16_t toWord() const;

    // The item a shown block selects for output 4: the unused value 3 is shown as item 0.
    int digitalOutput4Item() const { return digitalOutput4 == 3 ? 0 : digitalOutput4; }
    // The flags as the pages show them: an analog function or an output-4 function that names
    // no item shows item 0.
    FunctionFlags shown() const;

    bool operator==(const FunctionFlags&) const = default;
};

// Motor rush-in delays in 0.1 s (3..30 from the editor).
struct RushInDelays {
    int retract = 0; // bits 0..6
    int extend = 0;  // bits 8..14

    static RushInDelays fromWord(std::uint16_t word);
    std::uint16_t toWord() const;

    bool operator==(const RushInDelays&) const = default;
};

} // namespace zuvo
