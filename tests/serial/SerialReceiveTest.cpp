// Receiving through OnTriggerAvail and GetBlock.
#include "SerialTestSupport.h"

#include <QCoreApplication>
#include <QThread>

using namespace zuvo;
using namespace zuvo::test;

class SerialReceive : public SerialPortFixture {};

TEST_F(SerialReceive, ExactCountSucceedsOneMoreFailsAndTakesNothing) {
    QByteArray got;
    std::vector<std::string> overAsk;
    bool onMainThread = true;
    port.OnTriggerAvail = [&](TSerialComPort& cp, quint16 count) {
        onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        QByteArray buf(count + 1, Qt::Uninitialized);
        overAsk.push_back(failure([&] { cp.GetBlock(buf.data(), count + 1); }));
        cp.GetBlock(buf.data(), count);
        got.append(buf.constData(), count);
    };
    port.setOpen(true);
    pty.write("\x02RV0001\x03");
    ASSERT_TRUE(waitFor([&] { return got.size() == 8; }));
    EXPECT_EQ(got, "\x02RV0001\x03");
    EXPECT_TRUE(onMainThread);
    for (const auto& message : overAsk) {
        EXPECT_EQ(message, serial_text::BufferEmpty);
    }
}

TEST_F(SerialReceive, CountsAccumulateWhileTheHandlerTakesNothing) {
    std::vector<quint16> counts;
    port.OnTriggerAvail = [&](TSerialComPort&, quint16 count) { counts.push_back(count); };
    port.setOpen(true);
    pty.write("abc");
    ASSERT_TRUE(waitFor([&] { return !counts.empty() && counts.back() == 3; }));
    const std::size_t afterFirst = counts.size();
    pty.write("de");
    ASSERT_TRUE(waitFor([&] { return !counts.empty() && counts.back() == 5; }));
    EXPECT_EQ(counts.size(), afterFirst + 1);
    // Without new bytes no further notification comes.
    QTest::qWait(50);
    EXPECT_EQ(counts.back(), 5);
    EXPECT_EQ(counts.size(), afterFirst + 1);

    char buf[5];
    port.GetBlock(buf, 5);
    EXPECT_EQ(QByteArray(buf, 5), "abcde");
    EXPECT_EQ(failure([&] { port.GetBlock(buf, 1); }), serial_text::BufferEmpty);
}

TEST_F(SerialReceive, EveryByteValuePassesInOrder) {
    const QByteArray sent = allByteValues(40); // NUL, XON/XOFF, CR and LF included; > 8192
    QByteArray got;
    port.OnTriggerAvail = [&](TSerialComPort& cp, quint16 count) {
        EXPECT_LE(count, 8192);
        QByteArray buf(count, Qt::Uninitialized);
        cp.GetBlock(buf.data(), count);
        got += buf;
    };
    port.setOpen(true);
    pty.write(sent);
    ASSERT_TRUE(waitFor([&] { return got.size() >= sent.size(); }));
    EXPECT_EQ(got, sent);
}

TEST_F(SerialReceive, FlushInBufferDiscardsWaitingBytes) {
    std::vector<quint16> counts;
    port.OnTriggerAvail = [&](TSerialComPort&, quint16 count) { counts.push_back(count); };
    port.setOpen(true);
    pty.write("old");
    ASSERT_TRUE(waitFor([&] { return !counts.empty() && counts.back() == 3; }));
    port.FlushInBuffer();
    char buf[4];
    EXPECT_EQ(failure([&] { port.GetBlock(buf, 1); }), serial_text::BufferEmpty);
    pty.write("new!");
    ASSERT_TRUE(waitFor([&] { return counts.back() == 4; }));
    port.GetBlock(buf, 4);
    EXPECT_EQ(QByteArray(buf, 4), "new!");
}

// However the device says it is gone, the component lets it go at once: the port closes,
// the threads end, the program hears it once, and the next send fails instead of piling up.
TEST_F(SerialReceive, AVanishedDeviceIsClosedAtOnce) {
    class Dying : public SpyDevice {
    public:
        Dying(std::shared_ptr<DeviceLog> log, int error)
            : SpyDevice(std::move(log)), error_(error) {}
        ssize_t read(void* buf, size_t len) override {
            if (error_ < 0) {
                return SpyDevice::read(buf, len);
            }
            errno = error_;
            return error_ == 0 ? 0 : -1;
        }

    private:
        int error_;
    };
    struct Case {
        const char* name;
        int readError; // -1: a real hang-up of the pseudo-terminal
    };
    for (const Case& c : {Case{"hang-up", -1}, Case{"read of 0 bytes", 0}, Case{"EIO", EIO}}) {
        PtyPair line;
        PortMap::global().setOverride(ComNo, line.slavePath());
        auto log = std::make_shared<DeviceLog>();
        port.setDeviceFactory([log, c] { return std::make_unique<Dying>(log, c.readError); });
        const int before = threadCount();
        int lost = 0;
        const QMetaObject::Connection watch =
            QObject::connect(&port, &TSerialComPort::deviceLost, [&] {
                ++lost;
                EXPECT_FALSE(port.Open()) << "closed before the program hears of it";
            });
        port.setOpen(true);
        if (c.readError < 0) {
            line.closeMaster();
        } else {
            line.write("x");
        }
        ASSERT_TRUE(waitFor([&] { return !port.Open(); })) << c.name;
        EXPECT_EQ(lost, 1) << c.name;
        EXPECT_FALSE(port.DeviceGone()) << c.name;
        EXPECT_TRUE(waitFor([&] { return threadCount() == before; })) << c.name;
        EXPECT_EQ(failure([&] { port.PutBlock("lost", 4); }), serial_text::NotOpen) << c.name;
        QTest::qWait(50);
        EXPECT_EQ(lost, 1) << c.name;
        QObject::disconnect(watch);
    }
}
