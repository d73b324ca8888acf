// A controller that misbehaves: endless garbage, endless text, a reply in single bytes. The
// buffer stays bounded, the window keeps handling events, nothing is decoded from a partial
// frame, and a good reply is taken again afterwards.

#include "ReceiveLink.h"
#include "app/live/LiveDisplay.h"
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
        QObject::connect(&form.link(), &Link::notificationHandled, &form,
                         [this](int) { maxHeld = std::max(maxHeld, held()); });
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
        form.link().tick(); // the next poll empties the buffer
        parkPolling(form.link());
        EXPECT_TRUE(goodReplyTaken(fill == 'A' ? 6 : 7));
    }
}

TEST_F(ReceiveBadInputTest, TextForTheTestValuesNeverOverrunsTheBuffer) {
    form.liveDisplay().setTestValuesTabShown(true);
    ASSERT_TRUE(flood('T', 64 * 1024));
    EXPECT_EQ(maxHeld, kRxBufferSize);
    EXPECT_EQ(held(), kRxBufferSize);
    // The first bytes are the ones kept, all of them the text's.
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("test data"));
    const std::span<const std::uint8_t> kept = exchange->received();
    ASSERT_EQ(kept.size(), kRxBufferSize);
    EXPECT_TRUE(std::all_of(kept.begin(), kept.end(), [](std::uint8_t b) { return b == 'T'; }));
    EXPECT_LT(longestGapMs, 1000);
}

TEST_F(ReceiveBadInputTest, ReplySplitAtEveryByteIsDecodedOnlyWhenWhole) {
    const auto reply = statusFrame(StatusFields().reedState(3).speed(700));
    ASSERT_TRUE(seen().state.ReplyPending); // nothing has answered yet
    for (std::size_t i = 0; i + 1 < reply.size(); ++i) {
        ASSERT_TRUE(send({reply[i]}, [&] { return held() == i + 1; })) << i;
        ASSERT_TRUE(seen().state.ReplyPending) << i;
    }
    EXPECT_NE(control<QLabel>("Label11")->text(), "3");
    ASSERT_TRUE(send({reply.back()}, [this] { return !seen().state.ReplyPending; }));
    EXPECT_EQ(control<QLabel>("Label11")->text(), "3");
    EXPECT_EQ(held(), 0u);
}

} // namespace
