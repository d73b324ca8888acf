// The documented pauses, measured where they matter: on the controller's side of the line,
// from the simulator's own timestamps. Each is bounded from below (a pause that does nothing
// fails) and from above (a pause that waits twice fails too).

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/TForm1.h"
#include "app/pages/ParameterTransfer.h"
#include "app/service/Commissioning.h"
#include "app/service/FirmwareUpdate.h"

#include <QFile>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

using namespace zuvo;
using zuvo::test::runUntil;
using zuvo::test::SimulatedLink;
using Clock = std::chrono::steady_clock;

namespace {

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Checks `gap` against a pause of `pauseMs`: not shorter (but for the few milliseconds by
// which the simulator may note either end late), at most `slackMs` longer.
void expectPause(double gap, double pauseMs, double slackMs, const std::string& what) {
    EXPECT_GE(gap, pauseMs - 2 - pauseMs / 200) << what;
    EXPECT_LE(gap, pauseMs + slackMs) << what;
}

struct TimedByte {
    Clock::time_point at;
    std::uint8_t byte;
};

std::vector<TimedByte> bytesOf(const std::vector<sim::Simulator::LineChunk>& log,
                               bool fromProgram) {
    std::vector<TimedByte> out;
    for (const auto& chunk : log) {
        if (chunk.fromProgram == fromProgram) {
            for (std::uint8_t b : chunk.bytes) {
                out.push_back({chunk.at, b});
            }
        }
    }
    return out;
}

// The first request starting with `prefix` at or after `from`.
std::optional<sim::Simulator::TimedRequest>
firstRequest(const sim::Simulator& sim, const std::string& prefix, Clock::time_point from = {}) {
    for (const auto& r : sim.timedRequests()) {
        if (r.text.starts_with(prefix) && r.at >= from) {
            return r;
        }
    }
    return std::nullopt;
}

// 200 ms after each acknowledged block, 50 ms before a rejected block is sent again.
TEST(TimingTest, FirmwareUpdatePausesAfterAcknowledgeAndBeforeResend) {
    sim::SimOptions options;
    options.faults.nakBlocks[2] = 1;
    SimulatedLink link(options);
    const QString path = link.folder.filePath("three.BIN");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3 * 128, '\x5A'));
    file.close();

    TForm1 form;
    form.appStartup().FormCreate({});
    FirmwareUpdate::Hooks hooks;
    hooks.confirm = [](const QString&) { return true; };
    hooks.chooseFile = [&] { return path; };
    hooks.message = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
    form.firmwareUpdate().setHooks(hooks);
    link.sim.clearLog();
    form.firmwareUpdate().FlashUpdate1Click();
    ASSERT_EQ(link.sim.completedUpdates(), 1);

    // What the program sent after each answer of the bootloader: a block (SOH) or the end (EOT).
    const auto log = link.sim.lineLog();
    const std::vector<TimedByte> answers = bytesOf(log, false);
    const std::vector<TimedByte> sent = bytesOf(log, true);
    struct Step {
        std::uint8_t answer;
        std::uint8_t next;
        double gapMs;
    };
    std::vector<Step> steps;
    for (const TimedByte& a : answers) {
        if (a.byte != 0x06 && a.byte != 0x15) {
            continue;
        }
        for (std::size_t i = 0; i < sent.size(); ++i) {
            // A block starts with SOH followed by its number and the complement.
            const bool block =
                sent[i].byte == 0x01 && i + 2 < sent.size() &&
                sent[i + 2].byte == static_cast<std::uint8_t>(255 - sent[i + 1].byte);
            if (sent[i].at > a.at && (block || sent[i].byte == 0x04)) {
                steps.push_back({a.byte, sent[i].byte, msBetween(a.at, sent[i].at)});
                break;
            }
        }
    }
    // ACK 1, NAK 2, ACK 2, ACK 3 are followed by something; the ACK of EOT ends it.
    ASSERT_EQ(steps.size(), 4u);
    const std::uint8_t expected[][2] = {{0x06, 0x01}, {0x15, 0x01}, {0x06, 0x01}, {0x06, 0x04}};
    for (std::size_t k = 0; k < steps.size(); ++k) {
        EXPECT_EQ(steps[k].answer, expected[k][0]) << k;
        EXPECT_EQ(steps[k].next, expected[k][1]) << k;
        const bool nak = steps[k].answer == 0x15;
        expectPause(steps[k].gapMs, nak ? 50 : 200, nak ? 60 : 100,
                    "step " + std::to_string(k) + (nak ? " after NAK" : " after ACK"));
    }
}

