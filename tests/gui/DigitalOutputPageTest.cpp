// The Digital Output page: grid buttons, switch positions with their colours, the ruler and
// dropping the current position onto a switch position.

#include "app/pages/DigitalOutputPage.h"
#include "EditorPagesTestFixture.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace zuvo;
using namespace zuvo::test;

namespace {

TEST(DigitalOutputPageTest, EachGridButtonTogglesOnlyItself) {
    EditorPages pages;
    pages.switchPosition(6)->setText("-1"); // greys segments 7..9: their buttons toggle too
    for (int r = 1; r <= 6; ++r) {
        for (int c = 1; c <= 9; ++c) {
            PictureToggleButton* button = pages.grid(r, c);
            const int before = button->value();
            const int others = [&] {
                int sum = 0;
                for (int rr = 1; rr <= 6; ++rr) {
                    for (int cc = 1; cc <= 9; ++cc) {
                        sum += (rr == r && cc == c) ? 0 : pages.grid(rr, cc)->value();
                    }
                }
                return sum;
            }();
            button->click();
            EXPECT_EQ(button->value(), before ^ 1) << r << c;
            int othersAfter = 0;
            for (int rr = 1; rr <= 6; ++rr) {
                for (int cc = 1; cc <= 9; ++cc) {
                    othersAfter += (rr == r && cc == c) ? 0 : pages.grid(rr, cc)->value();
                }
            }
            EXPECT_EQ(othersAfter, others) << r << c;
        }
    }
    EXPECT_EQ(pages.grid(4, 7)->value(), 3);
}

TEST(DigitalOutputPageTest, OutOfOrderPositionTurnsRedAndKeepsItsColour) {
    EditorPages pages;
    pages.switchPosition(1)->setText("300");
    pages.switchPosition(2)->setText("200");
    EXPECT_EQ(EditorPages::background(pages.switchPosition(2)), tcolor(tc::Red));
    pages.switchPosition(1)->setText("100");
    EXPECT_EQ(EditorPages::background(pages.switchPosition(1)), tcolor(tc::White));
    EXPECT_EQ(EditorPages::background(pages.switchPosition(2)), tcolor(tc::Red));
    pages.switchPosition(2)->setText("250");
    EXPECT_EQ(EditorPages::background(pages.switchPosition(2)), tcolor(tc::White));
}

TEST(DigitalOutputPageTest, PositionNotSetGreysTheSegmentsAfterIt) {
    EditorPages pages;
    pages.setSwitchPositions({"100", "200", "300", "400", "500", "600", "700", "800"});
    const auto greyedSegments = [&] {
        QString greyed;
        for (int c = 1; c <= 9; ++c) {
            bool all = true;
            for (int r = 1; r <= 6; ++r) {
                all = all && gridButtonGreyed(pages.grid(r, c)->value());
            }
            greyed += all ? 'x' : '.';
        }
        return greyed;
    };
    EXPECT_EQ(greyedSegments(), ".........");

    pages.switchPosition(3)->setText("-1");
    EXPECT_EQ(EditorPages::background(pages.switchPosition(3)), tcolor(tc::Silver));
    for (int k = 3; k <= 8; ++k) {
        EXPECT_EQ(pages.model.positionStates()[switchPositionEntry(k)], PositionNotSet) << k;
        EXPECT_EQ(pages.model.positionCounts()[switchPositionEntry(k)], -1) << k;
    }
    EXPECT_EQ(pages.switchPosition(4)->text(), "400");
    EXPECT_EQ(greyedSegments(), "...xxxxxx");

    // Only switch position 3 is converted again; 4..8 stay not set until they are edited.
    pages.switchPosition(3)->setText("400");
    EXPECT_EQ(EditorPages::background(pages.switchPosition(3)), tcolor(tc::White));
    EXPECT_EQ(pages.model.positionCounts()[switchPositionEntry(3)], 40960);
    EXPECT_EQ(pages.model.positionCounts()[switchPositionEntry(4)], -1);
    EXPECT_EQ(greyedSegments(), "....xxxxx");
    // A send recomputes every position from its text.
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_EQ(pages.block.SwitchPositionCounts[switchPositionEntry(8)], 81920);
}

TEST(DigitalOutputPageTest, RulerTicksFallOnTheSwitchPositions) {
    EditorPages pages;
    pages.setSwitchPositions({"-1", "500", "1000", "-1", "-1", "-1", "-1", "-1"});
    const QImage& ruler = pages.control<PictureBox>("Image2")->picture();
    ASSERT_EQ(ruler.size(), QSize(450, 25));
    const QRgb black = QColor(Qt::black).rgb();
    const QRgb silver = tcolor(tc::Silver).rgb();
    EXPECT_EQ(ruler.pixel(225, 0), black);
    EXPECT_EQ(ruler.pixel(225, 17), black);
    EXPECT_EQ(ruler.pixel(225, 18), silver);
    EXPECT_EQ(ruler.pixel(224, 5), silver);
    EXPECT_EQ(ruler.pixel(226, 5), silver);
    // 1000 mm is just past the last column; not-set positions land at the start.
    EXPECT_EQ(ruler.pixel(449, 5), silver);
    EXPECT_EQ(ruler.pixel(0, 5), black);

    // A longer stroke moves the ticks at the next redraw.
    pages.ui.Laenge->setText("2000");
    pages.form.digitalOutputPage().PaintL();
    EXPECT_EQ(ruler.pixel(112, 5), black);
    EXPECT_EQ(ruler.pixel(225, 5), black);
    EXPECT_EQ(ruler.pixel(224, 5), silver);
}

class DigitalOutputDropTest : public ::testing::TestWithParam<std::pair<QLocale, QString>> {};

TEST_P(DigitalOutputDropTest, DroppedPositionWithTwoDecimals) {
    EditorPages pages(GetParam().first);
    pages.form.State.PositionMm = 123.456;
    QLineEdit* target = pages.switchPosition(4);

    QMimeData data;
    data.setText(QStringLiteral("anything"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());

    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(target->text(), GetParam().second);
    // The millimetres are cut to 123 before the conversion: 123 * 100 * 1024 div 1000.
    EXPECT_EQ(pages.model.positionCounts()[switchPositionEntry(4)], 12595);
}

INSTANTIATE_TEST_SUITE_P(DecimalCommaAndPoint, DigitalOutputDropTest,
                         ::testing::Values(std::pair{kDecimalComma, QString("123,46")},
                                           std::pair{kDecimalPoint, QString("123.46")}));

TEST(DigitalOutputPageTest, TypedDecimalsAreCutAndEitherMarkIsRead) {
    struct Case {
        const char* text;
        std::int64_t counts; // with 1000 mm and 100 turns
    };
    // A text that is no number is never 0 mm: it counts as not set until it is one.
    const Case cases[] = {
        {"300,75", 30720}, {"300.75", 30720}, {"0,29", 0}, {"", 0},
        {"-1", -1},        {"-0,5", -1},      {"abc", -1}, {"1e3", -1},
    };
    for (const QLocale& locale : {kDecimalComma, kDecimalPoint}) {
        EditorPages pages(locale);
        for (const Case& c : cases) {
            pages.switchPosition(1)->setText("7");
            pages.switchPosition(1)->setText(c.text);
            EXPECT_EQ(pages.model.positionCounts()[switchPositionEntry(1)], c.counts)
                << c.text << " " << locale.name().toStdString();
        }
        pages.switchPosition(1)->setText("0");
        for (const char* hysteresis : {"0,10", "0.10", "0,109"}) {
            pages.control<QLineEdit>("Hysterese")->setText(hysteresis);
            ASSERT_TRUE(pages.form.editorMapping().SetVars());
            EXPECT_EQ(pages.block.Slots[Word::Hysteresis], 10) << hysteresis;
        }
    }
}

TEST(DigitalOutputPageTest, NegativePositionIsNotSetEvenWhereItWouldRoundToZeroCounts) {
    // 5000 mm over one turn: -1 mm is -0.2 counts, which the arithmetic alone would make 0.
    EditorPages pages;
    pages.ui.Laenge->setText("5000");
    pages.ui.Turns->setText("1");
    pages.setSwitchPositions({"1000", "-1", "3000", "4000", "4500", "4600", "4700", "4800"});
    EXPECT_EQ(pages.model.positionStates()[switchPositionEntry(2)], PositionNotSet);
    EXPECT_TRUE(gridButtonGreyed(pages.grid(1, 3)->value()));
    EXPECT_FALSE(gridButtonGreyed(pages.grid(1, 2)->value()));
    ASSERT_TRUE(pages.form.editorMapping().SetVars());
    EXPECT_LT(static_cast<std::int16_t>(pages.block.Slots[Word::SwitchPosition1Counts + 3]), 0);
}

} // namespace
