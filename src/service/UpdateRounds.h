#pragma once
// Decisions of the firmware update's waiting rounds: what the bootloader's answer means, what
// the labels say, and when to give up. The received bytes are those of the current round only.

#include <QString>

#include <cstdint>
#include <span>

namespace zuvo {

using ReceivedBytes = std::span<const std::uint8_t>;

// Rounds before giving up; a test may shorten them.
struct UpdateLimits {
    unsigned rounds = 1000;      // rounds of waiting for the bootloader, and sends of one block
    unsigned silentRounds = 100; // silent rounds in a row before a later block says so
    unsigned restarts = 10;      // restarts of the bootloader before the last block is reached
};

// What is about to be sent, and where.
struct UpdateImageFacts {
    QString path;
    std::uint64_t size = 0;
    QString port; // "COM3", or a device path
};

// The five lines the user confirms before the update starts, then the file, its size, its pages
// and the port.
QString updateConfirmationText(const UpdateImageFacts& facts);

// ---- Waiting for the bootloader.

// The wait of one round may end early: five bytes, or a 'C' or NAK last.
bool isBootloaderWaitOver(ReceivedBytes received);

// Any of the bootloader's ready signs: 'C' or NAK last, 'C' first, 'C' sixth, or exactly five
// bytes.
bool isBootloaderReady(ReceivedBytes received);

// "Enter Flash-Mode.." and the round's number counted from 1.
QString enterFlashModeLabel(unsigned round);

// The message after the last round brought no ready sign.
QString bootloaderGiveUpMessage(ReceivedBytes received);

// ---- Sending the blocks.

enum class BlockAnswer {
    Silent,    // nothing arrived
    Accepted,  // ACK last
    Restarted, // 'C' last: the bootloader started over and wants the first page again
    Rejected,  // anything else last (NAK or garbage): send the block again
};

BlockAnswer blockAnswer(ReceivedBytes received);

// "Page: p/m", and " : " with the round's number from the second round on (round counts from 0).
QString pageLabel(std::uint64_t page, std::uint64_t pages, unsigned round);

// "CRC " and the rejecting byte as a signed number ("CRC 21" for a NAK).
QString rejectedLabel(ReceivedBytes received);

// After the last round was rejected: what the bootloader said, against the block's CRC.
QString rejectedGiveUpMessage(ReceivedBytes received, std::uint16_t blockCrc);

// After the last round of a block brought nothing.
QString silentGiveUpMessage(ReceivedBytes received);

struct SilentRound {
    bool showNoResponse = false; // "No Response" in the fault label
    bool giveUp = false;         // the block's last round: report and stop
};

// A round of `page` (counted from 1) that brought nothing. The first two pages say so every
// time; a later page only after `silentRounds` silent rounds in a row (`silentInRow` counts
// this one), since a busy bootloader may need a while to write a page.
SilentRound silentRound(std::uint64_t page, unsigned round, unsigned silentInRow,
                        const UpdateLimits& limits);

// The block's rounds are used up after this one.
bool isLastRound(unsigned round, const UpdateLimits& limits);

// A bootloader that starts over on every attempt would be fed the image forever: the update
// gives up at its `limits.restarts`-th restart before the last block was accepted.
bool restartsExhausted(unsigned restarts, const UpdateLimits& limits);

// The message then.
QString restartGiveUpMessage(unsigned restarts);

enum class BlockNext {
    SendAgain, // the same block in the next round
    NextPage,  // accepted: go on with the next page (unless the transfer was stopped)
    FirstPage, // the bootloader started over: rewind to the file's first page, block number 1
    EndRounds, // cancelled while a later block was unanswered: end the transfer with EOT
    GiveUp,    // report `giveUpMessage` and leave without EOT
};

struct BlockRound {
    BlockNext next = BlockNext::SendAgain;
    QString faultLabel;       // new text of the fault label; empty leaves it as it is
    QString giveUpMessage;    // with GiveUp
    int pauseMs = 0;          // wait before going on (the 800 ms of the round are already over)
    unsigned silentInRow = 0; // silent rounds in a row, this one included
};

// What a round of `page` (counted from 1) that sent a block with `blockCrc` and received
// `received` leads to. `silentInRow` counts the silent rounds before this one; `cancelled`
// makes this round the last, as a cancel does.
BlockRound blockRound(ReceivedBytes received, std::uint64_t page, unsigned round,
                      unsigned silentInRow, std::uint16_t blockCrc, bool cancelled,
                      const UpdateLimits& limits);

} // namespace zuvo
