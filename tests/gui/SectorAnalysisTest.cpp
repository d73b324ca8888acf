// The sector analysis on the window: the reed strip with its angle marker and live trace, the
// edge logs, the sector strip from the sensor words, the marks, the result table and the ring.

#include "app/live/SectorAnalysis.h"
#include "SimulatedLink.h"
#include "app/TForm1.h"
#include "app/live/ReceiveDispatcher.h"
#include "unit/ReceiveEngineReplay.h"
#include "widgets/CompassGauge.h"
#include "widgets/LedIndicator.h"
#include "widgets/PictureBox.h"
#include "widgets/TColor.h"

#include <QPlainTextEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <vector>

using namespace zuvo;

namespace {

// The smallest compass digit whose truncated angle is `degrees`.
int digitOf(int degrees) {
    return (degrees * 1024 + 359) / 360;
}

struct Reply {
    int degrees;
    bool reed1;
    bool reed2;
    int reedState;
};

// Reed1 on at 20, Reed2 on at 60, Reed1 off at 110, Reed2 off at 150, and the same again 180
// degrees on: every sector 40 or 50 degrees, the start 20, the end 30.
const std::vector<Reply> kGoodRevolution = {
    {20, true, false, 1},  {60, true, true, 2},  {110, false, true, 3}, {150, false, false, 4},
    {200, true, false, 5}, {240, true, true, 6}, {290, false, true, 7}, {330, false, false, 0},
};

const QStringList kGoodTable = {
    "Anfang: \t\t20° ",     "",
    "Vorlauf1: \t\t40° ",   "Überschneidung1: \t50° ",
    "Nachlauf1: \t40° ",    "",
    "Zwischenraum: \t50° ", "",
    "Vorlauf2: \t\t40° ",   "Überschneidung2: \t50° ",
    "Nachlauf2: \t40° ",    "",
    "Ende : \t\t30° ",
};

class SectorAnalysisTest : public ::testing::Test {
protected:
    template <typename T> T& control(const char* name) {
        T* found = form.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    PictureBox& strip() { return control<PictureBox>("Image4"); }
    PictureBox& marks() { return control<PictureBox>("Image6"); }
    QStringList lines(const char* memo) {
        const QString text = control<QPlainTextEdit>(memo).toPlainText();
        return text.isEmpty() ? QStringList() : text.split('\n');
    }
    QColor ring() { return control<CompassGauge>("AbCompass1").bevelOuterColor(); }
    void setRing(std::uint32_t colour) {
        control<CompassGauge>("AbCompass1").setBevelOuterColor(tcolor(colour));
    }
    QColor memo3Colour() {
        return control<QPlainTextEdit>("Memo3").palette().color(QPalette::Base);
    }

    void play(const std::vector<Reply>& replies) {
        for (const Reply& r : replies) {
            analysis().statusReply(digitOf(r.degrees), r.reed1, r.reed2, r.reedState);
        }
    }
    SectorAnalysis& analysis() { return form.sectorAnalysis(); }

    test::SimulatedLink link;
    TForm1 form;
};

TEST_F(SectorAnalysisTest, ALiveRevolutionLogsItsEdgesAndShowsThePassedCheck) {
    play(kGoodRevolution);

    EXPECT_EQ(lines("Memo1"), QStringList({"An  20", "Aus 110 (90°)  50%  Über:27%",
                                           "An  200 (90°)", "Aus 290 (90°)  50%  Über:27%"}));
    EXPECT_EQ(lines("Memo2"), QStringList({"An  60", "Aus 150 (90°)  50%  Nach:22%",
                                           "An  240 (90°)", "Aus 330 (90°)  50%  Nach:22%"}));
    EXPECT_EQ(lines("Memo3"), kGoodTable);
    EXPECT_EQ(memo3Colour(), tcolor(0xFFFFFF)); // the analysis display is off
    EXPECT_EQ(ring(), tcolor(0x408040));

    // Every A value is marked red, three rows high, in the first three columns.
    const QImage& m = marks().picture();
    const QColor red = tcolor(0x0000FF);
    for (int degrees : {20, 110, 200, 290}) {
        const int row = degrees * 100 / 140;
        for (int y : {row - 1, row, row + 1}) {
            EXPECT_EQ(m.pixelColor(1, y), red) << degrees;
        }
        EXPECT_NE(m.pixelColor(3, row), red) << degrees;
        EXPECT_NE(m.pixelColor(1, row + 3), red) << degrees;
    }

    // The angle marker stands at the last digit (row 234) with its halo.
    const QImage& s = strip().picture();
    EXPECT_EQ(s.pixelColor(5, 234), tcolor(0xFF0000));
    for (int y : {232, 233, 235, 236}) {
        EXPECT_EQ(s.pixelColor(5, y), tcolor(0xFFFF00)) << y;
    }
    EXPECT_EQ(s.pixelColor(5, 100), tcolor(0xFFFFFF));
    // Up to the first reply (20 degrees, row 14) Reed1 was on and Reed2 off; up to the second
    // (60 degrees, row 42) both were on.
    EXPECT_EQ(s.pixelColor(2, 5), tcolor(0x000000));
    EXPECT_EQ(s.pixelColor(8, 5), tcolor(0xFFE0FF));
    EXPECT_EQ(s.pixelColor(8, 20), tcolor(0x000000));
}

TEST_F(SectorAnalysisTest, TheLogLineOfAFallingEdgeWithTheOtherSwitchOn) {
    play({{40, true, false, 1}, {70, true, true, 2}, {100, false, true, 3}});
    EXPECT_EQ(lines("Memo1").last(), "Aus 100 (60°)  33%  Über:16%");
}

TEST_F(SectorAnalysisTest, AnEdgeNearAStoredOneReplacesIt) {
    form.displayState().Reed1Edges = {20, 110, 0, 0};
    form.displayState().PrevReed1 = true;
    form.displayState().PrevWinkelDigit = digitOf(100);
    play({{105, false, false, 4}});
    EXPECT_EQ(form.displayState().Reed1Edges, (EdgeTable{20, 105, 0, 0}));
    EXPECT_EQ(lines("Memo1"), QStringList{"Aus 105"});
}

TEST_F(SectorAnalysisTest, CheckWinkelShowsTableAndVerdict) {
    struct Case {
        const char* name;
        EdgeTable reed1;
        EdgeTable reed2;
        bool analysisOn;
        bool passes;
        QString lead1;
    };
    const Case cases[] = {
        {"in order", {20, 110, 200, 290}, {60, 150, 240, 330}, false, true, "Vorlauf1: \t\t40° "},
        {"turning backwards",
         {290, 200, 110, 20},
         {330, 240, 150, 60},
         true,
         true,
         "Vorlauf1: \t\t40° "},
        {"lead of exactly 15",
         {20, 110, 200, 290},
         {35, 150, 240, 330},
         false,
         false,
         "Vorlauf1: \t\t15° "},
        {"lead of 14",
         {20, 110, 200, 290},
         {34, 150, 240, 330},
         true,
         false,
         "Vorlauf1: \t\t14° !!!!!"},
    };
    for (const Case& c : cases) {
        form.displayState().Reed1Edges = c.reed1;
        form.displayState().Reed2Edges = c.reed2;
        form.link().setSectorAnalysisOn(c.analysisOn);
        EXPECT_EQ(analysis().CheckWinkel(), c.passes) << c.name;
        const QStringList table = lines("Memo3");
        ASSERT_EQ(table.size(), 13) << c.name;
        EXPECT_EQ(table[2], c.lead1) << c.name;
        if (c.passes) {
            EXPECT_EQ(table, kGoodTable) << c.name;
        }
        EXPECT_EQ(ring(), tcolor(c.passes ? 0x408040 : 0x0000FF)) << c.name;
        EXPECT_EQ(memo3Colour(), tcolor(c.analysisOn ? 0xD0F0D0 : 0xFFFFFF)) << c.name;
    }

    // A table with an empty slot leaves every display as it was.
    form.displayState().Reed2Edges = {60, 150, 240, 0};
    control<QPlainTextEdit>("Memo3").setPlainText("earlier");
    setRing(0x404060);
    EXPECT_FALSE(analysis().CheckWinkel());
    EXPECT_EQ(lines("Memo3"), QStringList{"earlier"});
    EXPECT_EQ(ring(), tcolor(0x404060));
}

TEST_F(SectorAnalysisTest, TheWrapEmptiesLogsAndTablesBeforeTheEdgesOfItsReply) {
    play({kGoodRevolution.begin(), kGoodRevolution.begin() + 3});
    ASSERT_FALSE(lines("Memo1").isEmpty());
    ASSERT_FALSE(lines("Memo2").isEmpty());
    analysis().statusReply(1000, false, false, 4);
    analysis().statusReply(10, true, false, 5);
    EXPECT_EQ(lines("Memo1"), QStringList{"An  3"});
    EXPECT_TRUE(lines("Memo2").isEmpty());
    EXPECT_EQ(form.displayState().Reed1Edges, (EdgeTable{3, 0, 0, 0}));
    EXPECT_EQ(form.displayState().Reed2Edges, (EdgeTable{}));
    EXPECT_EQ(ring(), tcolor(0x404060));
}

TEST_F(SectorAnalysisTest, ASkippedReedStateTurnsTheRingRed) {
    struct Case {
        int before;
        int after;
        bool red;
    };
    for (const Case& c : {Case{1, 3, true}, Case{5, 3, true}, Case{7, 0, false}, Case{0, 7, false},
                          Case{2, 3, false}}) {
        form.displayState().ReedState = static_cast<std::uint8_t>(c.before);
        form.displayState().PrevReed1 = false;
        form.displayState().PrevWinkelDigit = digitOf(100);
        setRing(0x404060);
        analysis().statusReply(digitOf(100), true, false, c.after);
        EXPECT_EQ(ring(), tcolor(c.red ? 0x0000FF : 0x404060)) << c.before << "->" << c.after;
        EXPECT_EQ(form.displayState().ReedState, c.after);
    }
}

TEST_F(SectorAnalysisTest, TheSectorStripFollowsTheTurningDirection) {
    const SensorWords words = {57, 171, 313, 427, 569, 683, 825, 939};
    const QColor black = tcolor(0x000000);
    const QColor background = tcolor(0xC0DCC0);
    for (bool clockwise : {true, false}) {
        form.displayState() = DisplayState{};
        form.link().setSectorAnalysisOn(true);
        control<QRadioButton>(clockwise ? "TB" : "BT").setChecked(true);
        analysis().sensorWordsReply(words);

        // Counter-clockwise the even words (rows 14..78) make the first strip and the odd ones
        // (rows 42..106) the second; clockwise the other way round.
        const QImage& s = strip().picture();
        for (int column : {1, 2, 3}) {
            EXPECT_EQ(s.pixelColor(column, 20), clockwise ? background : black) << column;
            EXPECT_EQ(s.pixelColor(column, 90), clockwise ? black : background) << column;
            EXPECT_EQ(s.pixelColor(column, 120), background) << column;
        }
        for (int column : {7, 8, 9}) {
            EXPECT_EQ(s.pixelColor(column, 20), clockwise ? black : background) << column;
            EXPECT_EQ(s.pixelColor(column, 90), clockwise ? background : black) << column;
            EXPECT_EQ(s.pixelColor(column, 120), background) << column;
        }
        EXPECT_EQ(form.displayState().Reed1Edges, (EdgeTable{20, 110, 200, 290}));
        EXPECT_EQ(form.displayState().Reed2Edges, (EdgeTable{60, 150, 240, 330}));
        EXPECT_EQ(lines("Memo3"), kGoodTable);
        EXPECT_EQ(memo3Colour(), tcolor(0xD0F0D0));
        EXPECT_EQ(ring(), tcolor(0x408040));
    }
}

TEST_F(SectorAnalysisTest, TheSectorStripWaitsForItsMoment) {
    struct Case {
        const char* name;
        bool analysisOn;
        int digit;
        bool reed1;
    };
    for (const Case& c :
         {Case{"analysis off", false, 0, false}, Case{"angle far from zero", true, 500, false},
          Case{"a switch on", true, 1000, true}}) {
        form.displayState() = DisplayState{};
        form.link().setSectorAnalysisOn(c.analysisOn);
        control<CompassGauge>("Winkel").setValue(c.digit);
        control<LedIndicator>("Reed1").setChecked(c.reed1);
        strip().setPicture(QImage());
        analysis().sensorWordsReply({57, 171, 313, 427, 569, 683, 825, 939});
        EXPECT_TRUE(strip().picture().isNull()) << c.name;
        EXPECT_EQ(form.displayState().Reed1Edges, (EdgeTable{})) << c.name;
    }
}

// A status reply whose speed field is no hexadecimal still moves the needle and the lamps
// before its decoding stops, though the analysis never sees it; the sector strip goes by what
// the screen shows.
TEST_F(SectorAnalysisTest, TheSectorStripGoesByWhatTheScreenShows) {
    const auto brokenAt = [](std::uint16_t angle) {
        replay::Bytes bytes = replay::statusReply({.angle = angle});
        bytes[9] = 'G'; // first digit of the speed field
        return bytes;
    };
    const replay::Bytes words = replay::sensorWordsReply({57, 171, 313, 427, 569, 683, 825, 939});
    struct Case {
        const char* name;
        std::uint16_t wholeAt;
        std::uint16_t brokenAt;
        bool drawn;
    };
    for (const Case& c : {Case{"needle left the zero zone", 0, 500, false},
                          Case{"needle came back to zero", 500, 10, true}}) {
        form.displayState() = DisplayState{};
        form.link().setSectorAnalysisOn(true);
        form.link().receive(replay::statusReply({.angle = c.wholeAt}));
        form.link().receive(brokenAt(c.brokenAt));
        ASSERT_EQ(control<CompassGauge>("Winkel").value(), c.brokenAt) << c.name;
        ASSERT_EQ(form.displayState().PrevWinkelDigit, c.wholeAt) << c.name;

        strip().setPicture(QImage());
        form.link().receive(words);
        EXPECT_EQ(strip().picture().isNull(), !c.drawn) << c.name;
        const EdgeTable expected = c.drawn ? EdgeTable{20, 110, 200, 290} : EdgeTable{};
        EXPECT_EQ(form.displayState().Reed1Edges, expected) << c.name;
    }
}

TEST_F(SectorAnalysisTest, TheLiveTraceIsHeldWhileTheStripIsShown) {
    form.link().setSectorAnalysisOn(true);
    ASSERT_TRUE(form.link().snapshot().state.SensorCheckPhase); // as the link starts
    analysis().statusReply(100, false, false, 0);               // near zero, both off: held
    const QImage& s = strip().picture();
    for (int column : {1, 8}) {
        EXPECT_EQ(s.pixelColor(column, 10), tcolor(0xFFFFFF)) << column;
    }
    form.link().pollStatusOnly(); // the sensor check is over
    analysis().statusReply(200, false, false, 0);
    EXPECT_EQ(strip().picture().pixelColor(1, 30), tcolor(0xFFE0FF));
}

// Nothing the controller sends draws outside the pictures or stops the analysis from working
// on the next good revolution.
TEST_F(SectorAnalysisTest, BadInputStaysInsideThePictures) {
    const QSize stripSize = strip().size();
    const QSize marksSize = marks().size();
    const QColor red = tcolor(0x0000FF);
    form.link().setSectorAnalysisOn(true);
    const SensorWords badWords[] = {
        {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
        {1024, 1100, 2000, 4000, 8000, 16000, 32000, 65535},
        {512, 512, 512, 512, 512, 512, 512, 512},
        {},
    };
    for (const SensorWords& words : badWords) {
        control<CompassGauge>("Winkel").setValue(0);
        control<LedIndicator>("Reed1").setChecked(false);
        control<LedIndicator>("Reed2").setChecked(false);
        analysis().sensorWordsReply(words);
        EXPECT_EQ(strip().picture().size(), stripSize);
        for (int column : {1, 2, 3, 7, 8, 9}) {
            for (int row = 0; row < stripSize.height(); ++row) {
                ASSERT_NE(strip().picture().pixelColor(column, row), tcolor(0x000000))
                    << "words " << words[0] << " column " << column << " row " << row;
            }
        }
    }
    // Angles beyond a revolution put their marks below the strip: none is visible.
    form.displayState().Reed1Edges = {400, 500, 600, 700};
    form.displayState().Reed2Edges = {450, 550, 650, 750};
    EXPECT_FALSE(analysis().CheckWinkel());
    EXPECT_EQ(marks().picture().size(), marksSize);
    for (int row = 0; row < marksSize.height(); ++row) {
        ASSERT_NE(marks().picture().pixelColor(1, row), red) << row;
    }

    // Digits out of range and jumping, reed states above 7.
    const int digits[] = {0, 1023, 5000, -3, 512, 100000, 1023, 7};
    const int states[] = {9, 200, 8, 300, -1, 7, 255, 1000};
    for (int i = 0; i < 8; ++i) {
        analysis().statusReply(digits[i], i % 2 == 0, i % 3 == 0, states[i]);
        EXPECT_EQ(strip().picture().size(), stripSize);
    }

    // A wrap and a good revolution afterwards pass as ever.
    form.link().setSectorAnalysisOn(false);
    analysis().statusReply(1000, false, false, 0);
    analysis().statusReply(10, false, false, 0);
    play(kGoodRevolution);
    EXPECT_EQ(lines("Memo3"), kGoodTable);
    EXPECT_EQ(ring(), tcolor(0x408040));
}

} // namespace
