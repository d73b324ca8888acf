#pragma once
// The sending side of the bootloader's XMODEM-CRC transfer: a firmware image cut into 128-byte
// pages, each sent as a 133-byte block.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zuvo {

inline constexpr std::uint8_t kXmodemSoh = 0x01;
inline constexpr std::uint8_t kXmodemEot = 0x04;
inline constexpr std::uint8_t kXmodemAck = 0x06;
inline constexpr std::uint8_t kXmodemNak = 0x15;
// Ready in CRC mode while the sender waits for the bootloader; restarted during the transfer.
inline constexpr std::uint8_t kXmodemCrcMode = 'C';

inline constexpr std::size_t kXmodemPageSize = 128;
inline constexpr std::size_t kXmodemBlockSize = 133;
// Fills the last, shorter page: the erased state of flash.
inline constexpr std::uint8_t kXmodemFiller = 0xFF;

using XmodemBlock = std::array<std::uint8_t, kXmodemBlockSize>;

// SOH, number, its complement, the page filled up to 128 bytes, CRC-16 high byte, low byte. A page
// longer than 128 bytes contributes its first 128.
XmodemBlock xmodemBlock(std::uint8_t number, std::span<const std::uint8_t> page);

// The CRC a block carries.
std::uint16_t xmodemBlockCrc(const XmodemBlock& block);

// Number of the block that carries page `pageIndex` (0 = the file's first page): 1, 2, ...,
// 255, 0, 1, ...
std::uint8_t xmodemBlockNumber(std::uint64_t pageIndex);

// Pages of an image of `size` bytes, the last one possibly short.
std::uint64_t xmodemPageCount(std::uint64_t size);

// The progress bar's maximum: the number of pages rounded to the nearest whole number.
std::uint64_t xmodemProgressMaximum(std::uint64_t size);

} // namespace zuvo
