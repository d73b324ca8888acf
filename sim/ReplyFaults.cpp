#include "ReplyFaults.h"

#include "ProtocolEngine.h"

#include <algorithm>
#include <iterator>

namespace zuvo::sim {

void ReplyFaults::configure(const FaultConfig& faults) {
    faults_ = faults;
    replies_ = 0;
}

std::uint32_t ReplyFaults::next() {
    seed_ = seed_ * 1664525u + 1013904223u; // fixed sequence: runs are repeatable
    return seed_ >> 16;
}

std::vector<std::uint8_t> ReplyFaults::noise(int count) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t r = next();
        out.push_back(
            static_cast<std::uint8_t>(faults_.noiseLooksLikeFrames ? r & 0xFF : 0x80 + r % 0x7F));
    }
    if (faults_.noiseLooksLikeFrames) {
        // Each of the bytes that end or start something in the program's receive path, at a
        // place of its own.
        const std::uint8_t frameBytes[] = {kStx, kEtx, kAckByte, kCr};
        for (std::size_t k = 0; k < std::size(frameBytes) && k < out.size(); ++k) {
            const std::size_t slots = out.size() / std::size(frameBytes);
            const std::size_t at = slots > 0 ? k * slots + next() % slots : k;
            out[std::min(at, out.size() - 1)] = frameBytes[k];
        }
    }
    return out;
}

std::optional<ReplyFaults::Shaped> ReplyFaults::shape(std::vector<std::uint8_t> reply) {
    if (faults_.silent) {
        return std::nullopt;
    }
    ++replies_;
    if (faults_.dropEvery > 0 && replies_ % faults_.dropEvery == 0) {
        return std::nullopt;
    }
    Shaped s;
    if (faults_.garbageBytes > 0) {
        s.bytes = noise(faults_.garbageBytes);
    }
    s.bytes.insert(s.bytes.end(), reply.begin(), reply.end());
    const bool acknowledge = reply.size() == 1 && reply.front() == kAckByte;
    const int delayMs = acknowledge && faults_.ackDelayMs ? *faults_.ackDelayMs : faults_.delayMs;
    s.delay = std::chrono::milliseconds(delayMs > 0 ? delayMs : 0);
    return s;
}

} // namespace zuvo::sim
