// The bootloader's XMODEM-CRC receiver.
#include "sim/Bootloader.h"
#include "sim/SimProtocol.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace zuvo::sim;

namespace {

const Clock::time_point t0{};
using std::chrono::milliseconds;

std::vector<std::uint8_t> page(std::uint8_t fill) {
    return std::vector<std::uint8_t>(128, fill);
}

std::vector<std::uint8_t> block(std::uint8_t number, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> b{Bootloader::kSoh, number, static_cast<std::uint8_t>(255 - number)};
    b.insert(b.end(), data.begin(), data.end());
    const std::uint16_t crc = bootloaderCrc(data.data(), data.size());
    b.push_back(static_cast<std::uint8_t>(crc >> 8));
    b.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return b;
}

// Feeds bytes; returns the answers given.
std::vector<std::uint8_t> feed(Bootloader& boot, const std::vector<std::uint8_t>& bytes,
                               Clock::time_point now = t0) {
    std::vector<std::uint8_t> answers;
    for (std::uint8_t b : bytes) {
        std::optional<std::uint8_t> answer;
        EXPECT_EQ(boot.receive(b, now, answer), Bootloader::Take::Consumed);
        if (answer) {
            answers.push_back(*answer);
        }
    }
    return answers;
}

using Answers = std::vector<std::uint8_t>;
const Answers ack{Bootloader::kAck};
const Answers nak{Bootloader::kNak};

} // namespace

TEST(SimBootloader, AcceptsGoodBlocksAndKeepsTheImage) {
    Bootloader boot;
    EXPECT_EQ(boot.start(t0), 'C');
    EXPECT_EQ(feed(boot, block(1, page(0x11))), ack);
    EXPECT_EQ(feed(boot, block(2, page(0x22))), ack);
    EXPECT_EQ(feed(boot, {Bootloader::kEot}), ack);
    EXPECT_FALSE(boot.active());
    EXPECT_EQ(boot.completedTransfers(), 1);
    std::vector<std::uint8_t> expected = page(0x11);
    const auto second = page(0x22);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(boot.image(), expected);
}

TEST(SimBootloader, RejectsBadNumberComplementAndCrc) {
    struct Case {
        const char* name;
        int offset; // byte of block 1 to spoil
        std::uint8_t value;
    } cases[] = {{"number", 1, 3},
                 {"complement", 2, 0xFF},
                 {"data", 50, 0x00},
                 {"crcHigh", 131, 0x00},
                 {"crcLow", 132, 0x00}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bootloader boot;
        boot.start(t0);
        auto bad = block(1, page(0xA5));
        bad[static_cast<std::size_t>(c.offset)] = c.value;
        EXPECT_EQ(feed(boot, bad), nak);
        EXPECT_TRUE(boot.image().empty());
        // The same block sent again intact is taken.
        EXPECT_EQ(feed(boot, block(1, page(0xA5))), ack);
        EXPECT_EQ(boot.blocksAccepted(), 1);
    }
}

TEST(SimBootloader, RepeatedBlockIsAcknowledgedOnce) {
    Bootloader boot;
    boot.start(t0);
    EXPECT_EQ(feed(boot, block(1, page(1))), ack);
    EXPECT_EQ(feed(boot, block(1, page(1))), ack); // our ACK was lost: not stored twice
    EXPECT_EQ(boot.blocksAccepted(), 1);
    EXPECT_EQ(feed(boot, block(3, page(3))), nak); // a block missing
    EXPECT_EQ(boot.blocksAccepted(), 1);
}

TEST(SimBootloader, BlockNumbersWrapAfter255) {
    Bootloader boot;
    boot.start(t0);
    for (int i = 1; i <= 257; ++i) {
        ASSERT_EQ(feed(boot, block(static_cast<std::uint8_t>(i), page(0))), ack) << i;
    }
    EXPECT_EQ(boot.blocksAccepted(), 257);
}

TEST(SimBootloader, AnnouncesItselfUntilTheFirstBlock) {
    Bootloader boot;
    boot.start(t0);
    EXPECT_EQ(boot.deadline(), t0 + milliseconds(1000));
    EXPECT_EQ(boot.tick(t0 + milliseconds(999)), std::nullopt);
    EXPECT_EQ(boot.tick(t0 + milliseconds(1000)), std::optional<std::uint8_t>('C'));
    EXPECT_EQ(boot.tick(t0 + milliseconds(2000)), std::optional<std::uint8_t>('C'));
    feed(boot, block(1, page(0)), t0 + milliseconds(2100));
    EXPECT_EQ(boot.tick(t0 + milliseconds(5000)), std::nullopt);
    EXPECT_EQ(boot.deadline(), std::nullopt);
}

TEST(SimBootloader, BlockCutShortIsRejectedAfterASecond) {
    Bootloader boot;
    boot.start(t0);
    auto b = block(1, page(7));
    b.resize(60);
    EXPECT_TRUE(feed(boot, b).empty());
    EXPECT_EQ(boot.tick(t0 + milliseconds(999)), std::nullopt);
    EXPECT_EQ(boot.tick(t0 + milliseconds(1000)), std::optional<std::uint8_t>(Bootloader::kNak));
    EXPECT_EQ(feed(boot, block(1, page(7)), t0 + milliseconds(1100)), ack);
}

TEST(SimBootloader, InjectedNakAndRestart) {
    Bootloader boot;
    boot.setFaults({{2, 2}}, {3});
    boot.start(t0);
    EXPECT_EQ(feed(boot, block(1, page(1))), ack);
    EXPECT_EQ(feed(boot, block(2, page(2))), nak);
    EXPECT_EQ(feed(boot, block(2, page(2))), nak);
    EXPECT_EQ(feed(boot, block(2, page(2))), ack);
    // Block 3 is answered with 'C': the bootloader starts over and wants block 1 again.
    EXPECT_EQ(feed(boot, block(3, page(3))), Answers{'C'});
    EXPECT_TRUE(boot.image().empty());
    EXPECT_EQ(feed(boot, block(1, page(1))), ack);
    EXPECT_EQ(feed(boot, block(2, page(2))), ack);
    EXPECT_EQ(feed(boot, block(3, page(3))), ack);
    EXPECT_EQ(boot.blocksAccepted(), 3);
}

TEST(SimBootloader, NormalFrameBetweenBlocksLeavesTheBootloader) {
    Bootloader boot;
    boot.start(t0);
    feed(boot, block(1, page(1)));
    std::optional<std::uint8_t> answer;
    EXPECT_EQ(boot.receive(0x02, t0, answer), Bootloader::Take::NotMine);
    EXPECT_FALSE(boot.active());
    EXPECT_EQ(boot.completedTransfers(), 0);
    // Inside a block the same byte is data.
    boot.start(t0);
    auto b = block(1, std::vector<std::uint8_t>(128, 0x02));
    EXPECT_EQ(feed(boot, b), ack);
}
