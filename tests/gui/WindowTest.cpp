// The main window as a user meets it at start, its views and its own gestures.

#include "app/TForm1.h"
#include "widgets/CompassGauge.h"
#include "widgets/LedIndicator.h"
#include "widgets/PictureBox.h"
#include "widgets/RadioGroup.h"
#include "widgets/UpDownSpinner.h"
#include "widgets/ValueIndicator.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace zuvo;
using namespace std::chrono_literals;

namespace {

class WindowTest : public ::testing::Test {
protected:
    template <typename T = QWidget> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    TForm1 form;
};

struct Place {
    const char* name;
    QRect geometry;
};

TEST_F(WindowTest, CaptionClientSizeAndFont) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.windowTitle(), "ZUVO Setup Tool  V1.8.4");
    const int statusHeight = control<QStatusBar>("StatusBar1")->height();
    const QWidget* client = control("ClientArea");
    EXPECT_EQ(client->width(), 762);
    EXPECT_EQ(client->height() + statusHeight, 467);
    EXPECT_EQ(statusHeight, 19);
    EXPECT_EQ(form.font().family(), "Liberation Sans");
    EXPECT_EQ(form.font().pointSize(), 8);
}

TEST_F(WindowTest, ControlsSitWhereTheLayoutPutsThem) {
    const Place places[] = {
        {"AbLED1", {5, 3, 124, 20}},          {"PageControl1", {16, 29, 625, 380}},
        {"AbPanel1", {650, 48, 104, 38}},     {"APos", {7, 7, 90, 24}},
        {"ABSPos", {692, 97, 16, 252}},       {"Panel1", {17, 409, 624, 39}},
        {"Image3", {3, 3, 152, 35}},          {"SaveParam", {416, 6, 177, 27}},
        {"Winkel", {229, 8, 137, 129}},       {"ADJ", {229, 202, 135, 59}},
        {"AbCompass1", {448, 125, 113, 113}}, {"Image6", {593, 32, 4, 256}},
        {"DOPos8", {461, 226, 50, 21}},       {"P_EXT", {113, 227, 47, 19}},
        {"AnalogV", {256, 55, 27, 200}},      {"Kali_10V", {61, 37, 14, 211}},
        {"AnlaufS", {240, 40, 177, 61}},      {"UpDown3", {253, 150, 16, 21}},
        {"Memo3", {770, 247, 167, 194}},      {"GroupBox2", {240, 160, 257, 73}},
        {"Button5", {168, 16, 75, 25}},       {"Bevel9", {486, 34, 2, 200}},
        {"Memo4", {11, 8, 190, 337}},
    };
    for (const Place& place : places) {
        const QWidget* widget = control(place.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), place.geometry) << place.name;
    }
    // Labels keep their corner and take the width of their text.
    EXPECT_EQ(control("LMDLabel1")->pos(), QPoint(575, 6));
    EXPECT_EQ(control("Label5")->pos(), QPoint(663, 29));
    // Switch grid: output r in row 196 - 32(r-1), segment c in column 87 + 50(c-1).
    for (int r = 1; r <= 6; ++r) {
        for (int c = 1; c <= 9; ++c) {
            const QByteArray name = QStringLiteral("D%1%2").arg(r).arg(c).toLatin1();
            const QWidget* button = control(name.constData());
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->geometry(), QRect(87 + 50 * (c - 1), 196 - 32 * (r - 1), 50, 22))
                << name.constData();
        }
    }
}

TEST_F(WindowTest, LabelsGrowWithTheirLiveText) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    struct Change {
        const char* name;
        const char* text;
    };
    for (const Change& c : {Change{"Label18", "3600 RPM "}, Change{"L_UP", "10000 mm"},
                            Change{"Label11", "7"}, Change{"VersionA", "V12.345"}}) {
        auto* label = control<QLabel>(c.name);
        ASSERT_NE(label, nullptr);
        const QPoint corner = label->pos();
        label->show();
        label->setText(c.text);
        const int needed = label->fontMetrics().horizontalAdvance(c.text);
        QTRY_VERIFY2(label->width() >= needed, c.name);
        EXPECT_EQ(label->pos(), corner) << c.name;
    }
}

