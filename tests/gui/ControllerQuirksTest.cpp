// What real controllers send and the program must cope with, against the simulator: the older
// firmware's speed unit, angle fields with turn bits above the angle, and line noise full of
// bytes that look like frame ends.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/TForm1.h"
#include "widgets/CompassGauge.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

using namespace zuvo;
using zuvo::test::runUntil;
using zuvo::test::SimulatedLink;

namespace {

QString speedShown(TForm1& form) {
    return form.findChild<QLabel*>("Label18")->text();
}

// 600 RPM: firmware 60 and later send 1024 (x 600 / 1024), older firmware 61 (x 10000 / 1024,
// 595.7 RPM, shown in steps of 5 with the sensor on the motor axis).
TEST(ControllerQuirksTest, TheSpeedIsReadInTheUnitOfTheFirmware) {
    struct Case {
        int version;
        const char* shown;
    };
    for (const Case& c : {Case{50, "595 RPM "}, Case{60, "600 RPM "}}) {
        sim::SimOptions options;
        options.rpm = 600;
        options.version = c.version;
        SimulatedLink link(options);
        TForm1 form;
        form.appStartup().FormCreate({});
        EXPECT_TRUE(runUntil(
            [&] {
                return form.link().snapshot().state.FirmwareVersion == c.version &&
                       speedShown(form) == c.shown;
            },
            6000))
            << c.version << ": " << speedShown(form).toStdString();
    }
}

TEST(ControllerQuirksTest, TurnBitsAboveTheAngleDoNotMoveTheNeedle) {
    sim::SimOptions options = test::standingStill();
    options.angleTurnBits = true;
    SimulatedLink link(options);
    link.sim.setPosition(37 * 1024 + 300);
    TForm1 form;
    form.appStartup().FormCreate({});
    auto* winkel = form.findChild<CompassGauge*>("Winkel");
    EXPECT_TRUE(runUntil(
        [&] { return form.link().snapshot().state.LastPositionCounts == 37 * 1024 + 300; }, 6000));
    EXPECT_EQ(winkel->value(), 300);
}

// Noise holding STX, ETX, 0x05 and CR in front of every reply: the window keeps handling events
// and polling, its receive buffer stays bounded, and once the line is clean the replies are
// taken again.
TEST(ControllerQuirksTest, NoiseThatLooksLikeFrameEndsHangsNothing) {
    SimulatedLink link;
    TForm1 form;
    form.appStartup().FormCreate({});
    const auto blockWanted = [&form] { return form.link().snapshot().state.ParamReadPending; };
    ASSERT_TRUE(runUntil([&] { return !blockWanted(); }, 6000));

    sim::FaultConfig noisy;
    noisy.garbageBytes = 40;
    noisy.noiseLooksLikeFrames = true;
    link.sim.setFault(noisy);
    QTimer heartbeat;
    heartbeat.setInterval(10);
    QElapsedTimer sinceBeat;
    qint64 longestGap = 0;
    std::uint32_t mostHeld = 0;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        if (sinceBeat.isValid()) {
            longestGap = std::max(longestGap, sinceBeat.elapsed());
        }
        sinceBeat.start();
        mostHeld = std::max(mostHeld, form.link().bytesHeld());
    });
    heartbeat.start();
    const std::size_t before = link.sim.requestCount();
    runUntil([] { return false; }, 3000);
    EXPECT_GE(link.sim.requestCount(), before + 3) << "still polling";
    EXPECT_LT(longestGap, 500);
    EXPECT_LE(mostHeld, 8192u);

    link.sim.setFault({});
    // A fresh block proves that replies are decoded again.
    ASSERT_TRUE(form.link().askForBlock());
    EXPECT_TRUE(runUntil([&] { return !blockWanted(); }, 6000));
}

} // namespace
