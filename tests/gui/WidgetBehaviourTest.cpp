// Behaviours of the display widgets that handlers rely on.

#include "widgets/CompassGauge.h"
#include "widgets/FormatFloat.h"
#include "widgets/GradientBar.h"
#include "widgets/LedIndicator.h"
#include "widgets/OnOffPictures.h"
#include "widgets/PictureBox.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/ProgressFill.h"
#include "widgets/RadioGroup.h"
#include "widgets/TColor.h"
#include "widgets/UpDownSpinner.h"
#include "widgets/ValueIndicator.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace zuvo;

namespace {

TEST(WidgetColour, TColorHasBlueInTheHighByte) {
    EXPECT_EQ(tcolor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(tcolor(0x800000), QColor(0, 0, 128));
    EXPECT_EQ(tcolor(0x0080FF), QColor(255, 128, 0));
    EXPECT_EQ(tcolor(0xC0DCC0), QColor(192, 220, 192));
    EXPECT_EQ(tcolor(0x8080FF), QColor(255, 128, 128));
    EXPECT_EQ(tcolor(tc::ButtonFace), QApplication::palette().color(QPalette::Button));
}

TEST(WidgetFormat, PicturesOfTheGauges) {
    struct Case {
        const char* pattern;
        double value;
        QChar point;
        const char* text;
    };
    const Case cases[] = {
        {"##0.0°;-##0.0°", 180, '.', "180.0°"},
        {"##0.0°;-##0.0°", 0.35, '.', "0.4°"},
        {"##0.0°;-##0.0°", -12.34, '.', "-12.3°"},
        {"##0.0°;-##0.0°", 359.96, ',', "360,0°"},
        {"###0", 12.5, '.', "13"},
        {"###0", -3, '.', "-3"},
        {"###0", 0, '.', "0"},
        {"0;-0", -45.2, '.', "-45"},
        {"0.00", 0.5, ',', "0,50"},
        {"#.##", 0.5, '.', ".5"},
        {"0;-0;zero", 0.2, '.', "zero"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatFloat(c.pattern, c.value, c.point), QString::fromUtf8(c.text))
            << c.pattern << " " << c.value;
    }
}

TEST(WidgetCompass, RawValueMapsToDegrees) {
    CompassGauge sensor;
    sensor.setFullScale(1024);
    sensor.setValueFormat(QString::fromUtf8("##0.0°;-##0.0°"));
    sensor.setUnit(QString::fromUtf8("°"));
    for (auto [raw, text] :
         {std::pair{0, "0.0°"}, {256, "90.0°"}, {1023, "359.6°"}, {1024, "360.0°"}}) {
        sensor.setValue(raw);
        EXPECT_EQ(sensor.valueText(), QString::fromUtf8(text)) << raw;
    }
    CompassGauge reed; // full scale 360 by default; the unit is appended to a bare format
    reed.setValueFormat("0;-0");
    reed.setUnit(QString::fromUtf8("°"));
    reed.setValue(180);
    EXPECT_EQ(reed.valueText(), QString::fromUtf8("180°"));
    reed.setFullScale(0); // refused: it would divide by zero
    EXPECT_EQ(reed.degrees(), 180);
}

TEST(WidgetRadioGroup, EveryChangeOfTheItemIsReportedOnce) {
    RadioGroup group;
    group.setItems({"directly on motor axis", "end of gear unit"});
    group.resize(177, 61);
    QSignalSpy changes(&group, &RadioGroup::itemIndexChanged);

    group.setItemIndex(1); // by the program
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.takeFirst().at(0).toInt(), 1);
    group.setItemIndex(1); // no change, no report
    EXPECT_EQ(changes.size(), 0);

    group.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&group));
    const auto buttons = group.findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 2);
    QTest::mouseClick(buttons[0], Qt::LeftButton); // by the user
    EXPECT_EQ(group.itemIndex(), 0);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.takeFirst().at(0).toInt(), 0);
    QTest::mouseClick(buttons[0], Qt::LeftButton); // the selected one stays selected
    EXPECT_TRUE(buttons[0]->isChecked());
    EXPECT_EQ(changes.size(), 0);

    group.setItemIndex(5); // out of range clears the selection
    EXPECT_EQ(group.itemIndex(), -1);
    EXPECT_FALSE(buttons[0]->isChecked());
    EXPECT_EQ(changes.size(), 1);
}

class SpinnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        spinner.setMinimum(2);
        spinner.setMaximum(3600);
        spinner.setIncrement(50);
        spinner.setPosition(1400);
        spinner.setThousands(false);
        spinner.setAssociate(&edit);
        edit.setText("1400");
        QObject::connect(&spinner, &UpDownSpinner::changing,
                         [this](bool* allow, int newValue, UpDownDirection direction) {
                             proposals.push_back({newValue, direction});
                             *allow = allowSteps;
                         });
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    UpDownSpinner spinner;
    QLineEdit edit;
    std::vector<std::pair<int, UpDownDirection>> proposals;
    bool allowSteps = true;
};

TEST_F(SpinnerTest, ARefusedStepChangesNothing) {
    allowSteps = false;
    EXPECT_FALSE(spinner.step(UpDownDirection::Up));
    ASSERT_EQ(proposals.size(), 1u);
    EXPECT_EQ(proposals[0], std::pair(1450, UpDownDirection::Up));
    EXPECT_EQ(spinner.position(), 1400);
    EXPECT_EQ(edit.text(), "1400");
}

TEST_F(SpinnerTest, StepsFromTheTypedNumberAndWritesItBack) {
    QLocale::setDefault(QLocale(QLocale::German)); // '.' groups thousands there
    edit.setText("120");
    EXPECT_TRUE(spinner.step(UpDownDirection::Down));
    EXPECT_EQ(proposals.back(), std::pair(70, UpDownDirection::Down));
    EXPECT_EQ(spinner.position(), 70);
    EXPECT_EQ(edit.text(), "70");

    edit.setText("3000");
    spinner.step(UpDownDirection::Up);
    EXPECT_EQ(edit.text(), "3050"); // no thousands separator while `thousands` is off
    spinner.setThousands(true);
    spinner.step(UpDownDirection::Up);
    EXPECT_EQ(edit.text(), "3.100");
    spinner.step(UpDownDirection::Up); // the grouped text reads back as a number
    EXPECT_EQ(spinner.position(), 3150);
}

TEST_F(SpinnerTest, AStepAgainstALimitStillTellsItsDirection) {
    edit.setText("3600");
    spinner.step(UpDownDirection::Up);
    EXPECT_EQ(proposals.back(), std::pair(3650, UpDownDirection::Up));
    EXPECT_EQ(spinner.position(), 3600); // the taken step is clamped
    EXPECT_EQ(edit.text(), "3600");
}

TEST_F(SpinnerTest, ArrowsStepUpAndDown) {
    spinner.resize(16, 21);
    spinner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&spinner));
    QTest::mouseClick(&spinner, Qt::LeftButton, {}, QPoint(8, 3));
    QTest::mouseClick(&spinner, Qt::LeftButton, {}, QPoint(8, 3));
    QTest::mouseClick(&spinner, Qt::LeftButton, {}, QPoint(8, 18));
    ASSERT_EQ(proposals.size(), 3u);
    EXPECT_EQ(proposals[0].second, UpDownDirection::Up);
    EXPECT_EQ(proposals[2].second, UpDownDirection::Down);
    EXPECT_EQ(spinner.position(), 1450);
}

// Counts the paints a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

TEST(WidgetSetters, AnUnchangedValueCostsNoRepaintAndAChangedOneRepaints) {
    struct Case {
        const char* name;
        std::function<QWidget*()> make;
        std::function<void(QWidget*)> setSame;
        std::function<void(QWidget*)> setOther;
    };
    const Case cases[] = {
        {"LED", [] { return new LedIndicator; },
         [](QWidget* w) { static_cast<LedIndicator*>(w)->setChecked(false); },
         [](QWidget* w) { static_cast<LedIndicator*>(w)->setChecked(true); }},
        {"compass", [] { return new CompassGauge; },
         [](QWidget* w) { static_cast<CompassGauge*>(w)->setValue(0); },
         [](QWidget* w) { static_cast<CompassGauge*>(w)->setValue(90); }},
        {"value", [] { return new ValueIndicator; },
         [](QWidget* w) { static_cast<ValueIndicator*>(w)->setValue(0); },
         [](QWidget* w) { static_cast<ValueIndicator*>(w)->setValue(7); }},
        {"fill", [] { return new ProgressFill; },
         [](QWidget* w) { static_cast<ProgressFill*>(w)->setPercent(-5); }, // clamps to 0
         [](QWidget* w) { static_cast<ProgressFill*>(w)->setPercent(50); }},
        {"grid button", [] { return new PictureToggleButton; },
         [](QWidget* w) { static_cast<PictureToggleButton*>(w)->setValue(0); },
         [](QWidget* w) { static_cast<PictureToggleButton*>(w)->setValue(1); }},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QWidget> widget(c.make());
        widget->resize(60, 60);
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
        QApplication::processEvents();
        PaintCounter counter;
        widget->installEventFilter(&counter);
        c.setSame(widget.get());
        QApplication::processEvents();
        EXPECT_EQ(counter.paints, 0) << c.name;
        c.setOther(widget.get());
        QTRY_VERIFY2(counter.paints > 0, c.name);
    }
}

