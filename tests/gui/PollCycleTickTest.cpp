// The poll tick driven by hand against a simulated actuator that logs every request and answers
// none by itself: which frame goes out, what the supervision does with unanswered polls, and the
// restart of the poll timer. An answered poll is a status reply the test puts on the line; the
// timer is parked after every tick and reply, so that only the test ticks.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/Views.h"
#include "unit/ReceiveEngineReplay.h"
#include "widgets/LedIndicator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace zuvo;
using zuvo::test::parkPolling;
using zuvo::test::runUntil;
using zuvo::test::SimulatedLink;

namespace {

sim::SimOptions silentDevice() {
    sim::SimOptions options;
    options.faults.silent = true;
    return options;
}

class PollCycleTickTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.appStartup().FormCreate({});
        ASSERT_TRUE(state().portOpen);
        parkPolling(form.link());
    }

    LinkSnapshot state() const { return form.link().snapshot(); }

    // One tick by hand; the timer it re-arms is parked again so that only the test ticks.
    // Returns the interval the tick chose.
    int tick() {
        form.link().tick();
        EXPECT_TRUE(state().polling);
        lastInterval = state().pollIntervalMs;
        parkPolling(form.link());
        return lastInterval;
    }

    // The controller answers the poll that is out: a status reply on the line, taken. It is
    // taken inside an exchange, which stops the poll timer and leaves it parked again at its
    // end: a reply outside one would re-arm it, and under load its tick could come before the
    // test parks it again.
    void answer() {
        std::optional<Exchange> exchange = form.link().begin(QStringLiteral("answer"));
        ASSERT_TRUE(exchange);
        link.sim.sendRaw(replay::statusReply({.position = 7}));
        ASSERT_TRUE(exchange->waitFor(2000, [this] { return !state().state.ReplyPending; }));
        exchange.reset();
        ASSERT_EQ(state().pollIntervalMs, test::kParkedPollMs);
    }

    // Ticks once and returns the request the device got from it; `answered` makes the
    // controller answer the previous poll first.
    std::string sentTick(bool answered) {
        if (answered && state().state.ReplyPending) {
            answer();
        }
        const std::size_t before = link.sim.requestCount();
        tick();
        if (!runUntilRequests(before + 1)) {
            return "nothing";
        }
        return link.sim.requests().back();
    }
    std::string answeredTick() { return sentTick(true); }
    std::string lostTick() { return sentTick(false); }

    // Lets the event loop run until the device has seen `count` requests. The device runs on
    // its own thread, so a watcher wakes the event loop when it has.
    bool runUntilRequests(std::size_t count) {
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            link.sim.waitUntil([&] { return link.sim.requestCount() >= count; },
                               std::chrono::milliseconds(2000));
            done = true;
            QMetaObject::invokeMethod(
                qApp, [] {}, Qt::QueuedConnection);
        });
        runUntil([&] { return done.load(); }, 3000);
        watcher.join();
        return link.sim.requestCount() >= count;
    }

    QString status() { return statusBar->currentMessage(); }

    SimulatedLink link{silentDevice()};
    TForm1 form;
    int lastInterval = 0; // the interval the last tick chose
    LedIndicator* const lamp = form.findChild<LedIndicator*>("AbLED1");
    QStatusBar* const statusBar = form.findChild<QStatusBar*>("StatusBar1");
    QLabel* const clock = form.findChild<QLabel*>("Label15");
    QWidget* const recordingView = form.findChild<QWidget*>("Panel2");
};

