// One exchange at a time, seen on the line: with a controller that answers polls 300 ms late,
// the reply to the last poll before a command arrives while the command runs. Nothing may poll
// then: from the moment a command starts until its handler returns, the controller sees only the
// command's own frames.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/live/LiveDisplay.h"
#include "app/service/FirmwareUpdate.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace zuvo;
using namespace std::chrono_literals;
using zuvo::test::runUntil;

namespace {

constexpr int kLatePollReplyMs = 300;

struct Command {
    const char* name;
    const char* ownPrefix; // every frame of the command starts with it
    int ackDelayMs;        // long enough for the late poll reply to arrive during the wait
    std::function<void(TForm1&, test::SimulatedLink&)> run;
    // The read that ends the command (the send's read-back), after all of its own frames.
    std::string closingRead = {};
};

sim::SimOptions latePolls(int ackDelayMs) {
    sim::SimOptions options = test::standingStill();
    options.faults.delayMs = kLatePollReplyMs;
    options.faults.ackDelayMs = ackDelayMs;
    return options;
}

template <typename T> T* control(TForm1& form, const char* name) {
    return form.findChild<T*>(QString::fromLatin1(name));
}

void flashSmallImage(TForm1& form, test::SimulatedLink& link) {
    const QString path = link.folder.filePath(QStringLiteral("image.BIN"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(300, '\x5A'));
    file.close();
    FirmwareUpdate::Hooks hooks;
    hooks.confirm = [](const QString&) { return true; };
    hooks.chooseFile = [path] { return path; };
    hooks.message = [](const QString&) {};
    form.firmwareUpdate().setHooks(hooks);
    control<QAction>(form, "FlashUpdate1")->trigger();
}

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {"send parameter block", "SP", 50,
         [](TForm1& form, test::SimulatedLink&) {
             control<QPushButton>(form, "SaveParam")->click();
         },
         "PV"},
        {"set zero position", "SP00", 0,
         [](TForm1& form, test::SimulatedLink&) {
             control<QPushButton>(form, "LMDButton1")->click();
         }},
        {"calibration", "SP3", 400,
         [](TForm1& form, test::SimulatedLink&) {
             control<QPushButton>(form, "Kalibrierung")->click();
         }},
        {"test data", "RE", 0,
         [](TForm1& form, test::SimulatedLink&) {
             form.liveDisplay().setTestValuesTabShown(true);
             control<QPushButton>(form, "Button10")->click();
         }},
        {"set position", "SA", 400,
         [](TForm1& form, test::SimulatedLink&) {
             form.displayState().MemoryPositionCounts = 2048;
             control<QAction>(form, "SetPosiotn1")->trigger();
         }},
        {"firmware update", "FL", 0, flashSmallImage},
    };
    return all;
}

} // namespace

TEST(ExchangeIsolationTest, NoPollGoesOutWhileACommandRuns) {
    for (const Command& command : commands()) {
        SCOPED_TRACE(command.name);
        test::SimulatedLink link(latePolls(command.ackDelayMs));
        TForm1 form;
        form.appStartup().FormCreate({});
        ASSERT_TRUE(form.link().snapshot().portOpen);
        form.link().resumePolling(10);
        ASSERT_TRUE(
            runUntil([&] { return !form.link().snapshot().state.ParamReadPending; }, 10000));

        // Start the command just after a tick sent a poll: its reply is 300 ms away.
        link.sim.clearLog();
        bool ticked = false;
        const QMetaObject::Connection tick =
            QObject::connect(&form.link(), &Link::ticked, [&ticked] { ticked = true; });
        ASSERT_TRUE(
            runUntil([&] { return ticked && form.link().snapshot().state.ReplyPending; }, 3000));
        QObject::disconnect(tick);
        ASSERT_TRUE(link.sim.waitUntil([&] { return !link.sim.requests().empty(); }, 1s));
        link.sim.clearLog();
        command.run(form, link);
        // Whatever the handler wrote reaches the simulator's log within this pause; no event
        // is handled meanwhile, so the resumed polling sends nothing yet.
        std::this_thread::sleep_for(100ms);

        std::vector<std::string> seen = link.sim.requests();
        if (!command.closingRead.empty()) {
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.back(), command.closingRead);
            seen.pop_back();
        }
        ASSERT_FALSE(seen.empty());
        for (const std::string& request : seen) {
            EXPECT_TRUE(request.starts_with(command.ownPrefix)) << request;
        }
    }
}
