#pragma once
// The two reed switches on the revolving part: each turns on and off twice per sensor
// revolution, Reed1 leading Reed2, so that the edges interleave Reed1 on, Reed2 on, Reed1 off,
// Reed2 off, twice per revolution.

#include <array>
#include <cstdint>

namespace zuvo::sim {

struct ReedReading {
    bool reed1 = false;
    bool reed2 = false;
    int state = 0; // 0..7: edges passed since angle 0 (both off reads 0 or 4)
};

class ReedModel {
public:
    // Edge angles in sensor counts (0..1023): reed1 on, off, on, off and the same for reed2.
    ReedModel(std::array<std::uint16_t, 4> reed1, std::array<std::uint16_t, 4> reed2);

    // Sectors 45 degrees wide and 45 degrees apart: the sector check passes with margin.
    static ReedModel aligned();
    // Reed2 turned about 35 degrees towards Reed1: leads and trails of about 10 degrees.
    static ReedModel misaligned();

    ReedReading at(std::uint16_t angle) const;

    // The eight edge angles as the controller reports them: Reed1's edges, then Reed2's.
    std::array<std::uint16_t, 8> sensorWords() const;

private:
    std::array<std::uint16_t, 4> reed1_;
    std::array<std::uint16_t, 4> reed2_;
};

} // namespace zuvo::sim
