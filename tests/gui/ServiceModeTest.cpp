// Service mode as the technician switches it: the double-click on the logo and its timing, and
// what the mode shows and hides.

#include "app/ServiceMode.h"
#include "app/TForm1.h"

#include <QAction>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>

using namespace zuvo;
using namespace std::chrono_literals;

namespace {

// A clock the test moves by hand.
class ServiceModeTest : public ::testing::Test {
protected:
    template <typename T = QWidget> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void SetUp() override {
        form.serviceMode().setClock([this] { return now; });
    }
    // A double-click on the logo `gap` after the previous one (or after creation).
    void logoDoubleClickAfter(std::chrono::milliseconds gap) {
        now += gap;
        QTest::mouseDClick(control("Image3"), Qt::LeftButton);
    }

    TForm1 form;
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
    // The mode starts off, and so do its followers; Label11 is shown at start all the same.
    EXPECT_FALSE(form.serviceMode().isOn());
    for (const char* name : followers) {
        EXPECT_EQ(control(name)->isHidden(), QByteArray(name) != "Label11") << name;
    }
    for (const char* name : items) {
        EXPECT_FALSE(control<QAction>(name)->isVisible()) << name;
    }
    EXPECT_FALSE(control<QTabWidget>("PageControl1")->isTabVisible(4));

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

} // namespace
