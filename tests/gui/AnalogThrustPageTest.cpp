// The analog range bars, the thrust-overload settings and the external reference switch.

#include "EditorPagesTestFixture.h"

#include <gtest/gtest.h>

using namespace zuvo;
using namespace zuvo::test;

namespace {

TEST(AnalogThrustPageTest, RangeBarGeometryAndLabels) {
    EditorPages pages;
    auto& ui = pages.ui;
    ui.AnalogPos2->setValue(800);
    ui.AnalogPos1->setValue(200);
    EXPECT_EQ(ui.AnalogV->height(), 120);
    EXPECT_EQ(ui.AnalogV->y(), 95);
    EXPECT_EQ(ui.AnalogV->width(), 27);
    EXPECT_EQ(ui.L_LP->text(), "200 mm");
    EXPECT_EQ(ui.L_UP->text(), "800 mm");

    // Moving one bar past the other drags the other along.
    ui.AnalogPos1->setValue(900);
    EXPECT_EQ(ui.AnalogPos2->value(), 900);
    EXPECT_EQ(ui.L_UP->text(), "900 mm");
    EXPECT_EQ(ui.AnalogV->height(), 0);
    ui.AnalogPos2->setValue(100);
    EXPECT_EQ(ui.AnalogPos1->value(), 100);
    EXPECT_EQ(ui.L_LP->text(), "100 mm");
    EXPECT_EQ(ui.AnalogV->y(), 235);
}

TEST(AnalogThrustPageTest, ZeroStrokeNeverReachesTheRangeBar) {
    EditorPages pages;
    pages.ui.Laenge->setText("0");
    // The bars keep the last usable stroke as their range, so the scale never divides by 0.
    EXPECT_EQ(pages.ui.AnalogPos2->maximum(), 1000);
    pages.ui.AnalogPos2->setValue(500);
    EXPECT_EQ(pages.ui.AnalogV->height(), 100);
}

TEST(AnalogThrustPageTest, RpmSelectsTheSensorPositionAndTheSpinnerStep) {
    struct Case {
        const char* rpm;
        int sensorItem;
        int step;
    };
    const Case cases[] = {{"120", 1, 1},   {"150", 0, 50}, {"149", 1, 1},
                          {"3000", 0, 50}, {"abc", 1, 1},  {"", 1, 1}};
    EditorPages pages;
    for (const Case& c : cases) {
        pages.ui.Anlauf1->setText("1400");
        pages.ui.Anlauf1->setText(c.rpm);
        EXPECT_EQ(pages.ui.AnlaufS->itemIndex(), c.sensorItem) << c.rpm;
        EXPECT_EQ(pages.ui.UpDown3->increment(), c.step) << c.rpm;
    }
    // The spinner steps the RPM edit by that step.
    pages.ui.Anlauf1->setText("120");
    pages.ui.UpDown3->step(UpDownDirection::Up);
    EXPECT_EQ(pages.ui.Anlauf1->text(), "121");
    // Not a number sends speed 0.
    pages.ui.Anlauf1->setText("fast");
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(pages.block.Slots[Word::ThrustLimitSpeed], 0);
}

TEST(AnalogThrustPageTest, RushInDelayLabelsRoundDifferently) {
    struct Case {
        int position;
        const char* retract; // Label19: up to 3 significant digits
        const char* extend;  // Label20: 1 significant digit first
    };
    const Case cases[] = {{3, "0.3s", "0.3s"},  {9, "0.9s", "0.9s"},  {10, "1.0s", "1.0s"},
                          {12, "1.2s", "1.0s"}, {15, "1.5s", "2.0s"}, {27, "2.7s", "3.0s"},
                          {30, "3.0s", "3.0s"}};
    EditorPages pages(kDecimalPoint);
    for (const Case& c : cases) {
        pages.ui.AnlaufZ1->setValue(c.position == 3 ? 4 : 3);
        pages.ui.AnlaufZ2->setValue(c.position == 3 ? 4 : 3);
        pages.ui.AnlaufZ1->setValue(c.position);
        pages.ui.AnlaufZ2->setValue(c.position);
        EXPECT_EQ(pages.ui.Label19->text(), c.retract) << c.position;
        EXPECT_EQ(pages.ui.Label20->text(), c.extend) << c.position;
    }
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(pages.block.Slots[Word::RushInDelays], 0x1E1E);
}

TEST(AnalogThrustPageTest, RushInDelayLabelsUseTheDesktopSeparator) {
    EditorPages pages(kDecimalComma);
    pages.ui.AnlaufZ1->setValue(15);
    pages.ui.AnlaufZ2->setValue(15);
    EXPECT_EQ(pages.ui.Label19->text(), "1,5s");
    EXPECT_EQ(pages.ui.Label20->text(), "2,0s");
}

TEST(AnalogThrustPageTest, ExternalReferenceCoversAnUnsetFirstPosition) {
    EditorPages pages;
    auto& ui = pages.ui;
    ui.ExtRef->setChecked(true);
    EXPECT_FALSE(ui.P_EXT->isHidden());
    pages.switchPosition(1)->setText("-1");
    ui.ExtRef->setChecked(false);
    EXPECT_TRUE(ui.P_EXT->isHidden());
    EXPECT_EQ(pages.switchPosition(1)->text(), "0");
    EXPECT_EQ(pages.model.positionStates()[switchPositionEntry(1)], PositionSet);
    // A set position is left alone.
    pages.switchPosition(1)->setText("12,5");
    ui.ExtRef->setChecked(true);
    EXPECT_EQ(pages.switchPosition(1)->text(), "12,5");
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(pages.block.Slots[Word::FunctionFlags] & 0x100, 0x100);
}

} // namespace
