// The poll cycle on its own timers with the receive side in place, and the command steps,
// against the simulated actuator.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "device/RequestFrames.h"
#include "serial/PosixSerialDevice.h"
#include "widgets/LedIndicator.h"

#include <QAbstractButton>
#include <QAction>
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
        ASSERT_TRUE(seen().portOpen);
    }

    LinkSnapshot seen() const { return form.link().snapshot(); }

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
    EXPECT_EQ(seen().state.MissedPolls, 0);
    EXPECT_TRUE(seen().state.SensorCheckPhase);
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
    EXPECT_FALSE(seen().state.SensorCheckPhase);
    EXPECT_FALSE(seen().state.ParamReadPending);
    const std::vector<std::string> sent = link.sim.requests();
    for (std::size_t i = 1; i < 15; ++i) {
        EXPECT_EQ(sent[i], "RV") << "poll " << i + 1 << ": no sensor words once the check ended";
    }
}

TEST_F(PollCycleLinkTest, QuietLinkLetsTheOutstandingReplyArriveAndStopsPolling) {
    ASSERT_TRUE(runUntilRequests(3, 4000));
    // Replies come 60 ms late: a poll just went out when a command begins.
    sim::FaultConfig late;
    late.delayMs = 60;
    link.sim.setFault(late);
    ASSERT_TRUE(runUntil([&] { return seen().state.ReplyPending; }, 2000));
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("test"));
    ASSERT_TRUE(exchange);
    EXPECT_FALSE(seen().polling);

    // Its status reply ends the wait long before the 200 ms.
    QElapsedTimer clock;
    clock.start();
    exchange->quiet();
    EXPECT_LT(clock.elapsed(), 150);
    EXPECT_FALSE(seen().state.ReplyPending);
    EXPECT_FALSE(seen().polling) << "a reply during an exchange does not re-arm it";
    exchange.reset();

    // Nothing answers: the whole settle time passes.
    link.sim.setFault(silence());
    ASSERT_TRUE(runUntil([&] { return seen().state.ReplyPending; }, 2000));
    exchange.emplace(std::move(*form.link().begin(QStringLiteral("test"))));
    clock.restart();
    exchange->quiet();
    EXPECT_GE(clock.elapsed(), Link::kSettleMs - 5);
    EXPECT_LT(clock.elapsed(), Link::kSettleMs + 150);
    EXPECT_FALSE(seen().polling);

    exchange->resumeWith(1500);
    exchange.reset();
    EXPECT_TRUE(seen().polling);
    EXPECT_EQ(seen().pollIntervalMs, 1500);
}

TEST_F(PollCycleLinkTest, AWriteWaitsForItsAcknowledgeOrGivesUpAfterTheLimit) {
    ASSERT_TRUE(runUntilRequests(2, 4000));
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("test"));
    exchange->quiet();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(exchange->sendAndWaitForAck(writeWordFrame(5, 0x00C8)), LinkResult::Acknowledged);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(link.sim.parameterWord(5), 0x00C8);

    link.sim.setFault(silence());
    clock.restart();
    EXPECT_EQ(exchange->sendAndWaitForAck(writeWordFrame(6, 0x0001)), LinkResult::NoAcknowledge);
    EXPECT_GE(clock.elapsed(), Link::kAckWaitMs - 5);
    EXPECT_LT(clock.elapsed(), Link::kAckWaitMs + 300);
}

// The real device, with a framing error counted by its driver whenever the test says so.
class FramingErrors : public PosixSerialDevice {
public:
    explicit FramingErrors(std::shared_ptr<std::atomic<quint32>> count)
        : count_(std::move(count)) {}
    bool lineCounts(LineCounts& out) override {
        out = LineCounts{};
        out.frame = *count_;
        return true;
    }

private:
    std::shared_ptr<std::atomic<quint32>> count_;
};

TEST_F(PollCycleLinkTest, FailuresOnTheLineAreReported) {
    auto framing = std::make_shared<std::atomic<quint32>>(0);
    form.link().setDeviceFactory([framing] { return std::make_unique<FramingErrors>(framing); });
    ASSERT_TRUE(form.link().reopenPort().opened);
    *framing = 1;
    link.sim.sendRaw({'Z'}); // bytes wake the reader, which finds the error counted
    ASSERT_TRUE(runUntil(
        [&] { return status() == " Communication errors. Check comport, cable and connector "; },
        2000));
    EXPECT_TRUE(seen().portOpen) << "polling goes on";

    // The port closes: a frame that never left is not waited for.
    ASSERT_TRUE(form.link().closePort());
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("test"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(exchange->sendAndWaitForAck(writeWordFrame(1, 1)), LinkResult::PortLost);
    EXPECT_LT(clock.elapsed(), 1000) << "a frame that never left is not waited for";
    EXPECT_EQ(status(), "USB disconnected");
}

// Every command that would write to the port is refused while another exchange runs, and says
// so in the status bar; the controller hears nothing of it.
TEST_F(PollCycleLinkTest, ARefusedCommandSaysTheControllerIsBusy) {
    ASSERT_TRUE(runUntilRequests(2, 4000));
    form.displayState().MemoryPositionCounts = 1024;
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("Send Parameter-Block"));
    ASSERT_TRUE(exchange);
    const char* const controls[] = {"SaveParam", "LMDButton1", "Kalibrierung", "Button10",
                                    "Button2",   "Button3",    "SetPosiotn1",  "FlashUpdate1"};
    for (const char* name : controls) {
        SCOPED_TRACE(name);
        form.statusBar()->clearMessage();
        link.sim.clearLog();
        if (auto* button = form.findChild<QAbstractButton*>(QString::fromLatin1(name))) {
            button->click();
        } else {
            auto* action = form.findChild<QAction*>(QString::fromLatin1(name));
            ASSERT_NE(action, nullptr);
            action->trigger();
        }
        EXPECT_EQ(status(), " Controller busy: Send Parameter-Block is running ");
        pauseFor(50);
        EXPECT_TRUE(link.sim.requests().empty());
        EXPECT_EQ(seen().state.PollSelector, 0);
    }
}

TEST_F(PollCycleLinkTest, OneExchangeAtATime) {
    Link& link = form.link();
    std::optional<Exchange> exchange = link.begin(QStringLiteral("test"));
    ASSERT_TRUE(exchange);
    EXPECT_TRUE(form.pollCycle().exchangeRunning());
    EXPECT_FALSE(link.begin(QStringLiteral("second")));
    exchange.reset();
    EXPECT_FALSE(form.pollCycle().exchangeRunning());
    EXPECT_TRUE(link.begin(QStringLiteral("third")));
}

} // namespace
