#include "params/ParameterBlock.h"

#include <algorithm>

namespace zuvo {

PositionWords splitPosition(std::int64_t counts) {
    const auto bits = static_cast<std::uint32_t>(static_cast<std::uint64_t>(counts));
    return {static_cast<std::uint16_t>(bits & 0xFFFFu), static_cast<std::uint16_t>(bits >> 16)};
}

JoinedPosition joinPosition(PositionWords words) {
    const auto bits = (static_cast<std::uint32_t>(words.high) << 16) | words.low;
    const auto value = static_cast<std::int32_t>(bits);
    if (value < 0) {
        return {-1, PositionNotSet};
    }
    return {value, PositionSet};
}

void ParameterBlock::splitPositions() {
    for (int j = 0; j < PositionCount; ++j) {
        const PositionWords words = splitPosition(SwitchPositionCounts[j]);
        Slots[Word::positionLow(j)] = words.low;
        Slots[Word::positionLow(j) + 1] = words.high;
    }
}

void ParameterBlock::joinPositions() {
    for (int j = 0; j < PositionCount; ++j) {
        const JoinedPosition joined =
            joinPosition({Slots[Word::positionLow(j)], Slots[Word::positionLow(j) + 1]});
        SwitchPositionCounts[j] = joined.counts;
        SwitchPositionState[j] = joined.state;
    }
}

std::size_t ParameterBlock::storeReceivedWords(std::span<const std::uint16_t> words) {
    const std::size_t count = std::min(words.size(), SlotCount);
    std::copy_n(words.begin(), count, Slots.begin());
    joinPositions();
    return count;
}

void ParameterBlock::clearSentWords(int extraWordCount) {
    const auto last = static_cast<std::size_t>(lastSentWord(extraWordCount));
    std::fill(Slots.begin() + 1, Slots.begin() + static_cast<std::ptrdiff_t>(last) + 1, 0);
}

void updateSwitchPositionStates(std::array<std::int64_t, PositionCount>& counts,
                                std::array<std::int32_t, PositionCount>& states) {
    bool earlierNotSet = false;
    for (int k = 1; k <= 8; ++k) {
        const int entry = switchPositionEntry(k);
        if (earlierNotSet || counts[entry] < 0) {
            earlierNotSet = true;
            counts[entry] = -1;
            states[entry] = PositionNotSet;
        } else {
            states[entry] = PositionSet;
        }
    }
}

void ParameterBlock::updateSwitchPositionStates() {
    zuvo::updateSwitchPositionStates(SwitchPositionCounts, SwitchPositionState);
}

int boundedExtraWordCount(int extraWordCount) {
    return std::clamp(extraWordCount, 0, ParameterBlock::MaxExtraWordCount);
}

int receivedWordCount(int extraWordCount) {
    return BlockBaseWords + boundedExtraWordCount(extraWordCount);
}

int lastSentWord(int extraWordCount) {
    return BlockBaseWords + boundedExtraWordCount(extraWordCount);
}

} // namespace zuvo
