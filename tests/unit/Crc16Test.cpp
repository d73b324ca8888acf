#include "service/Crc16.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace zuvo {
namespace {

std::uint16_t crcOf(std::string_view text) {
    return crc16Xmodem(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

TEST(Crc16, MatchesTheXmodemCheckValues) {
    EXPECT_EQ(crcOf("123456789"), 0x31C3); // the published check value of CRC-16/XMODEM
    EXPECT_EQ(crcOf(""), 0x0000);
    EXPECT_EQ(crcOf("A"), 0x58E5);
}

TEST(Crc16, OfABlockPaddedWithSubstituteBytes) {
    const std::vector<std::uint8_t> block(128, 0x1A);
    const std::vector<std::uint8_t> other(128, 0x00);
    EXPECT_NE(crc16Xmodem(block.data(), block.size()), crc16Xmodem(other.data(), other.size()));
    EXPECT_EQ(crc16Xmodem(other.data(), other.size()), 0x0000);
}

} // namespace
} // namespace zuvo
