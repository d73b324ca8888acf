#pragma once
// CRC-16/XMODEM (polynomial 0x1021, start 0, no reflection, no final XOR), the checksum of the
// bootloader's 128-byte blocks.

#include <cstddef>
#include <cstdint>

namespace zuvo {

std::uint16_t crc16Xmodem(const std::uint8_t* data, std::size_t size);

} // namespace zuvo
