#pragma once
// The link faults applied to every answer of the simulated controller: silence, dropped
// replies, delayed replies and line noise in front of them.

#include "SimOptions.h"
#include "SimProtocol.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace zuvo::sim {

class ReplyFaults {
public:
    void configure(const FaultConfig& faults);

    struct Shaped {
        std::vector<std::uint8_t> bytes;
        std::chrono::milliseconds delay{0};
    };
    // What goes on the line for one reply; nullopt when it is lost.
    std::optional<Shaped> shape(std::vector<std::uint8_t> reply);

    // Line noise: bytes 0x80..0xFE, none of them a control byte of the protocol; or, with
    // noiseLooksLikeFrames, any byte, STX, ETX, 0x05 and CR each at least once.
    std::vector<std::uint8_t> noise(int count);

private:
    std::uint32_t next();

    FaultConfig faults_;
    long replies_ = 0;
    std::uint32_t seed_ = 0x2545F491u;
};

} // namespace zuvo::sim
