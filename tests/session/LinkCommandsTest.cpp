// The commands front ends give Link, on Link alone against the simulated actuator: each is
// refused while an exchange runs and then touches neither the port nor the line; outside one,
// the port commands, the probe, the block read, the relay test and the decoding geometry do what
// they say, and only the tick's own frame or a held exchange writes to the port.

#include "serial/PortMap.h"
#include "session/EventWait.h"
#include "session/Link.h"
#include "sim/Simulator.h"
#include "unit/ReceiveEngineReplay.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuvo;
using namespace std::chrono_literals;

namespace {

constexpr int kCom = 37;
constexpr int kProbedSim = 3; // the probe finds the simulator under this number too

bool runUntil(const std::function<bool()>& done, int ms) {
    return waitUntil(done, QDeadlineTimer(ms, Qt::PreciseTimer));
}

class LinkCommandsTest : public ::testing::Test {
protected:
    LinkCommandsTest() {
        sim.start();
        PortMap& map = PortMap::global();
        map.clearOverrides();
        map.setOverride(kCom, QString::fromStdString(sim.slavePath()));
        for (int n = Link::kFirstProbedPort; n <= Link::kLastProbedPort; ++n) {
            map.setOverride(n, n == kProbedSim ? QString::fromStdString(sim.slavePath())
                                               : folder.filePath(QStringLiteral("none")));
        }
        EXPECT_TRUE(link.openPort(kCom).opened);
        link.pollStatusOnly();
    }
    ~LinkCommandsTest() override { PortMap::global().clearOverrides(); }

    // One tick; returns the request the controller got from it ("" when none came).
    std::string tickAndSee() {
        const std::size_t before = sim.requestCount();
        link.tick();
        if (!sim.waitUntil([&] { return sim.requestCount() > before; }, 2s)) {
            return {};
        }
        return sim.requests().back();
    }

    QTemporaryDir folder;
    sim::Simulator sim;
    Link link;
};

TEST_F(LinkCommandsTest, EveryCommandIsRefusedWhileAnExchangeRunsAndNothingReachesTheLine) {
    QSignalSpy started(&link, &Link::exchangeStarted);
    QSignalSpy ended(&link, &Link::exchangeEnded);
    {
        std::optional<Exchange> exchange = link.begin(QStringLiteral("Send Parameter-Block"));
        ASSERT_TRUE(exchange);
        ASSERT_EQ(started.count(), 1);
        EXPECT_EQ(started.front().front().toString(), "Send Parameter-Block");
        const LinkSnapshot seen = link.snapshot();
        EXPECT_TRUE(seen.exchangeRunning);
        EXPECT_EQ(seen.exchangeName, "Send Parameter-Block");
        sim.clearLog();

        EXPECT_TRUE(link.openPort(kProbedSim).busy);
        EXPECT_TRUE(link.reopenPort().busy);
        EXPECT_FALSE(link.closePort());
        EXPECT_FALSE(link.probePorts(Link::kWorkingBaud, ProbeUntil::AllTried));
        EXPECT_FALSE(link.askForBlock());
        EXPECT_FALSE(link.requestRelayTest(1));
        link.tick();
        exchange->pause(300);

        EXPECT_EQ(sim.bytesReceived(), 0u) << "nothing but the exchange writes";
        const LinkSnapshot after = link.snapshot();
        EXPECT_TRUE(after.portOpen);
        EXPECT_EQ(after.portNumber, kCom);
        EXPECT_FALSE(after.state.ParamReadPending);
        EXPECT_EQ(after.state.PollSelector, 0);
        EXPECT_EQ(ended.count(), 0);
    }
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(link.snapshot().exchangeRunning);
    // The refused relay test does not come later either.
    EXPECT_EQ(tickAndSee(), "RV");
}

TEST_F(LinkCommandsTest, ARelayTestGoesOutWithTheNextTickInPlaceOfItsPoll) {
    sim.clearLog();
    ASSERT_TRUE(link.requestRelayTest(2));
    EXPECT_TRUE(sim.requests().empty()) << "not before the tick";
    EXPECT_EQ(tickAndSee(), "QS02");
    EXPECT_EQ(tickAndSee(), "RV") << "once";

    // Asked for while the port is closed, it is dropped by the tick that reopens the port.
    ASSERT_TRUE(link.requestRelayTest(1));
    ASSERT_TRUE(link.closePort());
    link.tick();
    EXPECT_TRUE(link.snapshot().portOpen);
    EXPECT_EQ(tickAndSee(), "RV");
}

TEST_F(LinkCommandsTest, AskingForTheBlockMakesThePollsReadItUntilItComes) {
    QSignalSpy blocks(&link, &Link::blockReceived);
    ASSERT_TRUE(link.askForBlock());
    const LinkSnapshot asked = link.snapshot();
    EXPECT_TRUE(asked.state.ParamReadPending);
    EXPECT_EQ(asked.pollIntervalMs, Link::kBlockAskedPollMs);
    ASSERT_TRUE(runUntil([&] { return blocks.count() == 1; }, 3000));
    EXPECT_FALSE(link.snapshot().state.ParamReadPending);
    EXPECT_TRUE(link.blockOfThisOpening());
}

TEST_F(LinkCommandsTest, PortCommandsOpenCloseReopenAndProbe) {
    ASSERT_TRUE(link.closePort());
    EXPECT_FALSE(link.snapshot().portOpen);
    ASSERT_TRUE(link.reopenPort().opened);
    EXPECT_EQ(link.snapshot().portNumber, kCom);
    EXPECT_EQ(link.snapshot().baud, Link::kWorkingBaud);

    // A number that reaches no device says why, by kind.
    const PortOpening missing = link.openPort(5);
    EXPECT_FALSE(missing.opened);
    EXPECT_FALSE(missing.busy);
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->kind(), SerialErrorKind::NoSuchDevice);

