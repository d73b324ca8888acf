#pragma once
// The window with its port open on a simulated controller that answers nothing by itself: the
// tests put exact frames on the line with sendRaw and watch the window take them. The poll tick
// is detached, so the dispatcher alone acts on the buffer (the timer still runs and can be
// checked).

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
        QObject::disconnect(&form.Timer2, &QTimer::timeout, nullptr, nullptr);
        form.ComPort1.setComNumber(1);
        form.ComPort1.setBaud(9600);
        form.ComPort1.setOpen(true);
        ASSERT_TRUE(form.ComPort1.Open());
    }

    template <typename T = QWidget> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Puts the bytes on the line and lets the window run until its buffer shows them taken:
    // `done` holds within the time limit.
    bool send(const std::vector<std::uint8_t>& bytes, const std::function<bool()>& done,
              int ms = 2000) {
        link.sim.sendRaw(bytes);
        return runUntil(done, ms);
    }
    // Sends a whole reply and waits until the buffer has been emptied.
    bool sendWhole(const std::vector<std::uint8_t>& bytes) {
        form.State.ReplyPending = true;
        return send(bytes, [this] { return !form.State.ReplyPending && form.Rx.RxCount == 0; });
    }
    bool sendStatus(const StatusFields& fields) { return sendWhole(statusFrame(fields)); }

    SimulatedLink link{quietController()};
    TForm1 form;
};

} // namespace zuvo::test
