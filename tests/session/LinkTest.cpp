// The link's rules on Link alone, without a window, against the simulated actuator: one exchange
// at a time, a silent tick and no re-arming while one runs, polling resumed at its end however
// it ends, and the results of its steps as values.

#include "session/Link.h"
#include "device/RequestFrames.h"
#include "serial/PortMap.h"
#include "session/EventWait.h"
#include "sim/Simulator.h"
#include "unit/ReceiveEngineReplay.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace zuvo;
using namespace std::chrono_literals;

namespace {

constexpr quint16 kCom = 37;

bool runUntil(const std::function<bool()>& done, int ms) {
    return waitUntil(done, QDeadlineTimer(ms, Qt::PreciseTimer));
}

class LinkTest : public ::testing::Test {
protected:
    explicit LinkTest(sim::SimOptions options = standingStill()) : sim(std::move(options)) {
        sim.start();
        PortMap::global().setOverride(kCom, QString::fromStdString(sim.slavePath()));
        EXPECT_TRUE(link.openPort(kCom).opened);
    }
    ~LinkTest() override { PortMap::global().clearOverrides(); }

    static sim::SimOptions standingStill() {
        sim::SimOptions options;
        options.rpm = 0;
        return options;
    }

    void silence() {
        sim::FaultConfig faults;
        faults.silent = true;
        sim.setFault(faults);
    }

    // A status reply from the controller's side, not asked for.
    void sendStatus() { sim.sendRaw(replay::statusReply({.position = 77})); }

    bool polling() const { return link.snapshot().polling; }
    int pollInterval() const { return link.snapshot().pollIntervalMs; }

