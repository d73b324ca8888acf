// A controller that misbehaves: endless garbage, endless text, a reply in single bytes. The
// buffer stays bounded, the window keeps handling events, nothing is decoded from a partial
// frame, and a good reply is taken again afterwards.

#include "ReceiveLink.h"
#include "app/live/ReceiveDispatcher.h"
#include "device/ReplyFrames.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

using namespace zuvo;
using namespace zuvo::test;

namespace {

class ReceiveBadInputTest : public ReceiveLinkTest {
protected:
    void SetUp() override {
        ReceiveLinkTest::SetUp();
        // Watches the buffer after every notification.
        form.ComPort1.OnTriggerAvail = [this](TSerialComPort& cp, quint16 count) {
            form.link().ComPort1TriggerAvail(cp, count);
            maxHeld = std::max(maxHeld, form.Rx.RxCount);
            taken += count;
        };
        // A ticking timer shows whether the window still handles events during the flood.
        heartbeat.setInterval(10);
        QObject::connect(&heartbeat, &QTimer::timeout, [this] {
            if (sinceBeat.isValid()) {
                longestGapMs = std::max(longestGapMs, sinceBeat.elapsed());
            }
            sinceBeat.start();
        });
        heartbeat.start();
    }

    // Sends `total` bytes of `fill` in pieces of 4096 and waits until all have been taken.
    bool flood(std::uint8_t fill, std::size_t total) {
        const std::vector<std::uint8_t> piece(4096, fill);
        const std::size_t start = taken;
        for (std::size_t sent = 0; sent < total; sent += piece.size()) {
            link.sim.sendRaw(piece);
        }
        const std::size_t expected = start + (total + piece.size() - 1) / piece.size() * 4096;
        return runUntil([&] { return taken >= expected; }, 20000);
    }

    bool goodReplyTaken(std::uint8_t reedState) {
        return sendStatus(StatusFields().reedState(reedState)) &&
               control<QLabel>("Label11")->text() == QString::number(reedState);
    }

    std::uint32_t maxHeld = 0;
    std::size_t taken = 0;
    QTimer heartbeat;
    QElapsedTimer sinceBeat;
    qint64 longestGapMs = 0;
};

TEST_F(ReceiveBadInputTest, EndlessGarbageAndTextStayBoundedAndTheLinkRecovers) {
    // Noise bytes, then text that never ends its line.
    for (std::uint8_t fill : {std::uint8_t{0xA5}, std::uint8_t{'A'}}) {
        SCOPED_TRACE(int(fill));
        maxHeld = 0;
        ASSERT_TRUE(flood(fill, 200 * 1024));
        EXPECT_LE(maxHeld, kUnframedDataLimit);
        EXPECT_LT(longestGapMs, 1000);
        EXPECT_EQ(form.windowTitle(), "ZUVO Setup Tool  V1.8.4");
        form.Rx.RxCount = 0; // as the next poll would
        EXPECT_TRUE(goodReplyTaken(fill == 'A' ? 6 : 7));
    }
}

TEST_F(ReceiveBadInputTest, TextForTheTestValuesNeverOverrunsTheBuffer) {
    auto* pages = control<QTabWidget>("PageControl1");
    pages->setTabVisible(pages->indexOf(control("TabSheet4")), true);
    ASSERT_TRUE(flood('T', 64 * 1024));
    EXPECT_EQ(maxHeld, kRxBufferSize);
    EXPECT_EQ(form.Rx.RxCount, kRxBufferSize);
    // The first bytes are the ones kept; the room after them is the terminator's.
    EXPECT_EQ(form.Rx.RxBuffer[0], 'T');
    EXPECT_EQ(form.Rx.RxBuffer[kRxBufferSize], 0);
    EXPECT_LT(longestGapMs, 1000);
}

TEST_F(ReceiveBadInputTest, ReplySplitAtEveryByteIsDecodedOnlyWhenWhole) {
    const auto reply = statusFrame(StatusFields().reedState(3).speed(700));
    form.State.ReplyPending = true;
    for (std::size_t i = 0; i + 1 < reply.size(); ++i) {
        ASSERT_TRUE(send({reply[i]}, [&] { return form.Rx.RxCount == i + 1; })) << i;
        ASSERT_TRUE(form.State.ReplyPending) << i;
    }
    EXPECT_NE(control<QLabel>("Label11")->text(), "3");
    ASSERT_TRUE(send({reply.back()}, [this] { return !form.State.ReplyPending; }));
    EXPECT_EQ(control<QLabel>("Label11")->text(), "3");
    EXPECT_EQ(form.Rx.RxCount, 0u);
}

} // namespace
