// The poll cycle on its own timers with the receive side in place, and the command steps,
// against the simulated actuator.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/TForm1.h"
#include "device/RequestFrames.h"
#include "serial/PollCycle.h"
#include "widgets/LedIndicator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace zuvo;
using zuvo::test::runUntil;
using zuvo::test::SimulatedLink;

namespace {

sim::FaultConfig silence() {
    sim::FaultConfig faults;
    faults.silent = true;
    return faults;
}

sim::SimOptions droppingEvery(int n) {
    sim::SimOptions options;
    options.faults.dropEvery = n;
    return options;
}

class PollCycleLinkTest : public ::testing::Test {
protected:
    explicit PollCycleLinkTest(sim::SimOptions options = {}) : link(std::move(options)) {}

    void SetUp() override {
        form.appStartup().FormCreate({});
        ASSERT_TRUE(form.ComPort1.Open());
    }

    // Lets the event loop run until the device has seen `count` requests; `eachRound` runs
    // after every round. The device runs on its own thread, so a watcher wakes the loop.
    bool runUntilRequests(std::size_t count, int ms, const std::function<void()>& eachRound = {}) {
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            link.sim.waitUntil([&] { return link.sim.requestCount() >= count; },
                               std::chrono::milliseconds(ms));
            done = true;
            QMetaObject::invokeMethod(
                qApp, [] {}, Qt::QueuedConnection);
        });
        waitUntil([&] { return done.load(); }, QDeadlineTimer(ms + 1000),
                  eachRound ? eachRound : [] {});
        watcher.join();
        return link.sim.requestCount() >= count;
    }

    QString status() { return form.findChild<QStatusBar*>("StatusBar1")->currentMessage(); }

    SimulatedLink link;
    TForm1 form;
    LedIndicator* const lamp = form.findChild<LedIndicator*>("AbLED1");
};

TEST_F(PollCycleLinkTest, AnAnsweringDeviceIsPolledWithTheSensorWordsEveryEleventhPoll) {
    ASSERT_TRUE(runUntilRequests(23, 8000));
    const std::vector<std::string> sent = link.sim.requests();
    EXPECT_EQ(sent[0], "PV");
    for (std::size_t i = 1; i < 23; ++i) {
        EXPECT_EQ(sent[i], (i + 1) % 11 == 0 ? "RX" : "RV") << "poll " << i + 1;
    }
    EXPECT_TRUE(lamp->isChecked());
    EXPECT_EQ(lamp->caption(), "COM1 Connected");
    EXPECT_EQ(form.State.MissedPolls, 0);
    EXPECT_TRUE(form.State.SensorCheckPhase);
}

class PollCycleLostReplyTest : public PollCycleLinkTest {
protected:
    // The eighth reply (to an ordinary status poll) is lost, the next lost one is the 16th.
    PollCycleLostReplyTest() : PollCycleLinkTest(droppingEvery(8)) {}
};

TEST_F(PollCycleLostReplyTest, OneLostReplyEndsTheSensorCheckWithoutARedLamp) {
    bool green = false;
    bool redAfterGreen = false;
    const auto watchLamp = [&] {
        green = green || lamp->isChecked();
        redAfterGreen = redAfterGreen || (green && !lamp->isChecked());
    };
    ASSERT_TRUE(runUntilRequests(15, 10000, watchLamp));
    EXPECT_FALSE(redAfterGreen);
    EXPECT_FALSE(form.State.SensorCheckPhase);
    EXPECT_FALSE(form.State.ParamReadPending);
    const std::vector<std::string> sent = link.sim.requests();
    for (std::size_t i = 1; i < 15; ++i) {
        EXPECT_EQ(sent[i], "RV") << "poll " << i + 1 << ": no sensor words once the check ended";
    }
}

TEST_F(PollCycleLinkTest, QuietLinkLetsTheOutstandingReplyArriveAndStopsPolling) {
    ASSERT_TRUE(runUntilRequests(3, 4000));
    PollCycle& poll = form.pollCycle();
    form.Timer2.stop();
    ASSERT_TRUE(runUntil([&] { return !form.State.ReplyPending; }, 1000));

    // A poll just went out: its status reply ends the wait long before the 200 ms.
    form.State.ReplyPending = true;
    ASSERT_TRUE(poll.SendCommandFrame(pollFrame('R', 'V')));
    QElapsedTimer clock;
    clock.start();
    poll.QuietLink(true);
    EXPECT_LT(clock.elapsed(), 150);
    EXPECT_FALSE(form.State.ReplyPending);
    EXPECT_FALSE(form.Timer2.isActive()) << "the reply re-armed it; the wait stops it again";
    EXPECT_FALSE(form.Timeout.isActive());

    // Nothing answers: the whole settle time passes.
    link.sim.setFault(silence());
    form.State.ReplyPending = true;
    clock.restart();
    poll.QuietLink(false);
    EXPECT_GE(clock.elapsed(), PollCycle::kSettleMs - 5);
    EXPECT_LT(clock.elapsed(), PollCycle::kSettleMs + 150);
    EXPECT_FALSE(form.Timer2.isActive());

    poll.ResumePolling(1500);
    EXPECT_TRUE(form.Timer2.isActive());
    EXPECT_EQ(form.Timer2.interval(), 1500);
}

TEST_F(PollCycleLinkTest, AWriteWaitsForItsAcknowledgeOrGivesUpAfterTheLimit) {
    ASSERT_TRUE(runUntilRequests(2, 4000));
    PollCycle& poll = form.pollCycle();
    poll.QuietLink(true);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(poll.SendAndWaitForAck(writeWordFrame(5, 0x00C8)));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(link.sim.parameterWord(5), 0x00C8);

    link.sim.setFault(silence());
    clock.restart();
    EXPECT_FALSE(poll.SendAndWaitForAck(writeWordFrame(6, 0x0001)));
    EXPECT_GE(clock.elapsed(), PollCycle::kAckWaitMs - 5);
    EXPECT_LT(clock.elapsed(), PollCycle::kAckWaitMs + 300);
}

TEST_F(PollCycleLinkTest, FailuresOnTheLineAreReported) {
    form.ComPort1.OnTriggerLineError(form.ComPort1, 4, false);
    EXPECT_EQ(status(), " Communication errors. Check comport, cable and connector ");
    EXPECT_TRUE(form.ComPort1.Open()) << "polling goes on";

    form.ComPort1.setOpen(false);
    form.Rx.AckReceived = true;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(form.pollCycle().SendAndWaitForAck(writeWordFrame(1, 1)));
    EXPECT_LT(clock.elapsed(), 1000) << "a frame that never left is not waited for";
    EXPECT_FALSE(form.Rx.AckReceived);
    EXPECT_EQ(status(), "USB disconnected");
}

TEST_F(PollCycleLinkTest, OneExchangeAtATime) {
    PollCycle& poll = form.pollCycle();
    ASSERT_TRUE(poll.tryBeginExchange());
    EXPECT_TRUE(poll.exchangeRunning());
    EXPECT_FALSE(poll.tryBeginExchange());
    poll.endExchange();
    EXPECT_FALSE(poll.exchangeRunning());
    EXPECT_TRUE(poll.tryBeginExchange());
    poll.endExchange();
}

} // namespace