    sim::Simulator sim;
    Link link;
};

TEST_F(LinkTest, ATokenExcludesASecondUntilItEnds) {
    std::optional<Exchange> first = link.begin("Send Parameter-Block");
    ASSERT_TRUE(first);
    EXPECT_TRUE(link.exchangeRunning());
    EXPECT_EQ(link.runningExchange(), "Send Parameter-Block");
    EXPECT_FALSE(link.begin("Set Zero Position"));
    EXPECT_EQ(link.runningExchange(), "Send Parameter-Block");

    // Moving the token keeps the exchange; only the last holder ends it.
    std::optional<Exchange> moved(std::move(*first));
    first.reset();
    EXPECT_TRUE(link.exchangeRunning());
    moved.reset();
    EXPECT_FALSE(link.exchangeRunning());
    EXPECT_TRUE(link.runningExchange().isEmpty());
    EXPECT_TRUE(link.begin("Set Zero Position"));
}

TEST_F(LinkTest, TheTickIsSilentWhileATokenIsHeld) {
    QSignalSpy ticked(&link, &Link::ticked);
    {
        std::optional<Exchange> exchange = link.begin("test");
        sim.clearLog();
        link.tick();
        link.tick();
        EXPECT_FALSE(polling());
        EXPECT_EQ(ticked.count(), 0);
        exchange->pause(150);
        EXPECT_EQ(sim.requestCount(), 0u);
    }
    link.tick();
    EXPECT_EQ(ticked.count(), 1);
    EXPECT_TRUE(sim.waitUntil([this] { return sim.requestCount() == 1; }, 2s));
}

TEST_F(LinkTest, ALateReplyDuringAnExchangeDoesNotRearmPolling) {
    QSignalSpy statuses(&link, &Link::statusReceived);
    std::optional<Exchange> exchange = link.begin("test");
    exchange->resumeWith(1500);
    sendStatus();
    ASSERT_TRUE(runUntil([&] { return statuses.count() == 1; }, 2000));
    EXPECT_FALSE(polling()) << "the reply is decoded but polls nothing";

    // The token's end resumes polling with its interval; a reply after it re-arms as always.
    exchange.reset();
    EXPECT_TRUE(polling());
    EXPECT_EQ(pollInterval(), 1500);
    sendStatus();
    ASSERT_TRUE(runUntil([&] { return statuses.count() == 2; }, 2000));
    EXPECT_TRUE(polling());
    EXPECT_EQ(pollInterval(), Link::kStatusPollMs);
}

TEST_F(LinkTest, WithoutAnIntervalTheTimerIsLeftAsTheExchangeFoundIt) {
    link.begin("test").reset();
    EXPECT_FALSE(polling());
    link.startPolling();
    {
        std::optional<Exchange> exchange = link.begin("test");
        EXPECT_FALSE(polling());
    }
    EXPECT_TRUE(polling());
    EXPECT_EQ(pollInterval(), 2000);
}

TEST_F(LinkTest, AHolderThatThrowsStillEndsTheExchange) {
    try {
        std::optional<Exchange> exchange = link.begin("test");
        exchange->resumeWith(200);
        throw std::runtime_error("holder failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(link.exchangeRunning());
    EXPECT_TRUE(polling());
    EXPECT_EQ(pollInterval(), 200);
}

TEST_F(LinkTest, StepsReportTheirResults) {
    std::optional<Exchange> exchange = link.begin("test");
    EXPECT_EQ(exchange->sendAndWaitForAck(writeWordFrame(5, 0x00C8)), LinkResult::Acknowledged);
    EXPECT_EQ(sim.parameterWord(5), 0x00C8);

    const LinkAnswer<LiveStatus> status = exchange->requestStatus(2000);
    ASSERT_EQ(status.result, LinkResult::Replied);
    ASSERT_TRUE(status.value && status.value->position);
    EXPECT_EQ(status.value->position->counts, sim.position());

    const LinkAnswer<ParameterBlockReply> block = exchange->readBlock(2000);
    ASSERT_EQ(block.result, LinkResult::Replied);
    ASSERT_TRUE(block.value);
    EXPECT_EQ(block.value->words.at(5), 0x00C8);

    silence();
    EXPECT_EQ(exchange->sendAndWaitForAck(writeWordFrame(6, 1)), LinkResult::NoAcknowledge);
    EXPECT_EQ(exchange->requestStatus(300).result, LinkResult::NoReply);
    EXPECT_EQ(exchange->send(testDataFrame()), LinkResult::Sent);
}

TEST_F(LinkTest, TestDataAreCollectedUntilSilenceWithTheirTextLines) {
    std::optional<Exchange> exchange = link.begin("test");
    QSignalSpy captions(&link, &Link::captionReceived);
    const LinkAnswer<std::vector<std::uint8_t>> text =
        exchange->collectUntilSilent(testDataFrame(), 300);
    ASSERT_EQ(text.result, LinkResult::Replied);
    ASSERT_TRUE(text.value);
    EXPECT_GT(std::count(text.value->begin(), text.value->end(), '\r'), 1);
    EXPECT_EQ(captions.count(), 0) << "the lines are test data, not captions";
}

TEST_F(LinkTest, RawModeCollectsBytesAndItsEndDropsThem) {
    QSignalSpy statuses(&link, &Link::statusReceived);
    QSignalSpy arrived(&link, &Link::bytesArrived);
    {
        std::optional<Exchange> exchange = link.begin("update");
        exchange->setReceiveMode(ReceiveMode::Raw);
        const replay::Bytes status = replay::statusReply({.position = 1});
        sim.sendRaw(status);
        ASSERT_TRUE(
            exchange->waitFor(2000, [&] { return exchange->received().size() == status.size(); }));
        EXPECT_EQ(statuses.count(), 0);
        EXPECT_EQ(arrived.count(), 0);
        EXPECT_TRUE(std::equal(status.begin(), status.end(), exchange->received().begin()));
    }
    EXPECT_EQ(link.bytesHeld(), 0u);
    sendStatus();
    EXPECT_TRUE(runUntil([&] { return statuses.count() == 1; }, 2000));
}

TEST_F(LinkTest, PortLostEndsTheStepWithThatResult) {
    silence();
    link.startPolling();
    std::optional<Exchange> exchange = link.begin("test");
    sim.hangUp();
    EXPECT_EQ(exchange->sendAndWaitForAck(writeWordFrame(1, 1)), LinkResult::PortLost);
    EXPECT_TRUE(exchange->portGone());
    exchange.reset();
    EXPECT_FALSE(link.exchangeRunning());
    EXPECT_TRUE(polling());
}

TEST_F(LinkTest, ShutDownStopsPollingForGood) {
    link.startPolling();
    link.shutDown(50);
    EXPECT_FALSE(link.snapshot().portOpen);
    EXPECT_FALSE(polling());
    link.begin("late command").reset();
    link.resumePolling(10);
    EXPECT_FALSE(polling());
    link.startPolling();
    EXPECT_TRUE(polling());
}

} // namespace