TEST_F(PollCycleTickTest, EveryEleventhAnsweredPollAsksForTheSensorWords) {
    form.link().stopAskingForBlock();
    std::vector<std::string> sent;
    for (int i = 0; i < 33; ++i) {
        sent.push_back(answeredTick());
    }
    for (int i = 0; i < 33; ++i) {
        EXPECT_EQ(sent[i], (i + 1) % 11 == 0 ? "RX" : "RV") << "poll " << i + 1;
    }
    EXPECT_TRUE(lamp->isChecked());
    EXPECT_EQ(lamp->caption(), "COM1 Connected");
    EXPECT_EQ(state().state.MissedPolls, 0);

    // While the block is wanted the same polls ask for it, and the tick waits longer.
    for (int i = 0; i < 9; ++i) {
        answeredTick();
    }
    ASSERT_TRUE(form.link().askForBlock());
    parkPolling(form.link());
    EXPECT_EQ(answeredTick(), "PV");
    EXPECT_EQ(lastInterval, Link::kParamReadTickMs);
    EXPECT_EQ(answeredTick(), "PX");
    form.link().stopAskingForBlock();
    answeredTick();
    EXPECT_EQ(lastInterval, Link::kTickMs);
}

TEST_F(PollCycleTickTest, FirstLostReplyOfTheSensorCheckOnlyEndsTheCheck) {
    form.link().stopAskingForBlock();
    form.link().setSectorAnalysisOn(true);
    EXPECT_EQ(answeredTick(), "RV");

    // The reply to that poll never comes.
    EXPECT_EQ(lostTick(), "RV");
    EXPECT_FALSE(state().state.SensorCheckPhase);
    EXPECT_FALSE(state().state.SectorAnalysisOn);
    EXPECT_FALSE(state().state.ParamReadPending);
    EXPECT_TRUE(lamp->isChecked()) << "no red lamp for the forgiven reply";
    EXPECT_EQ(state().state.MissedPolls, 0) << "a forgiven reply counts as answered";
    EXPECT_EQ(lastInterval, Link::kTickMs);

    // The next lost reply is a link loss: red lamp, block and sensor check asked for again.
    link.sim.sendRaw({'Z', 'Z', 'Z', 'Z', 'Z'}); // bytes that are no reply
    ASSERT_TRUE(runUntil([this] { return form.link().bytesHeld() == 5; }, 2000));
    EXPECT_EQ(lostTick(), "PV");
    EXPECT_FALSE(lamp->isChecked());
    EXPECT_EQ(lamp->colorOff(), QColor(255, 0, 0));
    EXPECT_TRUE(state().state.ParamReadPending);
    EXPECT_TRUE(state().state.SensorCheckPhase);
    EXPECT_EQ(form.link().bytesHeld(), 0u);
    EXPECT_EQ(state().state.MissedPolls, 1);
    EXPECT_EQ(lastInterval, Link::kParamReadTickMs);
}

TEST_F(PollCycleTickTest, WithALoadedFileLostRepliesKeepPollingTheStatus) {
    form.link().pollStatusOnly();
    EXPECT_EQ(answeredTick(), "RV");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lostTick(), "RV");
        EXPECT_EQ(lastInterval, Link::kTickMs);
    }
    EXPECT_FALSE(lamp->isChecked());
    EXPECT_FALSE(state().state.ParamReadPending);
    EXPECT_FALSE(state().state.SensorCheckPhase);
    EXPECT_EQ(state().state.MissedPolls, 3);
    const std::vector<std::string> sent = link.sim.requests();
    EXPECT_TRUE(std::all_of(sent.begin(), sent.end(), [](const auto& r) { return r == "RV"; }));
}

TEST_F(PollCycleTickTest, TwentyOneUnansweredTicksCloseAndReopenThePort) {
    form.link().stopAskingForBlock();
    // The first lost reply of the sensor check (the start's poll) only ends the check.
    lostTick();
    ASSERT_FALSE(state().state.SensorCheckPhase);
    ASSERT_EQ(state().state.MissedPolls, 0);
    statusBar->clearMessage();
    for (int i = 1; i <= 20; ++i) {
        ASSERT_NE(lostTick(), "nothing");
        ASSERT_EQ(state().state.MissedPolls, i);
        ASSERT_TRUE(status().isEmpty()) << "tick " << i;
    }
    const std::size_t requestsBefore = link.sim.requestCount();
    tick();
    EXPECT_EQ(status(), "USB connected");
    EXPECT_TRUE(state().portOpen);
    EXPECT_EQ(state().state.MissedPolls, 0);
    EXPECT_TRUE(state().state.ReplyPending) << "the count starts over from an unanswered poll";
    // The closing tick spends itself on reopening; the next one polls again, and an answered
    // poll lights the lamp.
    EXPECT_EQ(answeredTick(), "PV");
    EXPECT_EQ(link.sim.requestCount(), requestsBefore + 1);
    EXPECT_TRUE(lamp->isChecked());
}

