// The editor mapping: a received block on the pages, the pages back to words, stroke and turns.

#include "EditorPagesTestFixture.h"
#include "widgets/PictureBox.h"

#include <QTest>

#include <array>
#include <gtest/gtest.h>

using namespace zuvo;
using namespace zuvo::test;

namespace {

// A block with every field in use: stroke 1000 mm, 100 turns, analog range 200..800 mm, switch
// positions at 100, 200, .. 800 mm, hysteresis 10 counts (0.1 mm), 100 RPM at the end of the
// gear unit, delays 1.5 s retract and 1.0 s extend, counter-clockwise.
constexpr std::array<std::uint16_t, 37> kFullBlock = {
    0xC000, 1000,   1000,   0x0764, 10,     0x01,   0x03,   0x3F,   0x00,   0x22,
    0x15,   0x2A,   0x10,   0x20,   0x0A0F, 2731,   0x5000, 0x0000, 0x4000, 0x0001,
    0x2800, 0x0000, 0x5000, 0x0000, 0x7800, 0x0000, 0xA000, 0x0000, 0xC800, 0x0000,
    0xF000, 0x0000, 0x1800, 0x0001, 0x4000, 0x0001, 0x8000};

void receive(ParameterBlock& block, std::span<const std::uint16_t> words) {
    std::copy(words.begin(), words.end(), block.Slots.begin());
}

class EditorMappingLocaleTest : public ::testing::TestWithParam<QLocale> {};

TEST_P(EditorMappingLocaleTest, BlockToPagesAndBackGivesTheSameWords) {
    EditorPages pages(GetParam());
    const QChar point = GetParam().decimalPoint().front();
    receive(pages.block, kFullBlock);
    pages.form.editorMapping().ShowReceivedBlock();

    auto& ui = pages.ui;
    EXPECT_EQ(ui.Laenge->text(), "1000");
    EXPECT_EQ(ui.LabelLaength->text(), "1000mm");
    EXPECT_EQ(ui.Turns->text(), "100");
    EXPECT_EQ(ui.AnalogComboBox1->currentText(), "4..20mA");
    EXPECT_EQ(ui.DIG4->currentText(), "PWM : max..0");
    EXPECT_EQ(ui.ISpur->currentText(), "64");
    EXPECT_TRUE(ui.ExtRef->isChecked());
    EXPECT_FALSE(ui.P_EXT->isHidden());
    EXPECT_EQ(ui.AnlaufE->itemIndex(), 1);
    EXPECT_EQ(ui.AnlaufS->itemIndex(), 1);
    EXPECT_EQ(ui.Anlauf1->text(), "100");
    EXPECT_EQ(ui.UpDown3->position(), 100);
    EXPECT_EQ(ui.AnlaufZ1->value(), 15);
    EXPECT_EQ(ui.AnlaufZ2->value(), 10);
    EXPECT_EQ(ui.AnalogPos1->value(), 200);
    EXPECT_EQ(ui.AnalogPos2->value(), 800);
    EXPECT_EQ(ui.Hysterese->text(), QString("0") + point + "1");
    EXPECT_EQ(pages.switchPosition(3)->text(), QString("300") + point + "0");
    EXPECT_EQ(pages.switchPosition(8)->text(), QString("800") + point + "0");
    EXPECT_TRUE(ui.BT->isChecked());
    EXPECT_EQ(pages.grid(6, 9)->value(), 1); // segment 9, mask 0x20
    EXPECT_EQ(pages.grid(1, 9)->value(), 0);

    // A send clears the words first and recomputes them all from the pages.
    pages.block.clearSentWords(StartExtraWordCount);
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    for (std::size_t i = 1; i < kFullBlock.size(); ++i) {
        EXPECT_EQ(pages.block.Slots[i], kFullBlock[i]) << "word " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(DecimalCommaAndPoint, EditorMappingLocaleTest,
                         ::testing::Values(kDecimalComma, kDecimalPoint));

struct FlagsCase {
    std::uint16_t word3;
    const char* analog;
    const char* dig4;
    const char* impulses;
    bool extRef;
    int thrust;
    int sensor;
};

TEST(EditorMappingTest, FunctionFlagsOfAReceivedBlock) {
    const FlagsCase cases[] = {
        {0x07C5, "20..4mA", "Digital Output", "256", true, 1, 1},
        // 3 names no function of output 4: shown as the first item.
        {0x0030, "0..10V", "Digital Output", "32", false, 0, 0},
        {0x0010, "0..10V", "PWM : 0..max", "32", false, 0, 0},
        // 6 and 7 name no analog function: shown as the first item, which reads back as 0.
        {0x0007, "0..10V", "Digital Output", "32", false, 0, 0},
    };
    for (const FlagsCase& c : cases) {
        EditorPages pages;
        pages.block.Slots[Word::Stroke] = 1000;
        pages.block.Slots[Word::GearTurns] = 1000;
        pages.block.Slots[Word::FunctionFlags] = c.word3;
        pages.form.editorMapping().ShowReceivedBlock();
        SCOPED_TRACE(c.word3);
        EXPECT_EQ(pages.ui.AnalogComboBox1->currentText(), c.analog);
        EXPECT_EQ(pages.ui.DIG4->currentText(), c.dig4);
        EXPECT_EQ(pages.ui.ISpur->currentText(), c.impulses);
        EXPECT_EQ(pages.ui.ExtRef->isChecked(), c.extRef);
        EXPECT_EQ(!pages.ui.P_EXT->isHidden(), c.extRef);
        EXPECT_EQ(pages.ui.AnlaufE->itemIndex(), c.thrust);
        EXPECT_EQ(pages.ui.AnlaufS->itemIndex(), c.sensor);
    }
}

TEST(EditorMappingTest, FirstSwitchPositionNotSetGreysAllLaterSegments) {
    EditorPages pages;
    auto& words = pages.block.Slots;
    words[Word::Stroke] = 1000;
    words[Word::GearTurns] = 1000;
    words[20] = 0xFFFF;
    words[21] = 0xFFFF;
    words[22] = 0x7800;
    words[23] = 0x0000;
    pages.form.editorMapping().ShowReceivedBlock();

    EXPECT_EQ(pages.switchPosition(1)->text(), "-1");
    EXPECT_EQ(pages.switchPosition(2)->text(), "300,0");
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(pages.block.SwitchPositionState[switchPositionEntry(k)], PositionNotSet) << k;
    }
    for (int r = 1; r <= 6; ++r) {
        EXPECT_FALSE(gridButtonGreyed(pages.grid(r, 1)->value()));
        for (int c = 2; c <= 9; ++c) {
            EXPECT_TRUE(gridButtonGreyed(pages.grid(r, c)->value())) << r << c;
        }
    }
}

TEST(EditorMappingTest, GridColumnToSegmentMask) {
    EditorPages pages;
    pages.grid(2, 1)->setValue(1);
    pages.grid(6, 1)->setValue(1);
    pages.grid(3, 2)->setValue(3); // greyed, but on: only bit 0 counts
    pages.grid(4, 2)->setValue(2);
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(pages.block.Slots[Word::segmentMask(1)], 0x22);
    EXPECT_EQ(pages.block.Slots[Word::segmentMask(2)], 0x04);
}

TEST(EditorMappingTest, StrokeAndTurnsSpinners) {
    struct Case {
        const char* edit;
        const char* before;
        UpDownDirection direction;
        const char* after;
    };
    const Case cases[] = {
        {"Laenge", "9950", UpDownDirection::Up, "10000"},
        {"Laenge", "1000", UpDownDirection::Up, "1100"},
        {"Laenge", "150", UpDownDirection::Down, "100"},
        {"Laenge", "100", UpDownDirection::Down, "100"},
        {"Turns", "5", UpDownDirection::Down, "5"},
        {"Turns", "99", UpDownDirection::Up, "100"},
        {"Turns", "6000", UpDownDirection::Up, "6000"},
    };
    EditorPages pages;
    for (const Case& c : cases) {
        const bool stroke = QString(c.edit) == "Laenge";
        QLineEdit* edit = stroke ? pages.ui.Laenge : pages.ui.Turns;
        UpDownSpinner* spinner = stroke ? pages.ui.UpDown2 : pages.ui.UpDown1;
        edit->setText(c.before);
        spinner->step(c.direction);
        EXPECT_EQ(edit->text(), c.after) << c.edit << " " << c.before;
    }
    pages.ui.Turns->setText("7000");
    EXPECT_EQ(pages.ui.Turns->text(), "6000");
    // The stroke edit's change reaches the model; the words follow it at the next send.
    pages.ui.Laenge->setText("2500");
    EXPECT_EQ(pages.model.values().strokeMm, 2500);
    EXPECT_EQ(pages.ui.LabelLaength->text(), "2500mm");
    EXPECT_EQ(pages.ui.AnalogPos2->maximum(), 2500);
}

// A stroke typed one key at a time passes through shorter ones ("500" through 5 and 50): the
// track bars and the ruler draw each, but no other value changes, and once the stroke holds the
// analog range again the bars show it whole.
TEST(EditorMappingTest, AStrokeTypedKeyByKeyKeepsTheAnalogRangeAndTheSwitchPositions) {
    EditorPages pages(kDecimalPoint);
    auto& ui = pages.ui;
    ui.AnalogPos2->setValue(800);
    ui.AnalogPos1->setValue(200);
    const QStringList positions = {"100", "200", "400", "600", "-1", "-1", "-1", "-1"};
    pages.setSwitchPositions(positions);
    const QImage& ruler = pages.control<PictureBox>("Image2")->picture();
    const QRgb black = QColor(Qt::black).rgb();
    const auto type = [&ui](const char* stroke) {
        ui.Laenge->selectAll();
        QTest::keyClick(ui.Laenge, Qt::Key_Backspace);
        QTest::keyClicks(ui.Laenge, stroke);
    };

    type("500");
    EXPECT_EQ(ui.LabelLaength->text(), "500mm");
    EXPECT_EQ(ui.AnalogPos2->maximum(), 500);
    EXPECT_EQ(ui.AnalogPos2->value(), 500);
    EXPECT_EQ(ui.AnalogPos1->value(), 200);
    EXPECT_EQ(ui.L_UP->text(), "500 mm");
    EXPECT_EQ(ruler.pixel(360, 5), black) << "400 mm on the 500 mm scale";
    // The switch position beyond the new stroke is kept as typed; a send refuses it.
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(pages.switchPosition(k)->text(), positions[k - 1]) << k;
    }

    type("1000");
    EXPECT_EQ(ui.AnalogPos2->value(), 800);
    EXPECT_EQ(ui.AnalogPos1->value(), 200);
    EXPECT_EQ(ui.L_UP->text(), "800 mm");
    EXPECT_EQ(ruler.pixel(180, 5), black) << "400 mm on the 1000 mm scale";
    EXPECT_NE(ruler.pixel(360, 5), black);
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(pages.block.SwitchPositionCounts[AnalogMaxEntry], 81920); // 800 mm
    EXPECT_EQ(pages.block.SwitchPositionCounts[AnalogMinEntry], 20480); // 200 mm
}

TEST(EditorMappingTest, ReceivedStrokeKeepsTheReceivedSegmentMasks) {
    EditorPages pages;
    pages.setSwitchPositions({"-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1"});
    pages.grid(1, 1)->setValue(1); // the old grid differs from what arrives
    auto& words = pages.block.Slots;
    words[Word::Stroke] = 2000;
    words[Word::GearTurns] = 1000;
    const std::array<std::uint16_t, 9> masks = {0x02, 0x3F, 0x01, 0, 0x10, 0x20, 0x04, 0x08, 0x11};
    for (int c = 1; c <= 9; ++c) {
        words[Word::segmentMask(c)] = masks[c - 1];
    }
    for (std::size_t i = 20; i <= 35; ++i) {
        words[i] = 0xFFFF;
    }
    pages.form.editorMapping().ShowReceivedBlock();

    EXPECT_EQ(pages.ui.Laenge->text(), "2000");
    for (int c = 1; c <= 9; ++c) {
        EXPECT_EQ(words[Word::segmentMask(c)], masks[c - 1]) << c;
        for (int r = 1; r <= 6; ++r) {
            const int expected = ((masks[c - 1] >> (r - 1)) & 1) + (c >= 2 ? 2 : 0);
            EXPECT_EQ(pages.grid(r, c)->value(), expected) << r << c;
        }
    }
}

TEST(EditorMappingTest, ReceivedSensorPositionWinsOverTheRpmRule) {
    // 100 RPM would select the gear unit, but the block says motor axis: the block is kept, and
    // the RPM shown is the one converted for the motor axis.
    EditorPages pages;
    auto& words = pages.block.Slots;
    words[Word::Stroke] = 1000;
    words[Word::GearTurns] = 1000;
    words[Word::ThrustLimitSpeed] = 682;
    pages.form.editorMapping().ShowReceivedBlock();
    EXPECT_EQ(pages.ui.Anlauf1->text(), "100");
    EXPECT_EQ(pages.ui.AnlaufS->itemIndex(), 0);
    EXPECT_EQ(pages.ui.UpDown3->increment(), 50);
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(words[Word::ThrustLimitSpeed], 682);
}

TEST(EditorMappingTest, UnusableStrokeIsMarkedAndRefusedUntilCorrected) {
    EditorPages pages;
    auto& ui = pages.ui;
    ui.Laenge->setText("500");
    ASSERT_EQ(pages.model.values().strokeMm, 500);

    for (const char* text : {"0", "", "-5", "abc", "70000"}) {
        SCOPED_TRACE(text);
        ui.Laenge->setText(text);
        EXPECT_EQ(EditorPages::background(ui.Laenge), tcolor(tc::Red));
        // The last usable stroke stays in force for the pages.
        EXPECT_EQ(ui.LabelLaength->text(), "500mm");
        EXPECT_EQ(ui.AnalogPos2->maximum(), 500);
        const auto before = pages.block.Slots;
        EXPECT_FALSE(pages.form.editorMapping().SetVars());
        EXPECT_EQ(pages.block.Slots, before);
        // A switch position still converts with 500 mm: 250 * 100 * 1024 / 500.
        pages.switchPosition(1)->setText(QString("250,%1").arg(text[0] == '0' ? 1 : 2));
        EXPECT_EQ(pages.model.positionCounts()[switchPositionEntry(1)], 51200);
    }
    ui.Laenge->setText("800");
    EXPECT_EQ(EditorPages::background(ui.Laenge), tcolor(tc::White));
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(pages.block.Slots[Word::Stroke], 800);

    ui.Turns->setText("0");
    EXPECT_EQ(EditorPages::background(ui.Turns), tcolor(tc::Red));
    EXPECT_FALSE(pages.form.editorMapping().SetVars());
    ui.Turns->setText("50");
    EXPECT_EQ(EditorPages::background(ui.Turns), tcolor(tc::White));
    EXPECT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(pages.block.Slots[Word::GearTurns], 500);
}

TEST(EditorMappingTest, ReceivedZeroStrokeAndTenthsOfATurn) {
    EditorPages pages;
    auto& words = pages.block.Slots;
    words[Word::Stroke] = 0;
    words[Word::GearTurns] = 0;
    pages.form.editorMapping().ShowReceivedBlock();
    EXPECT_EQ(words[Word::Stroke], 1);
    EXPECT_EQ(words[Word::GearTurns], 10);
    EXPECT_EQ(pages.ui.Laenge->text(), "1");
    EXPECT_EQ(pages.ui.LabelLaength->text(), "1mm");
    EXPECT_EQ(pages.ui.Turns->text(), "1");

    // A gear word of 5 is half a turn: the turns edit shows 0 and is marked; the positions are
    // shown from the gear word itself, and nothing is sent until the turns are corrected.
    words[Word::Stroke] = 1000;
    words[Word::GearTurns] = 5;
    words[Word::Hysteresis] = 10;
    words[20] = 0x2800; // 10240 counts
    words[21] = 0;
    pages.form.editorMapping().ShowReceivedBlock();
    EXPECT_EQ(pages.ui.Turns->text(), "0");
    EXPECT_EQ(EditorPages::background(pages.ui.Turns), tcolor(tc::Red));
    EXPECT_EQ(pages.switchPosition(1)->text(), "20000,0");
    EXPECT_EQ(pages.ui.Hysterese->text(), "19,5"); // 10 counts of 1000 mm / 0.5 turn
    EXPECT_FALSE(pages.form.editorMapping().SetVars());
}

} // namespace
