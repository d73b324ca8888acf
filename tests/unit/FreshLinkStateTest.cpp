// What a link does before the controller has answered anything: the state it starts with asks for
// the parameter block first, and takes the first replies whatever they hold.

#include "ReceiveEngineReplay.h"
#include "device/PollChoice.h"

#include <gtest/gtest.h>

#include <string>

namespace zuvo {
namespace {

using namespace replay;

std::string letters(const Frame& frame) {
    return std::string(frame.begin() + 1, frame.end() - 1);
}

TEST(FreshLinkState, TheFirstPollsAskForTheBlockAndTheSensorWords) {
    LinkState state;
    std::string sent;
    for (int tick = 0; tick < 11; ++tick) {
        sent += letters(nextPollFrame(state, false)) + " ";
    }
    EXPECT_EQ(sent, "PV PV PV PV PV PV PV PV PV PV PX ");
}

TEST(FreshLinkState, TheFirstRepliesAreTakenWhateverTheyHold) {
    Receiver r;
    // Zone 0 is drawn: no zone has been drawn yet.
    ReceiveOutcome out = receiveBytes(r.rx, r.state, statusReply({.speed = 500}), r.context);
    ASSERT_TRUE(out.status);
    EXPECT_EQ(out.status->zoneToDraw, 0);
    // Until the controller proves otherwise, speeds below 600 are in the older unit.
    EXPECT_EQ(out.status->rpm, 4882);
    // The controller's first block has 20 words beyond the first 16.
    out = receiveBytes(r.rx, r.state, parameterBlockReply(20), r.context);
    ASSERT_TRUE(out.parameterBlock);
    EXPECT_EQ(out.parameterBlock->words.size(), 36u);
    EXPECT_FALSE(r.state.ParamReadPending);
}

} // namespace
} // namespace zuvo
