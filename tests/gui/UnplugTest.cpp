// An adapter pulled out and plugged in again. The device path is a symbolic link to the
// simulator's pseudo-terminal, as /dev/ttyUSB0 is a node that comes and goes with the adapter:
// the line is hung up and the link removed, later a new line appears under the same name.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "serial/PortMap.h"
#include "session/EventWait.h"
#include "sim/Simulator.h"
#include "widgets/LedIndicator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

using namespace zuvo;

namespace {

class UnplugTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("ZUVO_SETTINGS", folder.filePath("ZUVO.conf").toLocal8Bit());
        PortMap::global().clearOverrides();
        PortMap::global().setOverride(1, node);
        for (int n = 2; n <= 8; ++n) {
            PortMap::global().setOverride(n, folder.filePath(QStringLiteral("none-%1").arg(n)));
        }
        plugIn();
    }
    void TearDown() override {
        test::parkPolling(form.link());
        PortMap::global().clearOverrides();
        qunsetenv("ZUVO_SETTINGS");
    }

    void plugIn() {
        sim = std::make_unique<sim::Simulator>();
        sim->start();
        ASSERT_TRUE(QFile::link(QString::fromStdString(sim->slavePath()), node));
    }
    void pullOut() {
        sim->hangUp();
        QFile::remove(node);
    }
    bool runUntil(const std::function<bool()>& done, int ms) {
        return waitUntil(done, QDeadlineTimer(ms, Qt::PreciseTimer));
    }
    QString status() { return form.findChild<QStatusBar*>("StatusBar1")->currentMessage(); }

    QTemporaryDir folder;
    const QString node = folder.filePath("ttyUSB0");
    std::unique_ptr<sim::Simulator> sim;
    TForm1 form;
    LedIndicator* const lamp = form.findChild<LedIndicator*>("AbLED1");
};

TEST_F(UnplugTest, TheDeadPortIsLetGoAtOnceAndTakenAgainOnTheNextTick) {
    form.appStartup().FormCreate({});
    ASSERT_TRUE(runUntil(
        [&] { return !form.link().snapshot().state.ParamReadPending && lamp->isChecked(); }, 6000));

    QElapsedTimer clock;
    clock.start();
    pullOut();
    ASSERT_TRUE(runUntil([&] { return !form.link().snapshot().portOpen; }, 1000));
    EXPECT_LT(clock.elapsed(), 200) << "closed on the hang-up, not after 21 silent ticks";
    EXPECT_EQ(status(), "USB disconnected");
    EXPECT_FALSE(lamp->isChecked());

    // Out for two seconds: the ticks keep trying and fail quietly.
    runUntil([] { return false; }, 2000);
    EXPECT_FALSE(form.link().snapshot().portOpen);
    EXPECT_EQ(status(), "USB disconnected");

    plugIn();
    clock.restart();
    // The block had been read: the ticks come every 400 ms while the port is closed.
    const int tickMs = form.link().snapshot().pollIntervalMs;
    ASSERT_EQ(tickMs, Link::kTickMs);
    ASSERT_TRUE(runUntil([&] { return form.link().snapshot().portOpen; }, 3000));
    const qint64 reopenedMs = clock.elapsed();
    EXPECT_LE(reopenedMs, tickMs + 150) << "reopened by the first tick after the node is back";
    EXPECT_EQ(status(), "USB connected");
    // That tick spends itself on the opening; the next one polls the new line.
    ASSERT_TRUE(runUntil([&] { return sim->requestCount() > 0; }, 3000));
    EXPECT_LE(clock.elapsed(), reopenedMs + Link::kTickMs + 150);
    EXPECT_TRUE(runUntil([&] { return lamp->isChecked(); }, 3000));
}

// Pulled while a command waits for its acknowledge: the command ends as a lost link and the
// ticks afterwards bring the port back.
TEST_F(UnplugTest, PulledInTheMiddleOfASend) {
    form.appStartup().FormCreate({});
    ASSERT_TRUE(runUntil(
        [&] { return !form.link().snapshot().state.ParamReadPending && lamp->isChecked(); }, 6000));
    sim::FaultConfig silent;
    silent.silent = true;
    sim->setFault(silent);
    QTimer::singleShot(300, [this] { pullOut(); });
    QElapsedTimer clock;
    clock.start();
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("test"));
    ASSERT_TRUE(exchange);
    exchange->quiet();
    exchange->resumeWith(1500);
    EXPECT_EQ(exchange->sendAndWaitForAck({0x02, 'S', 'P', '0', '0', '0', '0', '0', '0', 0x03}),
              LinkResult::PortLost);
    // The step ends with the device, not with the acknowledge's time limit.
    EXPECT_LT(clock.elapsed(), Link::kAckWaitMs);
    exchange.reset();
    EXPECT_FALSE(form.link().snapshot().portOpen);
    EXPECT_EQ(status(), "USB disconnected");

    runUntil([] { return false; }, 1000);
    plugIn();
    ASSERT_TRUE(runUntil([&] { return sim->requestCount() > 0; }, 5000));
}

} // namespace
