// Which words a send writes, what a restore sends, and the read-back comparison.
#include "params/BlockVerify.h"
#include "params/ParameterBlock.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace zuvo;

namespace {

// A received block of 16 + E words, word i = 100 + i.
std::vector<std::uint16_t> receivedBlock(int extraWords) {
    std::vector<std::uint16_t> words(static_cast<std::size_t>(16 + extraWords));
    std::iota(words.begin(), words.end(), std::uint16_t{100});
    return words;
}

} // namespace

TEST(BlockVerify, ASendWritesWordsOneToSixteenPlusE) {
    const struct {
        int extra;
        SentWordRange range;
    } cases[] = {{20, {1, 36}}, {21, {1, 37}}, {0, {1, 16}}, {83, {1, 99}}, {200, {1, 99}}};
    for (const auto& c : cases) {
        EXPECT_EQ(sentWordRange(c.extra), c.range) << c.extra;
        EXPECT_EQ(sentWordRange(c.extra).last, lastSentWord(c.extra));
    }
    EXPECT_EQ(sentWordRange(20).count(), 36);
}

TEST(BlockVerify, ARestoreSendsTheStoredWordsAndTheDirectionAsAReadWouldLeaveIt) {
    std::vector<std::uint16_t> block = receivedBlock(20);
    block[0] = 0x8000 | (300 << 5); // counter-clockwise
    std::vector<std::uint16_t> expected(block.begin() + 1, block.end());
    expected.push_back(0x8000); // word 36
    EXPECT_EQ(restoreWords(block, 20), expected);

    block[0] = 300 << 5; // clockwise
    expected.back() = 0;
    EXPECT_EQ(restoreWords(block, 20), expected);

    // With E = 21 the read reports word 36 itself; word 37 goes out as 0, as a send would.
    block = receivedBlock(21);
    block[0] = 0x8000;
    expected.assign(block.begin() + 1, block.end());
    expected.push_back(0);
    EXPECT_EQ(restoreWords(block, 21), expected);
    EXPECT_EQ(expected[35], 136); // word 36 exactly as stored

    // A backup of another length than the controller's block gives nothing to send.
    EXPECT_TRUE(restoreWords(receivedBlock(20), 21).empty());
    EXPECT_TRUE(restoreWords(receivedBlock(21), 20).empty());
}

TEST(BlockVerify, ComparesTheWordsTheReadBackReports) {
    ParameterBlock sent;
    for (int i = 0; i <= 36; ++i) {
        sent.Slots[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(100 + i);
    }
    sent.Slots[36] = 0x8000; // the direction word, never reported
    sent.Slots[40] = 7;      // not part of the send

    const struct {
        const char* name;
        int extra;
        std::vector<std::pair<int, std::uint16_t>> changes; // in the read-back
        std::vector<WordDifference> differences;
        std::vector<int> notReported;
    } cases[] = {
        {"agrees", 20, {}, {}, {36}},
        {"word 0 is not sent", 20, {{0, 0xFFFF}}, {}, {36}},
        {"first and last", 20, {{1, 0}, {35, 136}}, {{1, 101, 0}, {35, 135, 136}}, {36}},
        {"one more word reported", 20, {{36, 0x8000}}, {}, {}},
        {"word 36 differs once reported", 20, {{36, 0}}, {{36, 0x8000, 0}}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint16_t> readBack(sent.Slots.begin(), sent.Slots.begin() + 36);
        for (const auto& [index, value] : c.changes) {
            if (index >= static_cast<int>(readBack.size())) {
                readBack.resize(static_cast<std::size_t>(index) + 1);
            }
            readBack[static_cast<std::size_t>(index)] = value;
        }
        const BlockComparison result = compareSentBlock(sent.Slots, c.extra, readBack);
        EXPECT_EQ(result.differences, c.differences) << c.name;
        EXPECT_EQ(result.notReported, c.notReported) << c.name;
        EXPECT_EQ(result.agrees(), c.differences.empty()) << c.name;
    }
}

TEST(BlockVerify, ComparesOnlyTheWordsGiven) {
    // Three words of a send starting at word 1, against a read-back in which word 4 differs.
    const std::vector<std::uint16_t> sent{1, 2, 3};
    const std::vector<std::uint16_t> readBack{0, 1, 2, 3, 99};
    EXPECT_TRUE(compareSentWords({1, 36}, sent, readBack).agrees());
    EXPECT_TRUE(compareSentWords({1, 36}, sent, readBack).notReported.empty());
}

TEST(BlockVerify, TheMessageListsEachDifferingWord) {
    BlockComparison c;
    EXPECT_EQ(differencesText(c), QString());
    c.differences = {{5, 200, 201}};
    EXPECT_EQ(differencesText(c), "After the send the controller reports other values in 1 word:\n"
                                  "Word 5: sent 200 (00C8), read back 201 (00C9)");
    c.differences.push_back({36, 0x8000, 0});
    EXPECT_EQ(differencesText(c), "After the send the controller reports other values in 2 words:\n"
                                  "Word 5: sent 200 (00C8), read back 201 (00C9)\n"
                                  "Word 36: sent 32768 (8000), read back 0 (0000)");
}
