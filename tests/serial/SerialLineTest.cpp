// Line settings while closed and while open, and receive line errors.
#include "SerialTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

using namespace zuvo;
using namespace zuvo::test;

class SerialLineSettings : public SerialPortFixture {
protected:
    void SetUp() override {
        SerialPortFixture::SetUp();
        port.setDeviceFactory(spyFactory(log));
    }
    std::shared_ptr<DeviceLog> log = std::make_shared<DeviceLog>();
};

TEST_F(SerialLineSettings, ChangesWhileClosedApplyAtTheNextOpening) {
    port.setBaud(9600);
    port.setParity(TParity::pOdd);
    {
        std::lock_guard lock(log->mutex);
        EXPECT_TRUE(log->applied.empty());
    }
    port.setOpen(true);
    std::lock_guard lock(log->mutex);
    ASSERT_EQ(log->applied.size(), 1u);
    EXPECT_EQ(log->applied[0].baud, 9600);
    EXPECT_EQ(log->applied[0].parity, TParity::pOdd);
    EXPECT_EQ(log->applied[0].dataBits, 8);
    EXPECT_EQ(log->applied[0].stopBits, 1);
}

TEST_F(SerialLineSettings, ChangesWhileOpenWaitForQueuedOutput) {
    port.setBaud(128000);
    port.setOpen(true);
    const QByteArray block = allByteValues(16); // 4096 bytes, the whole send queue
    port.PutBlock(block.constData(), quint16(block.size()));
    port.setParity(TParity::pOdd);
    port.setBaud(9600);
    EXPECT_EQ(port.Parity(), TParity::pOdd);
    EXPECT_EQ(port.Baud(), 9600);
    {
        std::lock_guard lock(log->mutex);
        ASSERT_EQ(log->applied.size(), 3u);
        EXPECT_EQ(log->applied[1].parity, TParity::pOdd);
        EXPECT_EQ(log->applied[1].baud, 128000);
        EXPECT_EQ(log->applied[2].baud, 9600);
        // Every queued byte had gone to the driver before the line was changed.
        EXPECT_EQ(log->writtenAtApply[1], std::size_t(block.size()));
    }
    EXPECT_EQ(pty.read(block.size()), block);

    // Setting a value it already has does not touch the line.
    port.setParity(TParity::pOdd);
    std::lock_guard lock(log->mutex);
    EXPECT_EQ(log->applied.size(), 3u);
}

// A driver that never reports its output as sent: the change waits 5000 polls of 2 ms and
// then goes ahead, and the window is never frozen for longer than that.
TEST_F(SerialLineSettings, ADriverThatNeverDrainsDelaysTheChangeBoundedly) {
    class NeverDrains : public SpyDevice {
    public:
        using SpyDevice::SpyDevice;
        int unsentBytes() override { return 1; }
    };
    port.setDeviceFactory([this] { return std::make_unique<NeverDrains>(log); });
    port.setOpen(true);
    QElapsedTimer clock;
    clock.start();
    port.setParity(TParity::pOdd);
    const qint64 ms = clock.elapsed();
    EXPECT_GE(ms, 10000);
    EXPECT_LT(ms, 14000);
    EXPECT_EQ(port.Parity(), TParity::pOdd);
    std::lock_guard lock(log->mutex);
    ASSERT_EQ(log->applied.size(), 2u);
    EXPECT_EQ(log->applied[1].parity, TParity::pOdd);
}

TEST(SerialLineErrors, CounterDeltasBecomeErrors) {
    const struct {
        const char* what;
        LineCounts after;
        std::vector<LineError> errors;
    } cases[] = {
        {"nothing", {}, {}},
        {"buffer overflow", {.bufOverrun = 1}, {{1, false}}},
        {"overrun", {.overrun = 3}, {{2, false}}},
        {"framing", {.frame = 1}, {{4, false}}},
        {"break", {.brk = 1}, {{9, true}}},
        {"parity is not checked", {.parity = 5}, {}},
        {"several", {.frame = 2, .brk = 1}, {{4, false}, {9, true}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lineErrorsBetween({}, c.after), c.errors) << c.what;
    }
    // Counters wrap around without a false report.
    EXPECT_EQ(lineErrorsBetween({.frame = 0xFFFFFFFF}, {.frame = 0}),
              (std::vector<LineError>{{4, false}}));
    EXPECT_TRUE(lineErrorsBetween({.frame = 7}, {.frame = 7}).empty());
}

TEST_F(SerialLineSettings, DriverErrorsReachTheHandlerOnTheMainThread) {
    {
        std::lock_guard lock(log->mutex);
        log->counted = true;
    }
    std::vector<LineError> seen;
    bool onMainThread = true;
    port.OnTriggerLineError = [&](TSerialComPort& cp, quint16 error, bool lineBreak) {
        EXPECT_EQ(&cp, &port);
        onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        seen.push_back({error, lineBreak});
    };
    port.setOpen(true);
    {
        std::lock_guard lock(log->mutex);
        log->counts.frame += 1;
        log->counts.brk += 1;
    }
    pty.write(QByteArray(1, '\0')); // a break arrives as a NUL byte
    ASSERT_TRUE(waitFor([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, (std::vector<LineError>{{4, false}, {9, true}}));
    EXPECT_TRUE(onMainThread);

    // Reported once: more bytes without new errors raise nothing.
    pty.write("x");
    QTest::qWait(50);
    EXPECT_EQ(seen.size(), 2u);
}
