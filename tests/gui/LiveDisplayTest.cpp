// What the window shows of a status reply: lamps, zone picture, compasses, bars, the memory
// highlight and the revolution indicators, driven by frames from the simulated controller.

#include "ReceiveLink.h"
#include "app/ServiceMode.h"
#include "widgets/BevelPanel.h"
#include "widgets/CompassGauge.h"
#include "widgets/GradientBar.h"
#include "widgets/LedIndicator.h"
#include "widgets/PictureBox.h"
#include "widgets/ProgressFill.h"
#include "widgets/TColor.h"
#include "widgets/ValueIndicator.h"

#include <QLabel>
#include <QLineEdit>

using namespace zuvo;
using namespace zuvo::test;

namespace {

class LiveDisplayTest : public ReceiveLinkTest {
protected:
    void setStroke(const char* turns, const char* laenge) {
        control<QLineEdit>("Turns")->setText(turns);
        control<QLineEdit>("Laenge")->setText(laenge);
    }
    bool led(const char* name) { return control<LedIndicator>(name)->isChecked(); }
};

TEST_F(LiveDisplayTest, StatusByteDrivesTheWarningAndReedLamps) {
    struct Case {
        std::uint8_t status;
        bool adj;
        std::uint32_t adjOnColour;
        bool reed1;
        bool reed2;
    };
    const Case cases[] = {
        {0xC3, false, 0x000080, true, true},  {0x20, true, 0x800080, false, false},
        {0x10, true, 0x000080, false, false}, {0x30, true, 0x800080, false, false},
        {0x80, false, 0x000080, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.status));
        ASSERT_TRUE(sendStatus(StatusFields().status(c.status)));
        EXPECT_EQ(led("ADJ"), c.adj);
        EXPECT_EQ(control<LedIndicator>("ADJ")->colorOn(), tcolor(c.adjOnColour));
        EXPECT_EQ(led("Reed1"), c.reed1);
        EXPECT_EQ(led("Reed2"), c.reed2);
    }
}

TEST_F(LiveDisplayTest, ZonePictureIsDrawnForANewValidZoneOnly) {
    ASSERT_TRUE(sendStatus(StatusFields().status(0xC3)));
    EXPECT_EQ(seen().state.ZoneIndex, 3);
    const QImage& picture = control<PictureBox>("Image1")->picture();
    ASSERT_FALSE(picture.isNull());
    const QColor zone = tcolor(0x80FFFF);
    const QColor background = tcolor(0xC0C0C0);
    EXPECT_EQ(picture.pixelColor(150, 0), zone);
    EXPECT_EQ(picture.pixelColor(198, 167), zone);
    EXPECT_EQ(picture.pixelColor(149, 10), background);
    EXPECT_EQ(picture.pixelColor(199, 10), background);
    EXPECT_EQ(picture.pixelColor(170, 168), background);
    EXPECT_EQ(picture.pixelColor(0, 0), background);

    // The same zone again, or one of 9..15, leaves the picture alone.
    QImage& canvas = control<PictureBox>("Image1")->canvas();
    canvas.setPixelColor(10, 10, Qt::black);
    for (std::uint8_t status : {std::uint8_t{0x03}, std::uint8_t{0x09}, std::uint8_t{0x0F}}) {
        ASSERT_TRUE(sendStatus(StatusFields().status(status)));
        EXPECT_EQ(seen().state.ZoneIndex, 3);
        EXPECT_EQ(control<PictureBox>("Image1")->picture().pixelColor(10, 10), QColor(Qt::black));
    }
    ASSERT_TRUE(sendStatus(StatusFields().status(0x00)));
    EXPECT_EQ(control<PictureBox>("Image1")->picture().pixelColor(10, 10), zone);
}

TEST_F(LiveDisplayTest, ReedStateAngleAndSpeedTexts) {
    ASSERT_TRUE(sendStatus(StatusFields().reedState(4).angle(0xFD55).speed(700)));
    EXPECT_EQ(control<QLabel>("Label11")->text(), "4");
    EXPECT_DOUBLE_EQ(control<CompassGauge>("AbCompass1")->degrees(), 180.0);
    EXPECT_DOUBLE_EQ(control<CompassGauge>("Winkel")->value(), 0x155); // low 10 bits
    EXPECT_EQ(control<QLabel>("Label18")->text(), "410 RPM ");
}

