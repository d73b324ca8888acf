// The window's path and the pure path of the parameter values agree: a block shown on the pages
// reads back as the values the pure conversion gives, and a send makes the same words of both.
// The table holds ordinary blocks and the corners: zero stroke and gear, a gear word below 10,
// sensor positions against the 150-RPM rule, ranges beyond the track bars, unused bits.

#include "gui/EditorPagesTestFixture.h"
#include "app/pages/ParameterFiles.h"
#include "params/ParameterValues.h"
#include "session/BlockTransfer.h"

#include <QFile>
#include <QTemporaryDir>

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

// "Read from File" and Send in the window, and the command line's write of the same file, send
// the same words.
TEST_P(ParameterValuesPaths, AFileLoadedAndSentMakesTheWordsOfTheCommandLinesWrite) {
    const char* const files[] = {
        "[ZYLINDER]\nLENGTH=500\nGEAR=60\nDIRECTION=0\n[OUTPUT]\nHYSTERESIS=0,25\n"
        "Funktion1=1\nFunktion2=34\n[ANALOG]\nFunktion=1989\n[ANLAUF]\nFunktion1=3082\n"
        "Funktion2=9557\n[POSITION]\nPos1=100.5\nPos2=200\nPos3=-1\nAnalog1=10\nAnalog2=490\n",
        "[ZYLINDER]\nLENGTH=65535\nGEAR=6000.7\n[POSITION]\nPos1=65535\nAnalog2=70000\n",
        "[ZYLINDER]\nLENGTH=800\nGEAR=12.5\n[ANALOG]\nFunktion=65535\n[POSITION]\nAnalog1=900\n",
        "[ZYLINDER]\nLENGTH=0\nGEAR=60\n",
        "[ZYLINDER]\nLENGTH=65535\nGEAR=6000\n[POSITION]\nPos1=65535\nAnalog2=65535\n",
        "[ZYLINDER]\nLENGTH=800\nGEAR=12,0\n[ANALOG]\nFunktion=2021\n[POSITION]\nAnalog1=800\n",
    };
    QTemporaryDir folder;
    for (const char* text : files) {
        SCOPED_TRACE(text);
        const QString path = folder.filePath("set.ZDF");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();

        // What zuvoctl write sends of it: nothing while a key cannot be used as written.
        const UsableFileValues usable = usableFileValues(IniFile(path));
        const std::optional<WordsToSend> written =
            usable.values ? valuesSend(*usable.values, StartExtraWordCount) : std::nullopt;

        EditorPages pages(GetParam());
        pages.form.parameterFiles().prompts.message = [](const QString&) {};
        ASSERT_TRUE(pages.form.parameterFiles().GetDataFromIni(path));
        pages.block.clearSentWords(StartExtraWordCount);
        ASSERT_EQ(pages.form.editorMapping().SetVars(), written.has_value());
        if (written) {
            EXPECT_EQ(blockSend(pages.block, StartExtraWordCount).words, written->words);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(DecimalCommaAndPoint, ParameterValuesPaths,
                         ::testing::Values(zuvo::test::kDecimalComma, zuvo::test::kDecimalPoint));

} // namespace
