#pragma once
// The bytes received from the controller and not yet consumed, as the main window holds them.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zuvo {

inline constexpr std::size_t kRxBufferSize = 8192;

struct ReceiveFields {
    // One byte more than the buffer's capacity, so that a text line can be terminated in place.
    std::array<std::uint8_t, kRxBufferSize + 1> RxBuffer{};
    std::uint32_t RxCount = 0; // valid bytes in RxBuffer; 0 means empty
    bool AckReceived = false;  // an acknowledge byte arrived since the sender cleared it
};

} // namespace zuvo
