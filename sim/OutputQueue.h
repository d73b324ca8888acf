#pragma once
// Bytes waiting to go out on the line, each reply with the earliest time it may start. Paced,
// the bytes leave one at a time at the rate of a 9600-baud line (10 bits a byte), each when its
// last bit has crossed the line, so even a one-byte acknowledge takes its byte time; the times
// are kept on a schedule, so a late wake-up catches up instead of slowing the line down.

#include "ControllerModel.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace zuvo::sim {

inline constexpr std::chrono::nanoseconds kByteTime9600{1'041'667};

class OutputQueue {
public:
    void setPaced(bool paced) { paced_ = paced; }
    void push(std::vector<std::uint8_t> bytes, Clock::time_point earliest);
    // When the next byte may go out; nullopt when nothing waits.
    std::optional<Clock::time_point> nextDue() const;
    // When the last byte queued goes out, at the earliest now.
    Clock::time_point endTime(Clock::time_point now) const;
    // Removes and returns the bytes due by `now`.
    std::vector<std::uint8_t> takeDue(Clock::time_point now);
    // Paced: when the last byte taken was due, which is `now` of its takeDue or earlier.
    Clock::time_point lastDue() const { return lastByte_; }
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); }

private:
    struct Entry {
        Clock::time_point earliest;
        std::vector<std::uint8_t> bytes;
        std::size_t sent = 0;
    };
    std::deque<Entry> entries_;
    bool paced_ = false;
    Clock::time_point lastByte_{}; // when the last byte sent had crossed the line
};

} // namespace zuvo::sim
