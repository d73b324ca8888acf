// The window's path and the pure path of the parameter values agree: a block shown on the pages
// leaves the model with the values the pure conversion gives (no control that follows it changes
// them back), and a send makes the same words of both. The table holds ordinary blocks and the
// corners: zero stroke and gear, a gear word below 10, sensor positions against the 150-RPM rule,
// ranges beyond the track bars, unused bits. Then files edited on the pages, on the line.

#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/pages/ParameterFiles.h"
#include "app/pages/ParameterTransfer.h"
#include "common/ExampleParameterFile.h"
#include "common/ScratchFile.h"
#include "device/HexField.h"
#include "gui/EditorPagesTestFixture.h"
#include "gui/WindowInLocale.h"
#include "params/ParameterValues.h"
#include "session/BlockTransfer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
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
        EXPECT_EQ(pages.model.values(), expected);
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

// A file loaded in the window and edited on its pages puts on the line what the command line's
// write of the same file, edited the same way, sends: the window's Send and `zuvoctl write` make
// their words with the same function.
class FileAndPageEditOnTheLine : public test::WindowInLocale {
protected:
    void SetUp() override {
        WindowInLocale::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        // The controller's block is known: a send backs it up without a read of its own.
        ASSERT_TRUE(test::readControllerBlock(form.link()));
    }

    QString file(const QString& name, const QByteArray& content) const {
        return test::writeScratchFile(link.folder.filePath(name), content);
    }
};

TEST_P(FileAndPageEditOnTheLine, TheWindowSendsWhatTheCommandLineWritesOfTheEditedFile) {
    const QString point = QLocale().decimalPoint();
    using Replacements = std::vector<std::pair<QByteArray, QByteArray>>;
    const struct {
        const char* name;
        Replacements loadedEdits; // made in the example file before it is loaded
        std::function<void(FileAndPageEditOnTheLine&)> pageEdit;
        Replacements fileEdits; // the same edit, made in the file
    } cases[] = {
        {"stroke typed",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<QLineEdit>("Laenge")->setText("800"); },
         {{"LENGTH=500", "LENGTH=800"}}},
        {"stroke typed key by key below the analog range",
         {},
         [](FileAndPageEditOnTheLine& t) {
             auto* edit = t.control<QLineEdit>("Laenge");
             edit->selectAll();
             QTest::keyClick(edit, Qt::Key_Backspace);
             QTest::keyClicks(edit, "300");
         },
         // The bar shows the range within the shorter stroke, and that is sent.
         {{"LENGTH=500", "LENGTH=300"}, {"Analog2=500", "Analog2=300"}}},
        {"turns spun up",
         {},
         [](FileAndPageEditOnTheLine& t) {
             t.control<UpDownSpinner>("UpDown1")->step(UpDownDirection::Up);
         },
         {{"GEAR=60", "GEAR=61"}}},
        {"counter-clockwise",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<QRadioButton>("BT")->click(); },
         {{"DIRECTION=1", "DIRECTION=0"}}},
        {"hysteresis",
         {},
         [point](FileAndPageEditOnTheLine& t) {
             t.control<QLineEdit>("Hysterese")->setText("0" + point + "5");
         },
         {{"HYSTERESIS=0,25", "HYSTERESIS=0,5"}}},
        {"switch position 3",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<QLineEdit>("DOPos3")->setText("350"); },
         {{"Pos3=-1", "Pos3=350"}}},
        {"output 3 in segment 3",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<PictureToggleButton>("D33")->click(); },
         {{"Funktion3=0", "Funktion3=4"}}},
        {"128 impulses",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<QComboBox>("ISpur")->setCurrentIndex(2); },
         {{"Funktion=517", "Funktion=645"}}},
        {"external reference",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<QCheckBox>("ExtRef")->click(); },
         {{"Funktion=517", "Funktion=773"}}},
        {"analog minimum",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<QSlider>("AnalogPos1")->setValue(50); },
         {{"Analog1=0", "Analog1=50"}}},
        {"thrust limit below 150 RPM: the gear unit's sensor",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<QLineEdit>("Anlauf1")->setText("120"); },
         {{"Funktion=517", "Funktion=1541"}, {"Funktion2=9557", "Funktion2=3277"}}},
        {"rush-in delay retracting",
         {},
         [](FileAndPageEditOnTheLine& t) { t.control<QSlider>("AnlaufZ1")->setValue(20); },
         {{"Funktion1=3082", "Funktion1=3092"}}},
        {"a file's unusable stroke typed over",
         {{"LENGTH=500", "LENGTH=0"}},
         [](FileAndPageEditOnTheLine& t) { t.control<QLineEdit>("Laenge")->setText("500"); },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray loaded = test::kExampleParameterFile;
        for (const auto& [from, to] : c.loadedEdits) {
            ASSERT_TRUE(loaded.contains(from));
            loaded.replace(from, to);
        }
        QByteArray edited = test::kExampleParameterFile;
        for (const auto& [from, to] : c.fileEdits) {
            ASSERT_EQ(edited.count(from), 1);
            edited.replace(from, to);
        }
        const UsableFileValues usable = usableFileValues(IniFile(file("edited.ZDF", edited)));
        ASSERT_TRUE(usable.values) << usable.problems.join("; ").toStdString();
        const std::optional<WordsToSend> written =
            valuesSend(*usable.values, form.link().snapshot().state.ExtraWordCount);
        ASSERT_TRUE(written);
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < written->words.size(); ++i) {
            expected.push_back("SP" +
                               hexField(static_cast<std::uint32_t>(written->range.first + i), 2) +
                               hexField(written->words[i], 4));
        }

        ASSERT_TRUE(form.parameterFiles().GetDataFromIni(file("site.ZDF", loaded)));
        c.pageEdit(*this);
        link.sim.clearLog();
        messages.clear();
        form.parameterTransfer().SaveParamClick();
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(test::requestsStartingWith(link.sim, "SP"), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(DecimalCommaAndPoint, FileAndPageEditOnTheLine,
                         ::testing::Values(zuvo::test::kDecimalComma, zuvo::test::kDecimalPoint));

INSTANTIATE_TEST_SUITE_P(DecimalCommaAndPoint, ParameterValuesPaths,
                         ::testing::Values(zuvo::test::kDecimalComma, zuvo::test::kDecimalPoint));

} // namespace
