// The poll tick and its supervision, and the commands that change what the polls ask for.

#include "session/Link.h"

#include "device/PollChoice.h"
#include "session/EventWait.h"

#include <QDeadlineTimer>

#include <exception>

namespace zuvo {

void Link::tick() {
    if (exchangeRunning_ || shutDown_) {
        return;
    }
    emit ticked();

    // Supervision: the previous poll went unanswered.
    if (state_.ReplyPending && port_.Open()) {
        if (state_.SensorCheckPhase && !state_.ParamReadPending) {
            // One lost reply during the sensor check only ends the check.
            state_.ReplyPending = false;
            state_.SensorCheckPhase = false;
            state_.SectorAnalysisOn = false;
        }
        if (++state_.MissedPolls > kMaxMissedPolls) {
            closeQuietly();
            state_.MissedPolls = 0;
        }
    }

    if (port_.Open()) {
        const bool answered = !state_.ReplyPending;
        if (!answered && state_.AutoReadParams) {
            // Link lost: read the block and check the sensor sectors again once it is back.
            state_.ParamReadPending = true;
            state_.SensorCheckPhase = true;
            rx_.RxCount = 0;
        }
        if (answered) {
            state_.MissedPolls = 0;
        }
        state_.ReplyPending = true;
        emit connectionChanged(answered ? Connection::Answering : Connection::Silent);
        const Frame frame = nextPollFrame(state_, context_.recordingViewShown);
        rx_.RxCount = 0;
        writeFrame(frame);
    } else {
        reopen();
    }

    restartTimer(state_.ParamReadPending ? kParamReadTickMs : kTickMs);
    // A relay test asked for while the port was closed is dropped.
    state_.PollSelector = 0;
}

void Link::reopen() {
    // Without a port number the component would ask its chooser; from a tick that would ask
    // every 400 ms after each refusal, so the tick never asks.
    const bool prompt = port_.PromptForPort();
    port_.setPromptForPort(false);
    try {
        port_.setOpen(true);
        lastReopenError_.reset();
        emit connectionChanged(Connection::Reopened);
    } catch (const ESerialError& error) {
        lastReopenError_ = error;
        emit connectionChanged(Connection::Unavailable);
    } catch (const std::exception& error) {
        lastReopenError_ = ESerialError(error.what());
        emit connectionChanged(Connection::Unavailable);
    }
    port_.setPromptForPort(prompt);
}

void Link::resumePolling(int ms) {
    if (exchangeRunning_ || shutDown_) {
        return;
    }
    restartTimer(ms);
}

void Link::restartTimer(int ms) {
    pollTimer_.stop();
    pollTimer_.setInterval(ms);
    pollTimer_.start();
}

void Link::startPolling() {
    shutDown_ = false;
    pollTimer_.start();
}

void Link::shutDown(int graceMs) {
    shutDown_ = true;
    pollTimer_.stop();
    // A status reply still on its way ends the grace early.
    statusSeen_ = false;
    const bool& seen = statusSeen_;
    waitUntil([&seen] { return seen; }, QDeadlineTimer(graceMs, Qt::PreciseTimer));
    closeQuietly();
}

bool Link::askForBlock() {
    if (exchangeRunning_) {
        return false;
    }
    state_.ParamReadPending = true;
    resumePolling(kBlockAskedPollMs);
    return true;
}

void Link::stopAskingForBlock() {
    state_.ParamReadPending = false;
}

void Link::setAutoReadBlock(bool on) {
    state_.AutoReadParams = on;
}

void Link::pollStatusOnly() {
    state_.ParamReadPending = false;
    state_.AutoReadParams = false;
    state_.SensorCheckPhase = false;
}

bool Link::requestRelayTest(int relay) {
    // The tick sends it in place of its poll, and the tick is silent during an exchange.
    if (exchangeRunning_) {
        return false;
    }
    state_.PollSelector = static_cast<std::int8_t>(relay);
    return true;
}

} // namespace zuvo
