#pragma once
// Control bytes of the controller protocol and the type every built frame comes in.

#include <cstdint>
#include <vector>

namespace zuvo {

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kAcknowledge = 0x05;
inline constexpr std::uint8_t kCarriageReturn = 0x0D;

using Frame = std::vector<std::uint8_t>;

} // namespace zuvo