TEST_F(WindowTest, StatusTextSurvivesMenuHover) {
    auto* status = control<QStatusBar>("StatusBar1");
    status->showMessage("ComPort not available");
    QStatusTipEvent tip{QString()}; // what a hovered menu item sends
    QApplication::sendEvent(&form, &tip);
    EXPECT_EQ(status->currentMessage(), "ComPort not available");
}

TEST_F(WindowTest, PagesInOrderWithTheTestValuesTabHidden) {
    auto* pages = control<QTabWidget>("PageControl1");
    const QStringList names{"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet5", "TabSheet4"};
    const QStringList captions{"Cylinder Settings", "Digital Output Configuration",
                               "Analog Output Configuration", "Thrust Overload", "Test-Values"};
    ASSERT_EQ(pages->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), names[i]);
        EXPECT_EQ(pages->tabText(i), captions[i]);
        EXPECT_EQ(pages->isTabVisible(i), i != 4) << i;
    }
    EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(WindowTest, MenuItemsAndTheirStartVisibility) {
    struct Item {
        const char* name;
        const char* caption;
        bool visible;
    };
    const Item items[] = {
        {"Comport2", "COM-Port", true},
        {"FlashUpdate1", "Flash Update", false},
        {"GetPosition1", "Memory Position (old Module)", false},
        {"SetPosiotn1", "Set Position (new/spare Module)", false},
        {"ReadfromINIFile1", "Read from File", true},
        {"Save1", "Save to File", true},
    };
    for (const Item& item : items) {
        const QAction* action = control<QAction>(item.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), item.caption);
        EXPECT_EQ(action->isVisible(), item.visible) << item.name;
    }
    EXPECT_EQ(control<QMenu>("Setup1")->title(), "Setup");
    EXPECT_EQ(control<QMenu>("Values1")->title(), "Values");
    EXPECT_EQ(form.menuBar()->objectName(), "MainMenu1");
}