    // The probe lists what opens, leaves the port closed on its number and speed from before,
    // and stops at the first one when asked to.
    ASSERT_TRUE(link.openPort(kCom).opened);
    const std::optional<QList<int>> all = link.probePorts(Link::kProbeBaud, ProbeUntil::AllTried);
    ASSERT_TRUE(all);
    EXPECT_EQ(*all, QList<int>{kProbedSim});
    const LinkSnapshot after = link.snapshot();
    EXPECT_FALSE(after.portOpen);
    EXPECT_EQ(after.portNumber, kCom);
    EXPECT_EQ(after.baud, Link::kWorkingBaud);
    EXPECT_EQ(link.probePorts(Link::kProbeBaud, ProbeUntil::FirstThatOpens),
              QList<int>{kProbedSim});
    EXPECT_EQ(sim.bytesReceived(), 0u) << "probing writes nothing";
}

TEST_F(LinkCommandsTest, TheGeometryGivesThePositionInMillimetres) {
    std::optional<LiveStatus> last;
    QObject::connect(&link, &Link::statusReceived,
                     [&last](const LiveStatus& status) { last = status; });
    const struct {
        DecodingGeometry geometry;
        double mm;
    } cases[] = {
        {{.strokeMm = 100.0, .turns = 10, .sensorOnMotorAxis = false}, 2048 * 100.0 / 10240},
        {{.strokeMm = 500.0, .turns = 50, .sensorOnMotorAxis = true}, 2048 * 500.0 / 51200},
    };
    for (const auto& c : cases) {
        link.setGeometry(c.geometry);
        last.reset();
        sim.sendRaw(replay::statusReply({.position = 2048}));
        ASSERT_TRUE(runUntil([&] { return last.has_value(); }, 2000));
        ASSERT_TRUE(last->position);
        EXPECT_DOUBLE_EQ(last->position->mm, c.mm);
    }
}

} // namespace
