#pragma once
// The controller's bootloader after FL: an XMODEM-CRC receiver. It announces itself with 'C'
// (repeated every second until the first block begins), takes 133-byte blocks (SOH, number,
// complement, 128 data bytes, CRC high, CRC low), answers ACK or NAK, and ends with EOT.

#include "ControllerModel.h"
#include "SimProtocol.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace zuvo::sim {

class Bootloader {
public:
    static constexpr std::uint8_t kSoh = sim::kSoh;
    static constexpr std::uint8_t kEot = sim::kEot;
    static constexpr std::uint8_t kAck = kXAck;
    static constexpr std::uint8_t kNak = kXNak;
    static constexpr std::uint8_t kReady = kCrcReady;
    static constexpr std::size_t kBlockSize = kBlockBytes;

    // Enters the bootloader; returns the first 'C'.
    std::uint8_t start(Clock::time_point now);
    bool active() const { return active_; }

    enum class Take { Consumed, NotMine };
    // Takes one byte. NotMine: a normal request frame began between blocks, so the program has
    // given up on the update; the bootloader has left and the byte belongs to the protocol.
    // A sticky bootloader takes such bytes as noise and stays.
    Take receive(std::uint8_t byte, Clock::time_point now, std::optional<std::uint8_t>& answer);

    // Timed answers: the repeated 'C', a NAK for a block that stopped short.
    std::optional<std::uint8_t> tick(Clock::time_point now);
    std::optional<Clock::time_point> deadline() const;

    // As real controllers do: after a cancelled or failed update the bootloader stays until
    // the line is closed.
    void setSticky(bool sticky) { sticky_ = sticky; }
    // The program closed the line.
    void lineClosed();

    // Faults: NAK block p (counted from 1) so many times; answer block p once with 'C'; answer
    // every block from `restartAlwaysFrom` on with 'C' (0: never).
    void setFaults(const std::map<int, int>& nakBlocks, const std::set<int>& restartBlocks,
                   int restartAlwaysFrom = 0);

    // Data of the accepted blocks of the last session (filler included).
    const std::vector<std::uint8_t>& image() const { return image_; }
    int completedTransfers() const { return completed_; }
    int blocksAccepted() const { return static_cast<int>(image_.size() / 128); }

private:
    std::uint8_t checkBlock();

    bool active_ = false;
    bool sticky_ = false;
    bool blockSeen_ = false; // a block has begun in this session: no more ready signs
    std::uint8_t expected_ = 1;
    std::vector<std::uint8_t> block_;
    Clock::time_point nextReady_{};
    Clock::time_point lastByte_{};
    std::vector<std::uint8_t> image_;
    int completed_ = 0;
    std::map<int, int> nakBlocks_;
    std::set<int> restartBlocks_;
    int restartAlwaysFrom_ = 0;
};

} // namespace zuvo::sim