TEST_F(WindowTest, PollTimerKeepsItsDesignIntervalAndWaitsToBeArmed) {
    EXPECT_EQ(form.Timer2.objectName(), "Timer2");
    EXPECT_EQ(form.Timer2.interval(), 2000);
    EXPECT_EQ(form.Timer2.timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(form.Timer2.isActive());
    EXPECT_FALSE(form.Timer2.isSingleShot());
}

TEST_F(WindowTest, FileDialogsFilterTheirFileKinds) {
    struct Dialog {
        QFileDialog* dialog;
        QFileDialog::AcceptMode mode;
        const char* filter;
        const char* suffix;
    };
    const Dialog dialogs[] = {
        {form.OpenDialog1, QFileDialog::AcceptOpen, "Zuvo data file (*.ZDF)", "ZDF"},
        {form.SaveDialog1, QFileDialog::AcceptSave, "Zuvo data file (*.ZDF)", "ZDF"},
        {form.OpenDialog2, QFileDialog::AcceptOpen, "BIN-Dateien (*.BIN)", "BIN"},
    };
    for (const Dialog& d : dialogs) {
        EXPECT_EQ(d.dialog->acceptMode(), d.mode);
        EXPECT_EQ(d.dialog->nameFilters(), QStringList{d.filter});
        EXPECT_EQ(d.dialog->defaultSuffix(), d.suffix);
        EXPECT_EQ(d.dialog->directory().absolutePath(), QDir::current().absolutePath());
    }
}

TEST_F(WindowTest, ControlsStartWithTheirCaptionsItemsAndValues) {
    EXPECT_EQ(control<QLineEdit>("Laenge")->text(), "1000");
    EXPECT_EQ(control<QLineEdit>("Turns")->text(), "100");
    EXPECT_EQ(control<QLineEdit>("Anlauf1")->text(), "1400");
    EXPECT_EQ(control<QLineEdit>("DOPos1")->text(), "0,00");
    EXPECT_EQ(control<QLineEdit>("Hysterese")->text(), "0,00");
    EXPECT_EQ(control<QLabel>("APos")->text(), "0.00mm");
    EXPECT_EQ(control<QPushButton>("ReadParam")->text(), "Read Parameter-Block");
    EXPECT_EQ(control<QPushButton>("SaveParam")->text(), "Send Parameter-Block");
    EXPECT_EQ(control<QGroupBox>("GroupBox1")->title(), "Calibation Analog Output");
    EXPECT_EQ(control<QGroupBox>("GroupBox2")->title(), " Flash Update ");
    EXPECT_EQ(control<LedIndicator>("ADJ")->caption(), "Sensor Misaligned ");
    EXPECT_EQ(control<QLabel>("Label14")->text(),
              "Use sensor on end of gear unit\nif watched rpm is lower than 150rpm");

    auto items = [](QComboBox* box) {
        QStringList list;
        for (int i = 0; i < box->count(); ++i) {
            list << box->itemText(i);
        }
        return list;
    };
    EXPECT_EQ(items(control<QComboBox>("DIG4")),
              (QStringList{"Digital Output", "PWM : 0..max", "PWM : max..0"}));
    EXPECT_EQ(items(control<QComboBox>("ISpur")), (QStringList{"32", "64", "128", "256"}));
    EXPECT_EQ(control<QComboBox>("AnalogComboBox1")->currentText(), "0..10V");
    EXPECT_EQ(control<QComboBox>("AnalogComboBox1")->count(), 6);

    auto* anlaufE = control<RadioGroup>("AnlaufE");
    EXPECT_EQ(anlaufE->title(), "Thrust Overload Function");
    EXPECT_EQ(anlaufE->items(), (QStringList{"Disabled", "Enabled"}));
    EXPECT_EQ(anlaufE->itemIndex(), 0);
    auto* anlaufS = control<RadioGroup>("AnlaufS");
    EXPECT_EQ(anlaufS->title(), " sensor position ");
    EXPECT_EQ(anlaufS->itemIndex(), 0);

    struct Range {
        const char* name;
        int minimum, maximum, position;
    };
    for (const Range& r : {Range{"AnalogPos1", 0, 1000, 0}, Range{"AnalogPos2", 0, 1000, 1000},
                           Range{"Kali_4mA", 0, 1023, 0}, Range{"Kali_10V", 0, 1023, 1000},
                           Range{"AnlaufZ1", 3, 30, 10}, Range{"AnlaufZ2", 3, 30, 10}}) {
        const QSlider* bar = control<QSlider>(r.name);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->minimum(), r.minimum) << r.name;
        EXPECT_EQ(bar->maximum(), r.maximum) << r.name;
        EXPECT_EQ(bar->value(), r.position) << r.name;
    }
    struct Spin {
        const char* name;
        int minimum, maximum, increment, position;
    };
    for (const Spin& s : {Spin{"UpDown2", 10, 10000, 100, 10}, Spin{"UpDown1", 1, 32000, 1, 1},
                          Spin{"UpDown3", 2, 3600, 50, 1400}}) {
        const UpDownSpinner* spinner = control<UpDownSpinner>(s.name);
        ASSERT_NE(spinner, nullptr);
        EXPECT_EQ(spinner->minimum(), s.minimum) << s.name;
        EXPECT_EQ(spinner->maximum(), s.maximum) << s.name;
        EXPECT_EQ(spinner->increment(), s.increment) << s.name;
        EXPECT_EQ(spinner->position(), s.position) << s.name;
    }
    EXPECT_EQ(control<UpDownSpinner>("UpDown1")->associate(), control<QLineEdit>("Turns"));
    EXPECT_EQ(control<UpDownSpinner>("UpDown3")->associate(), control<QLineEdit>("Anlauf1"));
    EXPECT_EQ(control<UpDownSpinner>("UpDown2")->associate(), nullptr);
    auto* divider = control<QSpinBox>("LMDSpinEdit1");
    EXPECT_EQ(divider->minimum(), 1);
    EXPECT_EQ(divider->maximum(), 10000);
    EXPECT_EQ(divider->value(), 100);

    auto* winkel = control<CompassGauge>("Winkel");
    winkel->setValue(512);
    EXPECT_EQ(winkel->valueText(), "180.0°");
    auto* compass = control<CompassGauge>("AbCompass1");
    EXPECT_EQ(compass->value(), 360);
    EXPECT_EQ(compass->valueText(), "360°");
    EXPECT_EQ(control<ValueIndicator>("AbValueInd1")->name(), "Ges.Umdr.Sensor");
}