TEST_F(PollCycleTickTest, AHangUpEndsInAClosedPortThatTheTicksTryToReopen) {
    form.link().stopAskingForBlock();
    answeredTick();
    link.sim.hangUp();
    // Depending on how the line goes away, a send fails at once or the silence is counted.
    bool closed = false;
    for (int i = 0; i < 25 && !closed; ++i) {
        tick();
        handlePendingEvents();
        closed = !state().portOpen;
    }
    ASSERT_TRUE(closed);
    EXPECT_TRUE(status() == "USB disconnected" || status().isEmpty()) << status().toStdString();
    tick();
    EXPECT_FALSE(state().portOpen);
    EXPECT_FALSE(lamp->isChecked());
    EXPECT_NE(status(), "USB connected");
}

TEST_F(PollCycleTickTest, TheRecordingViewAlwaysAsksForTheStatus) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    parkPolling(form.link());
    form.views().show(View::Recording);
    ASSERT_TRUE(recordingView->isVisible());
    form.link().stopAskingForBlock();
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(answeredTick(), "RV");
    }
    EXPECT_EQ(state().state.SensorPollCounter, 0) << "the counter still counts and restarts";
    ASSERT_TRUE(form.link().askForBlock());
    parkPolling(form.link());
    EXPECT_EQ(answeredTick(), "PV");
}

TEST_F(PollCycleTickTest, ARelayTestGoesOutOnceInsteadOfThePoll) {
    form.link().stopAskingForBlock();
    answeredTick();
    // Relais1 pressed twice before the tick.
    ASSERT_TRUE(form.link().requestRelayTest(1));
    ASSERT_TRUE(form.link().requestRelayTest(1));
    EXPECT_EQ(answeredTick(), "QS01");
    EXPECT_EQ(state().state.PollSelector, 0);
    EXPECT_TRUE(state().state.ReplyPending);
    EXPECT_EQ(answeredTick(), "RV");
    const std::vector<std::string> sent = link.sim.requests();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "QS01"), 1);

    // Asked for while the port is closed: dropped, not sent after the reopening.
    ASSERT_TRUE(form.link().closePort());
    ASSERT_TRUE(form.link().requestRelayTest(2));
    tick();
    ASSERT_TRUE(state().portOpen);
    EXPECT_EQ(state().state.PollSelector, 0);
    EXPECT_NE(answeredTick(), "QS02");
}

TEST_F(PollCycleTickTest, APortThatCannotBeOpenedLeavesTheLampOff) {
    answeredTick();
    ASSERT_TRUE(lamp->isChecked());
    ASSERT_TRUE(form.link().closePort());
    PortMap::global().setOverride(1, link.folder.filePath("gone"));
    for (int i = 0; i < 2; ++i) {
        tick();
        EXPECT_FALSE(state().portOpen);
        EXPECT_FALSE(lamp->isChecked());
        EXPECT_EQ(lamp->caption(), "COM1 not available");
    }
    EXPECT_NE(status(), "USB connected");
    PortMap::global().setOverride(1, QString::fromStdString(link.sim.slavePath()));
    tick();
    EXPECT_TRUE(state().portOpen);
    EXPECT_EQ(status(), "USB connected");
    EXPECT_EQ(lamp->caption(), "COM1 Connected");
}

TEST_F(PollCycleTickTest, TheTickShowsTheTimeOfDay) {
    clock->clear();
    tick();
    EXPECT_FALSE(clock->text().isEmpty());
    EXPECT_TRUE(clock->text().contains(QTime::currentTime().toString("mm")) ||
                clock->text().contains(QTime::currentTime().addSecs(-60).toString("mm")))
        << clock->text().toStdString();
}

} // namespace
