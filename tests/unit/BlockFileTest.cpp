#include "params/BlockFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <numeric>
#include <string>
#include <unistd.h>
#include <vector>

namespace zuvo {
namespace {

std::vector<std::uint8_t> bytesOf(const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return bytes;
}

// c rows of 5 words plus one word, then the checksum.
std::vector<std::uint16_t> validBlock(std::size_t rowLength, std::uint16_t fill) {
    std::vector<std::uint16_t> words(5 * rowLength + 1, fill);
    words.push_back(
        static_cast<std::uint16_t>(std::accumulate(words.begin(), words.end(), 0u) & 0xFFFF));
    return words;
}

struct BlockCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool valid;
    std::size_t wordCount;
};

TEST(BlockFile, Verdicts) {
    auto withOddByte = bytesOf({1, 2, 3, 4, 5, 6, 21});
    withOddByte.push_back(0x7F);
    const BlockCase cases[] = {
        {"seven words summing to the last", bytesOf({1, 2, 3, 4, 5, 6, 21}), true, 7},
        {"last word one short", bytesOf({1, 2, 3, 4, 5, 6, 20}), false, 7},
        {"eight words", bytesOf({1, 2, 3, 4, 5, 6, 21, 0}), false, 8},
        {"trailing odd byte ignored", withOddByte, true, 7},
        {"sum taken modulo 65536", bytesOf(validBlock(1, 0xFFFF)), true, 7},
        {"two rows", bytesOf(validBlock(2, 0x1234)), true, 12},
        {"largest block that fits", bytesOf(validBlock(102, 0xABCD)), true, 512},
        {"no rows, the one word summed", bytesOf({7, 7}), true, 2},
        {"no rows, wrong sum", bytesOf({7, 8}), false, 2},
        {"empty", {}, false, 0},
        {"one byte", {0x01}, false, 0},
        {"three bytes", {0x01, 0x00, 0x01}, false, 1},
        {"10000 bytes, only 514 words read", std::vector<std::uint8_t>(10000, 0), false, 514},
    };
    for (const auto& c : cases) {
        const BlockFileVerdict verdict = checkBlock(c.bytes);
        EXPECT_EQ(verdict.valid, c.valid) << c.name;
        EXPECT_EQ(verdict.wordCount, c.wordCount) << c.name;
    }
}

TEST(BlockFile, LongFileIsJudgedOnItsFirst514Words) {
    // A valid 512-word block followed by more words: the length check sees 514 words.
    auto words = validBlock(102, 1);
    words.push_back(0);
    words.push_back(0);
    words.push_back(0);
    const BlockFileVerdict verdict = checkBlock(bytesOf(words));
    EXPECT_FALSE(verdict.valid);
    EXPECT_EQ(verdict.wordCount, BlockFileMaxWords);
}

class BlockFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zuvo-blockfile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::filesystem::path dir;
};

TEST_F(BlockFileOnDisk, ReadsTheFileItNames) {
    EXPECT_TRUE(checkBlockFile(write("good.dat", bytesOf({1, 2, 3, 4, 5, 6, 21}))).valid);
    EXPECT_FALSE(checkBlockFile(write("bad.dat", bytesOf({1, 2, 3, 4, 5, 6, 20}))).valid);
    const auto huge = checkBlockFile(write("huge.dat", std::vector<std::uint8_t>(10000, 0)));
    EXPECT_FALSE(huge.valid);
    EXPECT_EQ(huge.wordCount, BlockFileMaxWords);
}

TEST_F(BlockFileOnDisk, UnreadablePathIsAnEmptyInvalidBlock) {
    for (const auto& path : {dir / "missing.dat", dir}) {
        const BlockFileVerdict verdict = checkBlockFile(path);
        EXPECT_FALSE(verdict.valid) << path;
        EXPECT_EQ(verdict.wordCount, 0u) << path;
    }
}

TEST(BlockFile, NamesABlockFileByItsExtensionInAnyCase) {
    const std::pair<const char*, bool> cases[] = {
        {"/data/set.dat", true}, {"SET.DAT", true},   {"a.Dat", true}, {".dat", true},
        {"set.ZDF", false},      {"set.data", false}, {"dat", false},  {"", false},
        {"set.dat.ZDF", false},  {"setdat", false},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(isBlockFileName(name), expected) << name;
    }
}

} // namespace
} // namespace zuvo