TEST_F(LiveDisplayTest, InputLampsAndTheMemoryHighlight) {
    setStroke("100", "100"); // one count is below a hundredth of a millimetre
    form.displayState().MemoryPositionCounts = 51200; // 50.00mm
    struct Case {
        std::uint32_t position;
        std::uint8_t inputs;
        std::array<bool, 6> leds; // AbLED2..AbLED7
        std::uint32_t bevel;
    };
    const Case cases[] = {
        {0, 0x10, {false, false, false, false, false, false}, tc::ButtonFace},
        {0, 0x00, {false, false, false, false, true, false}, tc::ButtonFace},
        {0, 0x2F, {true, true, true, true, true, true}, tc::ButtonFace},
        {51200, 0x10, {false, false, false, false, false, false}, 0xC0DCC0},
        {51200, 0x50, {false, false, false, false, false, false}, 0x8080FF},
        {51201, 0x10, {false, false, false, false, false, false}, 0xC0DCC0}, // same text
        {0, 0x40, {false, false, false, false, true, false}, 0x8080FF},
    };
    const char* names[] = {"AbLED2", "AbLED3", "AbLED4", "AbLED5", "AbLED6", "AbLED7"};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "P=" << c.position << " I=" << int(c.inputs));
        ASSERT_TRUE(sendStatus(StatusFields().position(c.position).inputs(c.inputs)));
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(led(names[i]), c.leds[static_cast<std::size_t>(i)]) << names[i];
        }
        EXPECT_EQ(control<BevelPanel>("AbPanel1")->innerBevelColor(), tcolor(c.bevel));
    }
}

TEST_F(LiveDisplayTest, StrokeBars) {
    setStroke("100", "1000");
    const int full = control<QWidget>("Image2")->width();
    struct Case {
        std::int32_t position;
        int percent;
        int barWidth;
    };
    const Case cases[] = {
        {153600, 100, full},   // r = 1.5, past the set stroke
        {51200, 50, full / 2}, // r = 0.5
        {1024, 1, full / 100}, // r = 0.01
        {-1024, 0, 0},         // below zero
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        ASSERT_TRUE(sendStatus(StatusFields().position(static_cast<std::uint32_t>(c.position))));
        EXPECT_EQ(control<ProgressFill>("ABSPos")->percent(), c.percent);
        EXPECT_EQ(control<GradientBar>("AbGradient2")->width(), c.barWidth);
    }
    // Without valid turns the fraction is 0.
    setStroke("0", "1000");
    ASSERT_TRUE(sendStatus(StatusFields().position(51200)));
    EXPECT_EQ(control<GradientBar>("AbGradient2")->width(), 0);
    EXPECT_EQ(control<QLabel>("APos")->text(), "0.00mm");
}

TEST_F(LiveDisplayTest, LongReplyShowsTheRevolutionIndicatorsOnlyInServiceMode) {
    auto* revolutions = control<ValueIndicator>("AbValueInd1");
    auto* turnCount = control<ValueIndicator>("AbValueInd2");
    const auto reply =
        StatusFields().position(static_cast<std::uint32_t>(-5000)).turnCount(0x0123).inputs(0x11);
    ASSERT_TRUE(sendStatus(reply));
    EXPECT_TRUE(revolutions->isHidden());
    EXPECT_TRUE(turnCount->isHidden());
    EXPECT_TRUE(led("AbLED2")); // inputs at offset 25 in the long form

    form.serviceMode().setOn(true);
    ASSERT_TRUE(sendStatus(reply));
    EXPECT_FALSE(revolutions->isHidden());
    EXPECT_FALSE(turnCount->isHidden());
    EXPECT_DOUBLE_EQ(revolutions->value(), -5.0); // shifted arithmetically
    EXPECT_DOUBLE_EQ(turnCount->value(), 0x0123);

    // A short reply keeps them shown and still gives its inputs.
    ASSERT_TRUE(sendStatus(StatusFields().position(2048).inputs(0x12)));
    EXPECT_DOUBLE_EQ(revolutions->value(), 2.0);
    EXPECT_TRUE(led("AbLED3"));
}

} // namespace