// An unanswered controller is asked for the block in rounds of 1000 ms, the first 2 s after
// start.
TEST(TimingTest, UnansweredBlockRequestsComeInRoundsOfOneSecond) {
    sim::SimOptions options;
    options.faults.silent = true;
    SimulatedLink link(options);
    TForm1 form;
    const Clock::time_point started = Clock::now();
    form.appStartup().FormCreate({});
    ASSERT_TRUE(runUntil([&] { return link.sim.requestCount() >= 4; }, 8000));
    const auto requests = link.sim.timedRequests();
    expectPause(msBetween(started, requests[0].at), 2000, 200, "first poll");
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(requests[i].text, "PV");
        expectPause(msBetween(requests[i - 1].at, requests[i].at), 1000, 150,
                    "round " + std::to_string(i));
    }
}

// Send Parameter-Block to a silent controller: 200 ms of settling for the pending poll, the
// word, 3.456 s without its acknowledge, then polling again 1500 ms later.
TEST(TimingTest, SettleAndAcknowledgeWaitOfASend) {
    SimulatedLink link;
    TForm1 form;
    form.appStartup().FormCreate({});
    ASSERT_TRUE(runUntil([&] { return !form.link().snapshot().state.ParamReadPending; }, 6000));
    sim::FaultConfig silent;
    silent.silent = true;
    link.sim.setFault(silent);
    // A poll goes out unanswered, so a reply is pending when the send begins.
    const std::size_t before = link.sim.requestCount();
    ASSERT_TRUE(runUntil([&] { return link.sim.requestCount() > before; }, 2000));
    ASSERT_TRUE(form.link().snapshot().state.ReplyPending);

    // The send stops at its first word, and says so in a message box.
    form.parameterTransfer().prompts.message = [](const QString&) {};
    const Clock::time_point clicked = Clock::now();
    form.parameterTransfer().SaveParamClick();
    const auto word = firstRequest(link.sim, "SP", clicked);
    ASSERT_TRUE(word);
    expectPause(msBetween(clicked, word->at), 200, 100, "settle");
    ASSERT_TRUE(runUntil(
        [&] {
            return firstRequest(link.sim, "R", word->at).has_value() ||
                   firstRequest(link.sim, "P", word->at).has_value();
        },
        3000));
    auto next = firstRequest(link.sim, "R", word->at);
    if (const auto block = firstRequest(link.sim, "P", word->at);
        !next || (block && block->at < next->at)) {
        next = block;
    }
    expectPause(msBetween(word->at, next->at), 3456 + 1500, 250, "acknowledge wait and resume");
}

// Test data end after 1.728 s without a byte; polling resumes 200 ms later.
TEST(TimingTest, TestDataEndAfterTheirSilence) {
    SimulatedLink link;
    TForm1 form;
    form.appStartup().FormCreate({});
    ASSERT_TRUE(runUntil([&] { return !form.link().snapshot().state.ParamReadPending; }, 6000));
    link.sim.clearLog();
    form.commissioning().Button10Click();
    const auto asked = firstRequest(link.sim, "RE");
    ASSERT_TRUE(asked);
    ASSERT_TRUE(runUntil(
        [&] {
            return firstRequest(link.sim, "R", asked->at + std::chrono::milliseconds(1))
                .has_value();
        },
        3000));
    const auto next = firstRequest(link.sim, "R", asked->at + std::chrono::milliseconds(1));
    // The last byte of the test data, as the simulator wrote it.
    std::optional<Clock::time_point> lastByte;
    for (const auto& chunk : link.sim.lineLog()) {
        if (!chunk.fromProgram && chunk.at >= asked->at && chunk.at < next->at) {
            lastByte = chunk.at;
        }
    }
    ASSERT_TRUE(lastByte);
    expectPause(msBetween(*lastByte, next->at), 1728 + 200, 200, "silence and resume");
}

} // namespace