TEST_F(WindowTest, HiddenAtStart) {
    for (const char* name : {"VersionA", "Label27", "Button2", "Button3", "AbValueInd1",
                             "AbValueInd2", "GroupBox1", "AnlaufS", "Label14", "Memo1", "Memo2",
                             "Memo3", "GroupBox2", "Panel2", "Panel3", "P_EXT"}) {
        const QWidget* widget = control(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->isHidden()) << name;
    }
    EXPECT_FALSE(control("Label11")->isHidden());
    EXPECT_FALSE(form.serviceMode().isOn());
    EXPECT_EQ(form.views().current(), View::Normal);
}

TEST_F(WindowTest, AnalogReactionsRunOnlyOnceTheWindowHasBeenShown) {
    int runs = 0;
    auto* pos1 = control<QSlider>("AnalogPos1");
    form.attachAnalogReaction(pos1, [&runs] { ++runs; });
    pos1->setValue(200);
    EXPECT_EQ(runs, 0);

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    pos1->setValue(300); // a change made by the program runs the reaction like a user's
    EXPECT_EQ(runs, 1);
}

TEST_F(WindowTest, CentredOnFirstShow) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QPoint centre = form.screen()->availableGeometry().center();
    const QPoint offset = form.frameGeometry().center() - centre;
    EXPECT_LE(offset.manhattanLength(), 2);
}

TEST_F(WindowTest, ViewsShowTheirPanelsAndHideTheRest) {
    struct Expect {
        View view;
        bool pages, bottom, update, recording;
    };
    for (const Expect& e : {Expect{View::Update, false, true, true, false},
                            Expect{View::Recording, false, false, false, true},
                            Expect{View::Normal, true, true, false, false}}) {
        form.views().show(e.view);
        EXPECT_EQ(form.views().current(), e.view);
        EXPECT_EQ(!control("PageControl1")->isHidden(), e.pages);
        EXPECT_EQ(!control("Panel1")->isHidden(), e.bottom);
        EXPECT_EQ(!control("GroupBox2")->isHidden(), e.update);
        EXPECT_EQ(!control("Panel2")->isHidden(), e.recording);
        EXPECT_EQ(!control("Panel3")->isHidden(), e.recording);
    }
}

TEST_F(WindowTest, RecordingViewFollowsTheWindowSize) {
    form.views().show(View::Recording);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.resize(form.width() + 100, form.height() + 50);
    QTRY_COMPARE(control("ClientArea")->width(), 862);
    const QWidget* client = control("ClientArea");
    const QWidget* strip = control("Panel3");
    EXPECT_EQ(control("Panel2")->geometry(),
              QRect(0, 0, client->width(), client->height() - Views::kStripHeight));
    EXPECT_EQ(strip->geometry(), QRect(0, client->height() - Views::kStripHeight, client->width(),
                                       Views::kStripHeight));
    EXPECT_EQ(strip->width() - control("Button9")->geometry().left(), 762 - 683);
    QTRY_COMPARE(control("Image7")->size(), control("Panel2")->size());
}

// A clock the test moves by hand.
class ServiceModeTest : public WindowTest {
protected:
    void SetUp() override {
        form.serviceMode().setClock([this] { return now; });
    }
    // A double-click on the logo `gap` after the previous one (or after creation).
    void logoDoubleClickAfter(std::chrono::milliseconds gap) {
        now += gap;
        QTest::mouseDClick(control("Image3"), Qt::LeftButton);
    }

    std::chrono::steady_clock::time_point now{};
};

