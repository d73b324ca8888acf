// Sending through the send queue.
#include "SerialTestSupport.h"

using namespace zuvo;
using namespace zuvo::test;

class SerialSend : public SerialPortFixture {};

TEST_F(SerialSend, BytesArriveInOrder) {
    port.setOpen(true);
    const QByteArray block = allByteValues(8);
    port.PutBlock(block.constData(), quint16(block.size()));
    port.PutChar(0x00);
    port.PutChar(0xFF);
    port.PutBlock("never", 0); // length 0 sends nothing
    EXPECT_EQ(pty.read(block.size() + 2), block + QByteArray("\x00\xFF", 2));
    EXPECT_TRUE(pty.read(1, 50).isEmpty());
    EXPECT_TRUE(waitFor([&] { return port.GetOutBuffFree() == 4096; }));
}

// With nobody reading the far side, the pty fills up and the queue stops draining; a block
// larger than the room left is refused whole.
TEST_F(SerialSend, BlockLargerThanTheFreeRoomQueuesNothing) {
    port.setOpen(true);
    const QByteArray chunk(4096, 'q');
    qsizetype queued = 0;
    quint16 free = 0;
    for (int i = 0; i < 200; ++i) {
        waitFor([&] { return port.GetOutBuffFree() == 4096; }, 100);
        free = port.GetOutBuffFree();
        if (free < 4096) {
            break;
        }
        port.PutBlock(chunk.constData(), 4096);
        queued += 4096;
    }
    ASSERT_LT(free, 4096) << "the pty never filled up";
    QTest::qWait(20);
    free = port.GetOutBuffFree();
    ASSERT_GT(free, 0);

    const QByteArray marker(free + 1, 'X');
    EXPECT_EQ(failure([&] { port.PutBlock(marker.constData(), quint16(marker.size())); }),
              serial_text::OutputTooSmall);
    EXPECT_EQ(port.GetOutBuffFree(), free);
    port.PutBlock(marker.constData(), free);
    queued += free;
    EXPECT_EQ(port.GetOutBuffFree(), 0);

    // Everything queued arrives, and not one byte of the refused block.
    const QByteArray got = pty.read(queued + 1, 500);
    EXPECT_EQ(got.size(), queued);
    EXPECT_EQ(got.count('X'), free);
}

TEST_F(SerialSend, FlushOutBufferEmptiesTheQueue) {
    port.setOpen(true);
    const QByteArray chunk(4096, 'q');
    for (int i = 0; i < 200 && port.GetOutBuffFree() == 4096; ++i) {
        port.PutBlock(chunk.constData(), 4096);
        waitFor([&] { return port.GetOutBuffFree() == 4096; }, 100);
    }
    ASSERT_LT(port.GetOutBuffFree(), 4096);
    port.FlushOutBuffer();
    EXPECT_EQ(port.GetOutBuffFree(), 4096);
}
