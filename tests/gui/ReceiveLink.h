#pragma once
// The window with its port open on a simulated controller that answers nothing by itself: the
// tests put exact frames on the line with sendRaw and watch the window take them. Polling is
// parked after every piece, so the dispatcher alone acts on the buffer (what a reply did to the
// timer can still be checked in between).

#include "SimulatedLink.h"
#include "app/TForm1.h"
#include "device/FrameBytes.h"
#include "device/HexField.h"
#include "unit/ReceiveEngineReplay.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace zuvo::test {

// The fields of one status reply, set by name: StatusFields().reedState(2).speed(700).
struct StatusFields {
    std::uint8_t status_ = 0x00;
    std::uint8_t reedState_ = 0;
    std::uint16_t angle_ = 0;
    std::uint16_t speed_ = 0;
    std::uint32_t position_ = 0;
    std::uint8_t inputs_ = 0x10;
    std::optional<std::uint16_t> turnCount_; // present: the 28-byte form

    StatusFields& status(std::uint8_t v) {
        status_ = v;
        return *this;
    }
    StatusFields& reedState(std::uint8_t v) {
        reedState_ = v;
        return *this;
    }
    StatusFields& angle(std::uint16_t v) {
        angle_ = v;
        return *this;
    }
    StatusFields& speed(std::uint16_t v) {
        speed_ = v;
        return *this;
    }
    StatusFields& position(std::uint32_t v) {
        position_ = v;
        return *this;
    }
    StatusFields& inputs(std::uint8_t v) {
        inputs_ = v;
        return *this;
    }
    StatusFields& turnCount(std::uint16_t v) {
        turnCount_ = v;
        return *this;
    }
};

using replay::framed;

// The same frame as the receive engine's tests build.
inline std::vector<std::uint8_t> statusFrame(const StatusFields& f) {
    return replay::statusReply({.statusByte = f.status_,
                                .reedState = f.reedState_,
                                .angle = f.angle_,
                                .speed = f.speed_,
                                .position = static_cast<std::int32_t>(f.position_),
                                .inputs = f.inputs_,
                                .withTurnCount = f.turnCount_.has_value(),
                                .turnCount = f.turnCount_.value_or(0)});
}

inline sim::SimOptions quietController() {
    sim::SimOptions options;
    options.faults.silent = true;
    return options;
}

class ReceiveLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(form.link().openPort(1).opened);
        QObject::connect(&form.link(), &Link::notificationHandled, &form,
                         [this](int count) { taken += static_cast<std::size_t>(count); });
    }

    LinkSnapshot seen() const { return form.link().snapshot(); }
    std::uint32_t held() const { return form.link().bytesHeld(); }

    template <typename T = QWidget> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Puts the bytes on the line and lets the window run until its buffer shows them taken:
    // `done` holds within the time limit.
    // The poll timer as the last bytes left it; it is parked again right after.
    bool polledAfterwards = false;
    int pollIntervalAfterwards = 0;

    bool send(const std::vector<std::uint8_t>& bytes, const std::function<bool()>& done,
              int ms = 2000) {
        link.sim.sendRaw(bytes);
        const bool result = runUntil(done, ms);
        const LinkSnapshot s = seen();
        polledAfterwards = s.polling;
        pollIntervalAfterwards = s.pollIntervalMs;
        parkPolling(form.link());
        return result;
    }
    // Sends a whole reply and waits until all of it has been taken and the buffer emptied.
    bool sendWhole(const std::vector<std::uint8_t>& bytes) {
        const std::size_t expected = taken + bytes.size();
        const bool done =
            send(bytes, [this, expected] { return taken >= expected && held() == 0; });
        return done && !seen().state.ReplyPending;
    }
    bool sendStatus(const StatusFields& fields) { return sendWhole(statusFrame(fields)); }

    SimulatedLink link{quietController()};
    TForm1 form;
    std::size_t taken = 0; // bytes the link has taken from the port
};

} // namespace zuvo::test
