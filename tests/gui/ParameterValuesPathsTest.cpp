// The window's path and the pure path of the parameter values agree: a block shown on the pages
// reads back as the values the pure conversion gives, and a send makes the same words of both.
// The table holds ordinary blocks and the corners: zero stroke and gear, a gear word below 10,
// sensor positions against the 150-RPM rule, ranges beyond the track bars, unused bits.

#include "gui/EditorPagesTestFixture.h"
#include "params/ParameterValues.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zuvo;
using zuvo::test::EditorPages;

namespace {

struct BlockCase {
    const char* name;
    std::vector<std::pair<int, std::uint16_t>> words; // index, word; all others 0
};

const BlockCase kBlocks[] = {
    {"ordinary",
     {{1, 1000},
      {2, 1000},
      {3, 0x0205},
      {4, 10},
      {5, 1},
      {6, 0x22},
      {14, 0x0A0C},
      {15, 9557},
      {18, 0x9000},
      {19, 1},
      {20, 30720},
      {22, 20480},
      {24, 0xFFFF},
      {25, 0xFFFF}}},
    {"all of word 3, counter-clockwise",
     {{0, 0x8123},
      {1, 500},
      {2, 600},
      {3, 0x07C5},
      {4, 31},
      {13, 0x3F},
      {14, 0x1E03},
      {15, 2731},
      {16, 1000},
      {18, 20000},
      {20, 12288},
      {22, 12000},
      {26, 4}}},
    {"no stroke, no gear", {{3, 0x0037}, {15, 100}}},
    {"gear word below 10", {{1, 1000}, {2, 5}, {4, 100}, {18, 5000}, {20, 900}}},
    {"motor axis below 150 RPM", {{1, 2000}, {2, 1500}, {15, 500}}},
    {"gear unit above 150 RPM", {{1, 2000}, {2, 1500}, {3, 0x0400}, {15, 20480}}},
    {"largest words",
     {{1, 65535},
      {2, 60000},
      {3, 0xFFFF},
      {4, 0xFFFF},
      {5, 0xFFFF},
      {14, 0x7F7F},
      {15, 0xFFFF},
      {16, 0xFFFF},
      {17, 0x7FFF},
      {18, 0xFFFF},
      {19, 0x7FFF},
      {20, 0xFFFF},
      {21, 0x7FFF}}},
    {"analog minimum above maximum", {{1, 800}, {2, 400}, {16, 0x8000}, {18, 0x1000}}},
    {"more turns than the edit holds", {{1, 300}, {2, 65000}, {20, 100}, {22, 50}}},
};

class ParameterValuesPaths : public ::testing::TestWithParam<QLocale> {};

TEST_P(ParameterValuesPaths, AShownBlockReadsBackAsThePureValuesAndSendsTheSameWords) {
    for (const BlockCase& c : kBlocks) {
        SCOPED_TRACE(c.name);
        EditorPages pages(GetParam());
        std::vector<std::uint16_t> words(static_cast<std::size_t>(receivedWordCount(20)), 0);
        for (const auto& [index, word] : c.words) {
            words[static_cast<std::size_t>(index)] = word;
        }
        pages.block.storeReceivedWords(words);
        ParameterBlock pure = pages.block;
        const ParameterValues expected = receivedValues(pure);

        pages.form.editorMapping().ShowReceivedBlock();
        EXPECT_EQ(pages.form.editorMapping().pageValues(), expected);
        EXPECT_EQ(pages.block.Slots, pure.Slots);
        EXPECT_EQ(pages.block.SwitchPositionCounts, pure.SwitchPositionCounts);
        EXPECT_EQ(pages.block.SwitchPositionState, pure.SwitchPositionState);

        const bool usable = storeValues(expected, pure);
        EXPECT_EQ(pages.form.editorMapping().SetVars(), usable);
        EXPECT_EQ(pages.block.Slots, pure.Slots);
        EXPECT_EQ(pages.block.SwitchPositionCounts, pure.SwitchPositionCounts);
    }
}

INSTANTIATE_TEST_SUITE_P(DecimalCommaAndPoint, ParameterValuesPaths,
                         ::testing::Values(zuvo::test::kDecimalComma, zuvo::test::kDecimalPoint));

} // namespace
