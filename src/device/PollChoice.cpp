#include "device/PollChoice.h"

#include "device/RequestFrames.h"

namespace zuvo {

namespace {
constexpr std::uint8_t kPollsPerSensorPoll = 10; // the one after the 10th asks for sensor words
}

Frame nextPollFrame(LinkState& state, bool recordingViewShown) {
    if (state.PollSelector != 0) {
        const auto selector = static_cast<std::uint8_t>(state.PollSelector);
        state.PollSelector = 0;
        return relayTestFrame(selector);
    }
    char first = 'R';
    char second = 'V';
    if (state.SensorCheckPhase) {
        ++state.SensorPollCounter;
        if (state.SensorPollCounter > kPollsPerSensorPoll) {
            second = 'X';
            state.SensorPollCounter = 0;
        }
    }
    if (state.ParamReadPending) {
        first = 'P';
    }
    if (recordingViewShown) {
        second = 'V';
    }
    return pollFrame(first, second);
}

} // namespace zuvo