TEST(WidgetProgressFill, FillsFromTheBottomWithinItsBevel) {
    ProgressFill fill;
    fill.resize(16, 252);
    fill.setPercent(50);
    EXPECT_EQ(fill.fillRect(), QRect(1, 126, 14, 125));
    fill.setPercent(150);
    EXPECT_EQ(fill.percent(), 100);
    EXPECT_EQ(fill.fillRect(), QRect(1, 1, 14, 250));
    fill.setPercent(0);
    EXPECT_TRUE(fill.fillRect().isEmpty());
}

TEST(WidgetLed, LampSitsBesideOrBelowTheCaption) {
    LedIndicator led;
    led.resize(135, 59);
    led.setShape(LedIndicator::Shape::Square);
    led.setLedSize({40, 40});
    led.setPlacement(LedIndicator::Placement::Below);
    EXPECT_EQ(led.ledRect(), QRect(47, 19, 40, 40));
    led.setPlacement(LedIndicator::Placement::Left);
    EXPECT_EQ(led.ledRect(), QRect(0, 9, 40, 40));
    led.setColorOn(QColor(128, 0, 0));
    led.setColorOff(QColor(1, 2, 3));
    EXPECT_EQ(led.currentColor(), QColor(1, 2, 3));
    led.setChecked(true);
    EXPECT_EQ(led.currentColor(), QColor(128, 0, 0));
}

TEST(WidgetGridButton, ValueChoosesThePicture) {
    const auto& pictures = onOffPictures();
    ASSERT_EQ(pictures.size(), 2);
    EXPECT_EQ(pictures[0].size(), QSize(48, 18));
    EXPECT_EQ(pictures[0].pixelColor(0, 0), QColor(192, 192, 192)); // grey ground of "OFF"
    EXPECT_EQ(pictures[1].pixelColor(0, 0).green(), 160);           // green "ON"
    auto countRed = [](const QImage& image) {
        int red = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        }
        return red;
    };
    EXPECT_GT(countRed(pictures[0]), 10); // the letters are red

    PictureToggleButton button;
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    for (auto [value, index] : {std::pair{0, 0}, {1, 1}, {2, -1}, {3, -1}}) {
        button.setValue(value);
        EXPECT_EQ(button.pictureIndex(), index) << value;
    }
    button.resize(50, 22);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(button.value(), 3); // a click only reports; the handler sets the value
}

TEST(WidgetPicture, TransparentPictureLetsTheGroundThrough) {
    QWidget ground;
    ground.resize(20, 10);
    ground.setAutoFillBackground(true);
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 255));
    ground.setPalette(palette);
    auto* picture = new PictureBox(&ground);
    picture->setGeometry(0, 0, 20, 10);
    picture->canvas().fill(QColor(192, 192, 192)); // the key colour (bottom-left pixel)
    picture->canvas().setPixelColor(5, 5, QColor(0, 0, 0));
    picture->setTransparent(true);
    const QImage shot = ground.grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(0, 0, 0));
    picture->setTransparent(false);
    EXPECT_EQ(ground.grab().toImage().pixelColor(1, 1), QColor(192, 192, 192));

    // With a fixed key, drawing over the bottom-left pixel does not hide the drawing.
    picture->canvas().fill(QColor(255, 255, 255));
    picture->canvas().setPixelColor(0, 9, QColor(255, 0, 0));
    picture->canvas().setPixelColor(5, 5, QColor(255, 0, 0));
    picture->setTransparentColor(QColor(255, 255, 255));
    picture->setTransparent(true);
    const QImage keyed = ground.grab().toImage();
    EXPECT_EQ(keyed.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(keyed.pixelColor(1, 1), QColor(0, 0, 255));
}

} // namespace
