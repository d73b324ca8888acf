// The byte ring under the receive buffer and the send queue.
#include "serial/ByteRing.h"

#include <gtest/gtest.h>
#include <string>

using namespace zuvo;

namespace {

std::string takeAll(ByteRing& ring) {
    std::string out(ring.size(), '\0');
    EXPECT_TRUE(ring.take(out.data(), out.size()));
    return out;
}

} // namespace

TEST(SerialRing, KeepsOrderAcrossTheWrap) {
    ByteRing ring(8);
    EXPECT_EQ(ring.push("abcdef", 6), 6u);
    char two[2];
    ASSERT_TRUE(ring.take(two, 2));
    EXPECT_EQ(std::string(two, 2), "ab");
    EXPECT_EQ(ring.push("ghijkl", 6), 4u); // only the room left is taken
    EXPECT_TRUE(ring.full());
    EXPECT_EQ(ring.front().size(), 6u); // up to the end of the storage
    EXPECT_EQ(takeAll(ring), "cdefghij");
    EXPECT_TRUE(ring.empty());
}

TEST(SerialRing, TakingMoreThanWaitsTakesNothing) {
    ByteRing ring(8);
    ring.push("xyz", 3);
    char buf[4];
    EXPECT_FALSE(ring.take(buf, 4));
    EXPECT_EQ(ring.size(), 3u);
    EXPECT_EQ(takeAll(ring), "xyz");
}

TEST(SerialRing, MoveFromTakesWhatFits) {
    ByteRing queue(16);
    ByteRing ring(4);
    queue.push("0123456789", 10);
    EXPECT_EQ(ring.moveFrom(queue), 4u);
    EXPECT_EQ(queue.size(), 6u);
    EXPECT_EQ(takeAll(ring), "0123");
    EXPECT_EQ(ring.moveFrom(queue), 4u);
    EXPECT_EQ(takeAll(ring), "4567");
    EXPECT_EQ(ring.moveFrom(queue), 2u);
    EXPECT_EQ(takeAll(ring), "89");
}

TEST(SerialRing, ZeroCapacityHoldsNothing) {
    ByteRing ring(0);
    EXPECT_EQ(ring.push("a", 1), 0u);
    EXPECT_TRUE(ring.front().empty());
    char c;
    EXPECT_FALSE(ring.take(&c, 1));
}
