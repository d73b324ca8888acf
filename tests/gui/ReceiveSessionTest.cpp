// A whole session with the simulated controller from start-up: its polls are answered, and the
// block, the status replies, the version frame and the caption line all reach the window.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/TForm1.h"
#include "widgets/LedIndicator.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace zuvo;
using namespace zuvo::test;

namespace {

sim::SimOptions talkativeController() {
    sim::SimOptions options;
    options.version = 61;
    options.caption = "#ZUVO SIM";
    options.rpm = 0; // standing still: the position does not move under the test
    return options;
}

TEST(ReceiveSessionTest, RepliesOfARunningControllerReachTheWindow) {
    SimulatedLink link(talkativeController());
    link.sim.setPosition(5 * 1024);
    TForm1 form;
    form.appStartup().FormCreate({});
    auto* versionLabel = form.findChild<QLabel*>("VersionA");
    auto* apos = form.findChild<QLabel*>("APos");
    ASSERT_TRUE(versionLabel && apos);

    const auto state = [&form] { return form.link().snapshot().state; };
    const bool arrived = runUntil(
        [&] {
            return !state().ParamReadPending && versionLabel->text() == "V61" &&
                   form.windowTitle() == " ZUVO SIM" && state().LastPositionCounts == 5 * 1024;
        },
        10000);
    EXPECT_TRUE(arrived) << "block " << !state().ParamReadPending << " version "
                         << versionLabel->text().toStdString() << " caption "
                         << form.windowTitle().toStdString();
    EXPECT_FALSE(versionLabel->isHidden());
    EXPECT_EQ(state().FirmwareVersion, 61);
    EXPECT_TRUE(form.findChild<LedIndicator*>("AbLED1")->isChecked());
    EXPECT_TRUE(apos->text().endsWith("mm"));
    EXPECT_NE(apos->text(), "0.00mm");
    form.appStartup().FormDestroy();
}

} // namespace
