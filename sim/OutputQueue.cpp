#include "OutputQueue.h"

#include <algorithm>

namespace zuvo::sim {

void OutputQueue::push(std::vector<std::uint8_t> bytes, Clock::time_point earliest) {
    if (!bytes.empty()) {
        entries_.push_back({earliest, std::move(bytes), 0});
    }
}

std::optional<Clock::time_point> OutputQueue::nextDue() const {
    if (entries_.empty()) {
        return std::nullopt;
    }
    const Entry& front = entries_.front();
    if (!paced_) {
        return front.earliest;
    }
    // A byte reaches the other end once it has crossed the line, a byte time after it started.
    return std::max(front.earliest, lastByte_) + kByteTime9600;
}

Clock::time_point OutputQueue::endTime(Clock::time_point now) const {
    Clock::time_point last = paced_ ? lastByte_ : Clock::time_point{};
    for (const Entry& e : entries_) {
        if (paced_) {
            const Clock::time_point first = std::max(e.earliest, last) + kByteTime9600;
            last = first + kByteTime9600 * static_cast<long>(e.bytes.size() - e.sent - 1);
        } else {
            last = std::max(last, e.earliest);
        }
    }
    return std::max(now, last);
}

std::vector<std::uint8_t> OutputQueue::takeDue(Clock::time_point now) {
    std::vector<std::uint8_t> out;
    while (!entries_.empty()) {
        const Clock::time_point due = *nextDue();
        if (due > now) {
            break;
        }
        Entry& front = entries_.front();
        if (paced_) {
            out.push_back(front.bytes[front.sent++]);
            lastByte_ = due;
        } else {
            out.insert(out.end(), front.bytes.begin() + static_cast<long>(front.sent),
                       front.bytes.end());
            front.sent = front.bytes.size();
        }
        if (front.sent == front.bytes.size()) {
            entries_.pop_front();
        }
    }
    return out;
}

} // namespace zuvo::sim
