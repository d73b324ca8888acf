#include "device/PollChoice.h"
#include "device/RequestFrames.h"

#include <gtest/gtest.h>

#include <string>

namespace zuvo {
namespace {

std::string letters(const Frame& frame) {
    return std::string(frame.begin() + 1, frame.end() - 1);
}

TEST(PollChoice, OneTickFromEachState) {
    struct Case {
        const char* name;
        bool sensorCheckPhase;
        bool paramReadPending;
        bool recordingView;
        std::int8_t selector;
        std::uint8_t counterBefore;
        const char* sent;
        std::uint8_t counterAfter;
    };
    const Case cases[] = {
        {"ordinary poll", false, false, false, 0, 0, "RV", 0},
        {"counter only moves in the sensor-check phase", false, false, false, 0, 10, "RV", 10},
        {"counting towards the 11th", true, false, false, 0, 3, "RV", 4},
        {"10th poll of the phase", true, false, false, 0, 9, "RV", 10},
        {"11th poll asks for sensor words", true, false, false, 0, 10, "RX", 0},
        {"block wanted", false, true, false, 0, 0, "PV", 0},
        {"block wanted on the 11th poll", true, true, false, 0, 10, "PX", 0},
        {"recording view forces V but still counts", true, false, true, 0, 10, "RV", 0},
        {"recording view while the block is wanted", true, true, true, 0, 10, "PV", 0},
        {"Relais1 instead of the poll", true, true, false, 1, 10, "QS01", 10},
        {"Relais2 instead of the poll", false, false, true, 2, 0, "QS02", 0},
    };
    for (const auto& c : cases) {
        LinkState state;
        state.SensorCheckPhase = c.sensorCheckPhase;
        state.ParamReadPending = c.paramReadPending;
        state.PollSelector = c.selector;
        state.SensorPollCounter = c.counterBefore;
        const Frame frame = nextPollFrame(state, c.recordingView);
        EXPECT_EQ(letters(frame), c.sent) << c.name;
        EXPECT_EQ(frame.front(), 0x02) << c.name;
        EXPECT_EQ(frame.back(), 0x03) << c.name;
        EXPECT_EQ(state.SensorPollCounter, c.counterAfter) << c.name;
        EXPECT_EQ(state.PollSelector, 0) << c.name;
        EXPECT_EQ(state.ParamReadPending, c.paramReadPending) << c.name;
        EXPECT_EQ(state.SensorCheckPhase, c.sensorCheckPhase) << c.name;
    }
}

TEST(PollChoice, EveryEleventhPollOfTheSensorCheckPhaseIsX) {
    LinkState state;
    state.ParamReadPending = false;
    std::string sent;
    for (int tick = 0; tick < 33; ++tick) {
        sent += letters(nextPollFrame(state, false))[1];
    }
    EXPECT_EQ(sent, "VVVVVVVVVVX"
                    "VVVVVVVVVVX"
                    "VVVVVVVVVVX");
}

TEST(PollChoice, ARelayTestIsSentOnceAndDoesNotCountAsAPoll) {
    LinkState state;
    state.ParamReadPending = false;
    state.SensorPollCounter = 10;
    state.PollSelector = 1;
    EXPECT_EQ(letters(nextPollFrame(state, false)), "QS01");
    EXPECT_EQ(letters(nextPollFrame(state, false)), "RX");
    EXPECT_EQ(letters(nextPollFrame(state, false)), "RV");
}

} // namespace
} // namespace zuvo