TEST_F(ServiceModeTest, OnlyASecondDoubleClickWithinTheBoundsToggles) {
    struct Case {
        std::chrono::milliseconds gap;
        bool toggles;
    };
    for (const Case& c :
         {Case{500ms, false}, Case{ServiceMode::kMinGap, false},
          Case{ServiceMode::kMinGap + 1ms, true}, Case{ServiceMode::kMaxGap - 1ms, true},
          Case{ServiceMode::kMaxGap, false}, Case{10s, false}}) {
        const bool before = form.serviceMode().isOn();
        logoDoubleClickAfter(c.gap);
        EXPECT_EQ(form.serviceMode().isOn() != before, c.toggles) << c.gap.count() << " ms";
    }
}

TEST_F(ServiceModeTest, RepeatedGesturesToggleOnAndOffAndAQuickOneRestartsTheWait) {
    logoDoubleClickAfter(2s);
    EXPECT_TRUE(form.serviceMode().isOn());
    logoDoubleClickAfter(200ms); // too quick: nothing, but the wait starts again
    EXPECT_TRUE(form.serviceMode().isOn());
    logoDoubleClickAfter(1500ms);
    EXPECT_FALSE(form.serviceMode().isOn());
    logoDoubleClickAfter(3s);
    EXPECT_TRUE(form.serviceMode().isOn());
}

TEST_F(ServiceModeTest, FollowersTakeTheStateAndTheIndicatorsOnlyEverHide) {
    const char* followers[] = {"GroupBox1", "Label11", "AnlaufS", "Label14", "Memo1",
                               "Memo2",     "Memo3",   "Button2", "Button3"};
    const char* items[] = {"FlashUpdate1", "GetPosition1", "SetPosiotn1"};
    EXPECT_FALSE(control("Label11")->isHidden()); // shown at start although the mode is off

    logoDoubleClickAfter(2s);
    for (const char* name : followers) {
        EXPECT_FALSE(control(name)->isHidden()) << name;
    }
    for (const char* name : items) {
        EXPECT_TRUE(control<QAction>(name)->isVisible()) << name;
    }
    // Turning the mode on does not show the revolution indicators; the live display does.
    EXPECT_TRUE(control("AbValueInd1")->isHidden());
    control("AbValueInd1")->show();
    control("AbValueInd2")->show();

    logoDoubleClickAfter(2s);
    for (const char* name : followers) {
        EXPECT_TRUE(control(name)->isHidden()) << name;
    }
    for (const char* name : items) {
        EXPECT_FALSE(control<QAction>(name)->isVisible()) << name;
    }
    EXPECT_TRUE(control("AbValueInd1")->isHidden());
    EXPECT_TRUE(control("AbValueInd2")->isHidden());
    // Neither Label27 nor the Test-Values tab belongs to the toggle.
    EXPECT_TRUE(control("Label27")->isHidden());
    EXPECT_FALSE(control<QTabWidget>("PageControl1")->isTabVisible(4));
}

TEST_F(WindowTest, DoubleClickOnEitherStripCopiesTheLiveStrip) {
    auto* live = control<PictureBox>("Image4");
    auto* marker = control<PictureBox>("Image6");
    auto* copy = control<PictureBox>("Image5");
    live->canvas().fill(QColor(0, 0, 255));
    QPainter(&live->canvas()).fillRect(0, 100, 12, 20, QColor(255, 0, 0));
    marker->canvas().fill(QColor(0, 255, 0));

    QTest::mouseDClick(marker, Qt::LeftButton);
    EXPECT_EQ(copy->picture(), live->picture());
    EXPECT_NE(copy->picture(), marker->picture());

    // The copy stays as it was until the next snapshot.
    live->canvas().fill(QColor(255, 255, 0));
    EXPECT_EQ(copy->picture().pixelColor(0, 110), QColor(255, 0, 0));
    QTest::mouseDClick(live, Qt::LeftButton);
    EXPECT_EQ(copy->picture().pixelColor(0, 110), QColor(255, 255, 0));
}

TEST_F(WindowTest, WebLabelOpensTheMakersAddress) {
    QList<QUrl> opened;
    form.webLink().setOpener([&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    auto* label = control<QLabel>("LMDLabel1");
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(label, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), WebLink::address());
    EXPECT_EQ(label->text(), WebLink::address().host());
}

} // namespace
