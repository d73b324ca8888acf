#pragma once
// The controller's own view of the wire: control bytes, hexadecimal fields and the CRC of the
// bootloader. Written from the controller's side on purpose and shared with nothing in the
// program, so that a wrong constant on either side shows up as a failing exchange instead of
// being confirmed by its own copy.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zuvo::sim {

using Bytes = std::vector<std::uint8_t>;

// Frame protocol.
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kAckByte = 0x05; // an accepted write
inline constexpr std::uint8_t kCr = 0x0D;      // end of a text line

// Bootloader (XMODEM, CRC variant).
inline constexpr std::uint8_t kSoh = 0x01;
inline constexpr std::uint8_t kEot = 0x04;
inline constexpr std::uint8_t kXAck = 0x06;
inline constexpr std::uint8_t kXNak = 0x15;
inline constexpr std::uint8_t kCrcReady = 'C';
inline constexpr std::size_t kBlockData = 128;
inline constexpr std::size_t kBlockBytes = 3 + kBlockData + 2; // SOH, number, complement, CRC

// Appends `value` as `width` upper-case hexadecimal digits (the lowest digits when it needs
// more).
void appendHexDigits(Bytes& out, std::uint32_t value, int width);

// The value of a field of hexadecimal digits (either case); nullopt when empty or any other
// character is in it.
std::optional<std::uint32_t> hexDigitsValue(std::string_view digits);

// CRC-16 with polynomial 0x1021, start 0, most significant bit first, computed bit by bit as
// the bootloader's own small loop does.
std::uint16_t bootloaderCrc(const std::uint8_t* data, std::size_t size);

} // namespace zuvo::sim
