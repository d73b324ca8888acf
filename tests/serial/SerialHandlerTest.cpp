// What handlers may do: close the port, reopen it, take too long.
#include "SerialTestSupport.h"

#include <thread>
#include <utility>

using namespace zuvo;
using namespace zuvo::test;

class SerialHandler : public SerialPortFixture {};

TEST_F(SerialHandler, CloseInsideTheHandler) {
    const int before = threadCount();
    int calls = 0;
    bool openInside = true;
    bool deviceFreeInside = false;
    std::string getBlockInside;
    port.OnTriggerAvail = [&](TSerialComPort& cp, quint16 count) {
        ++calls;
        cp.setOpen(false);
        openInside = cp.Open();
        // The device itself is closed at once ...
        TSerialComPort other;
        other.setComNumber(ComNo);
        other.setOpen(true);
        deviceFreeInside = other.Open();
        other.setOpen(false);
        // ... while the component is still shutting down: its methods do nothing.
        char buf[16];
        getBlockInside = failure([&] { cp.GetBlock(buf, count); });
    };
    port.setOpen(true);
    pty.write("bye");
    ASSERT_TRUE(waitFor([&] { return calls == 1; }));
    EXPECT_FALSE(openInside);
    EXPECT_TRUE(deviceFreeInside);
    EXPECT_EQ(getBlockInside, "<no error>");

    EXPECT_FALSE(port.Open());
    EXPECT_EQ(failure([&] { port.PutChar('x'); }), serial_text::NotOpen);
    EXPECT_EQ(threadCount(), before);
    pty.write("more");
    QTest::qWait(50);
    EXPECT_EQ(calls, 1);

    // It opens again normally afterwards.
    port.OnTriggerAvail = [&](TSerialComPort& cp, quint16 count) {
        char buf[16];
        cp.GetBlock(buf, count);
        ++calls;
    };
    port.setOpen(true);
    pty.write("again");
    EXPECT_TRUE(waitFor([&] { return calls == 2; }));
}

TEST_F(SerialHandler, ReopenAskedInsideTheHandlerHappensAfterIt) {
    bool openInside = true;
    int calls = 0;
    port.OnTriggerAvail = [&](TSerialComPort& cp, quint16) {
        if (++calls == 1) {
            cp.setOpen(false);
            cp.setOpen(true);
            openInside = cp.Open();
        }
    };
    port.setOpen(true);
    pty.write("a");
    ASSERT_TRUE(waitFor([&] { return calls == 1; }));
    EXPECT_FALSE(openInside);
    EXPECT_TRUE(port.Open());
    pty.write("b");
    EXPECT_TRUE(waitFor([&] { return calls == 2; }));
}

// Slow: waits out the dispatcher's 3000 ms twice.
TEST_F(SerialHandler, HandlerOrMainThreadTooSlowDoesNotWedgeThePort) {
    using namespace std::chrono_literals;
    std::vector<quint16> counts;
    std::string earlyOverAsk;
    bool refilledAfterTimeout = false;
    bool slow = true;
    port.OnTriggerAvail = [&](TSerialComPort& cp, quint16 count) {
        counts.push_back(count);
        if (!std::exchange(slow, false)) {
            return;
        }
        // The first handler hangs on for 3.5 s while more bytes arrive.
        std::thread late([this] {
            std::this_thread::sleep_for(100ms);
            pty.write("22");
        });
        std::this_thread::sleep_for(1s);
        char buf[16];
        // Within the dispatcher's wait the handler's view of the buffer does not change ...
        earlyOverAsk = failure([&] { cp.GetBlock(buf, count + 1); });
        std::this_thread::sleep_for(2500ms);
        // ... after it the dispatcher goes on filling the buffer.
        refilledAfterTimeout = failure([&] { cp.GetBlock(buf, count + 2); }) == "<no error>";
        late.join();
    };
    port.setOpen(true);
    pty.write("1");
    ASSERT_TRUE(waitFor([&] { return !counts.empty(); }, 3000));
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(earlyOverAsk, serial_text::BufferEmpty);
    EXPECT_TRUE(refilledAfterTimeout);

    // A main thread that does not get round to a notification within 3 s: it stays posted and
    // runs once, with the count of that moment.
    counts.clear();
    pty.write("33");
    std::this_thread::sleep_for(3200ms);
    pty.write("444");
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(waitFor([&] { return !counts.empty(); }));
    QTest::qWait(50);
    EXPECT_EQ(counts, std::vector<quint16>{5});

    port.setOpen(false);
    EXPECT_FALSE(port.Open());
}
