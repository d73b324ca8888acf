#include "Bootloader.h"

namespace zuvo::sim {

namespace {
constexpr auto kReadyInterval = std::chrono::milliseconds(1000);
// A block that stops arriving for this long is discarded and rejected.
constexpr auto kBlockGap = std::chrono::milliseconds(1000);
} // namespace

std::uint8_t Bootloader::start(Clock::time_point now) {
    active_ = true;
    blockSeen_ = false;
    expected_ = 1;
    block_.clear();
    image_.clear();
    nextReady_ = now + kReadyInterval;
    return kReady;
}

void Bootloader::setFaults(const std::map<int, int>& nakBlocks, const std::set<int>& restartBlocks,
                           int restartAlwaysFrom) {
    nakBlocks_ = nakBlocks;
    restartBlocks_ = restartBlocks;
    restartAlwaysFrom_ = restartAlwaysFrom;
}

Bootloader::Take Bootloader::receive(std::uint8_t byte, Clock::time_point now,
                                     std::optional<std::uint8_t>& answer) {
    answer.reset();
    if (!active_) {
        return Take::NotMine;
    }
    lastByte_ = now;
    if (!block_.empty()) {
        block_.push_back(byte);
        if (block_.size() == kBlockSize) {
            answer = checkBlock();
            block_.clear();
        }
        return Take::Consumed;
    }
    switch (byte) {
    case kSoh:
        blockSeen_ = true;
        block_.push_back(byte);
        break;
    case kEot:
        active_ = false;
        ++completed_;
        answer = kAck;
        break;
    case kStx:
        if (sticky_) {
            break;
        }
        active_ = false;
        return Take::NotMine;
    default:
        break; // noise between blocks
    }
    return Take::Consumed;
}

std::uint8_t Bootloader::checkBlock() {
    const std::uint8_t number = block_[1];
    const bool complementOk = block_[2] == static_cast<std::uint8_t>(255 - number);
    const std::uint16_t crc = bootloaderCrc(block_.data() + 3, kBlockData);
    const bool crcOk = block_[131] == (crc >> 8) && block_[132] == (crc & 0xFF);
    if (!complementOk || !crcOk) {
        return kNak;
    }
    if (number == static_cast<std::uint8_t>(expected_ - 1) && !image_.empty()) {
        return kAck; // the same block again (our answer was lost): already stored
    }
    if (number != expected_) {
        return kNak;
    }
    const int page = blocksAccepted() + 1;
    const bool restartAlways = restartAlwaysFrom_ > 0 && page >= restartAlwaysFrom_;
    if (restartBlocks_.erase(page) > 0 || restartAlways) {
        expected_ = 1;
        image_.clear();
        return kReady;
    }
    if (auto it = nakBlocks_.find(page); it != nakBlocks_.end() && it->second > 0) {
        --it->second;
        return kNak;
    }
    image_.insert(image_.end(), block_.begin() + 3, block_.begin() + 131);
    ++expected_;
    return kAck;
}

void Bootloader::lineClosed() {
    if (sticky_) {
        active_ = false;
        block_.clear();
    }
}

std::optional<std::uint8_t> Bootloader::tick(Clock::time_point now) {
    if (!active_) {
        return std::nullopt;
    }
    if (!block_.empty() && now - lastByte_ >= kBlockGap) {
        block_.clear();
        return kNak;
    }
    if (!blockSeen_ && now >= nextReady_) {
        nextReady_ = now + kReadyInterval;
        return kReady;
    }
    return std::nullopt;
}

std::optional<Clock::time_point> Bootloader::deadline() const {
    if (!active_) {
        return std::nullopt;
    }
    if (!block_.empty()) {
        return lastByte_ + kBlockGap;
    }
    if (!blockSeen_) {
        return nextReady_;
    }
    return std::nullopt;
}

} // namespace zuvo::sim
