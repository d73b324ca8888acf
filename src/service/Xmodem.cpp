#include "service/Xmodem.h"

#include "service/Crc16.h"

#include <algorithm>

namespace zuvo {

XmodemBlock xmodemBlock(std::uint8_t number, std::span<const std::uint8_t> page) {
    XmodemBlock block;
    block[0] = kXmodemSoh;
    block[1] = number;
    block[2] = static_cast<std::uint8_t>(0xFF - number);
    const auto data = block.begin() + 3;
    const std::size_t used = std::min(page.size(), kXmodemPageSize);
    std::copy_n(page.begin(), used, data);
    std::fill(data + static_cast<std::ptrdiff_t>(used), data + kXmodemPageSize, kXmodemFiller);
    const std::uint16_t crc = crc16Xmodem(&block[3], kXmodemPageSize);
    block[131] = static_cast<std::uint8_t>(crc >> 8);
    block[132] = static_cast<std::uint8_t>(crc & 0xFF);
    return block;
}

std::uint16_t xmodemBlockCrc(const XmodemBlock& block) {
    return static_cast<std::uint16_t>((block[131] << 8) | block[132]);
}

std::uint8_t xmodemBlockNumber(std::uint64_t pageIndex) {
    return static_cast<std::uint8_t>((pageIndex + 1) & 0xFF);
}

std::uint64_t xmodemPageCount(std::uint64_t size) {
    return size / kXmodemPageSize + (size % kXmodemPageSize != 0 ? 1 : 0);
}

std::uint64_t xmodemProgressMaximum(std::uint64_t size) {
    return size / kXmodemPageSize + (size % kXmodemPageSize >= kXmodemPageSize / 2 ? 1 : 0);
}

} // namespace zuvo
