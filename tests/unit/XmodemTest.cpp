#include "service/Xmodem.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace zuvo {
namespace {

// CRC-16/XMODEM computed bit by bit, as the bootloader does: an independent reference.
std::uint16_t bitwiseCrc(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool feedback = ((crc >> 15) & 1) != ((data[i] >> bit) & 1);
            crc = static_cast<std::uint16_t>(crc << 1);
            if (feedback) {
                crc ^= 0x1021;
            }
        }
    }
    return crc;
}

std::vector<std::uint8_t> image(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{7});
    return bytes;
}

TEST(Xmodem, BlockLayoutWithAndWithoutFiller) {
    const auto bytes = image(200);
    struct Case {
        const char* name;
        std::size_t pageSize; // bytes of the image handed in
        std::size_t dataUsed; // bytes that land in the block
    };
    const Case cases[] = {
        {"full page", 128, 128},
        {"one byte", 1, 1},
        {"empty", 0, 0},
        {"too long a page is cut to one page", 200, 128},
    };
    for (const auto& c : cases) {
        const XmodemBlock block = xmodemBlock(1, std::span(bytes.data(), c.pageSize));
        EXPECT_EQ(block[0], 0x01) << c.name;
        EXPECT_EQ(block[1], 1) << c.name;
        EXPECT_EQ(block[2], 254) << c.name;
        for (std::size_t i = 0; i < kXmodemPageSize; ++i) {
            const std::uint8_t expected = i < c.dataUsed ? bytes[i] : 0xFF;
            ASSERT_EQ(block[3 + i], expected) << c.name << " byte " << i;
        }
        const std::uint16_t crc = bitwiseCrc(&block[3], kXmodemPageSize);
        EXPECT_EQ(block[131], crc >> 8) << c.name;
        EXPECT_EQ(block[132], crc & 0xFF) << c.name;
        EXPECT_EQ(xmodemBlockCrc(block), crc) << c.name;
    }
}

TEST(Xmodem, CrcOfTheCheckStringAndOfAFilledPage) {
    const std::uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(bitwiseCrc(check, sizeof check), 0x31C3); // the reference itself is right
    const XmodemBlock block = xmodemBlock(7, std::span(check, sizeof check));
    std::vector<std::uint8_t> filled(check, check + sizeof check);
    filled.resize(128, 0xFF);
    EXPECT_EQ(xmodemBlockCrc(block), bitwiseCrc(filled.data(), filled.size()));
}

TEST(Xmodem, BlockNumbersWrapAfter255) {
    struct Case {
        std::uint64_t pageIndex;
        std::uint8_t number;
    };
    const Case cases[] = {{0, 1}, {1, 2}, {253, 254}, {254, 255}, {255, 0}, {256, 1}, {511, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(xmodemBlockNumber(c.pageIndex), c.number) << c.pageIndex;
    }
    const XmodemBlock block = xmodemBlock(xmodemBlockNumber(255), {});
    EXPECT_EQ(block[1], 0);
    EXPECT_EQ(block[2], 255);
}

TEST(Xmodem, PagesAndProgressMaximum) {
    struct Case {
        std::uint64_t size, pages, maximum;
    };
    const Case cases[] = {
        {0, 0, 0},
        {1, 1, 0},
        {63, 1, 0},
        {64, 1, 1},
        {128, 1, 1},
        {129, 2, 1},
        {191, 2, 1},
        {192, 2, 2},
        {128 * 512, 512, 512},
        {10'000'000, 78125, 78125},
        {10'000'001, 78126, 78125},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xmodemPageCount(c.size), c.pages) << c.size;
        EXPECT_EQ(xmodemProgressMaximum(c.size), c.maximum) << c.size;
    }
}

TEST(Xmodem, AnImageCutIntoBlocksComesBackPadded) {
    for (std::size_t size : {std::size_t{129}, std::size_t{128 * 3}, std::size_t{300}}) {
        const auto bytes = image(size);
        std::vector<std::uint8_t> received;
        for (std::uint64_t page = 0; page < xmodemPageCount(size); ++page) {
            const std::size_t offset = page * kXmodemPageSize;
            const std::size_t length = std::min(kXmodemPageSize, size - offset);
            const XmodemBlock block =
                xmodemBlock(xmodemBlockNumber(page), std::span(bytes.data() + offset, length));
            EXPECT_EQ(block[1], page + 1);
            received.insert(received.end(), block.begin() + 3, block.begin() + 131);
        }
        auto expected = bytes;
        expected.resize(xmodemPageCount(size) * kXmodemPageSize, 0xFF);
        EXPECT_EQ(received, expected) << size;
    }
}

} // namespace
} // namespace zuvo
