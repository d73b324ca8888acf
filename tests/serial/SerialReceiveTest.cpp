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

TEST_F(SerialReceive, HangUpStopsTheThreadsButThePortStaysOpen) {
    const int before = threadCount();
    int notifications = 0;
    port.OnTriggerAvail = [&](TSerialComPort& cp, quint16 count) {
        ++notifications;
        QByteArray buf(count, Qt::Uninitialized);
        cp.GetBlock(buf.data(), count);
    };
    port.setOpen(true);
    pty.write("hi");
    ASSERT_TRUE(waitFor([&] { return notifications == 1; }));

    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return port.DeviceGone(); }));
    EXPECT_TRUE(waitFor([&] { return threadCount() == before; }));
    EXPECT_TRUE(port.Open());
    // Sends are still accepted into the queue; nothing drains it any more.
    port.PutBlock("lost", 4);
    EXPECT_EQ(port.GetOutBuffFree(), 4096 - 4);
    QTest::qWait(50);
    EXPECT_EQ(notifications, 1);

    port.setOpen(false);
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(threadCount(), before);
}
