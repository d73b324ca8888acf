// The steps of an exchange: what a command that holds the link does on the line.

#include "session/Link.h"

#include "device/RequestFrames.h"
#include "session/EventWait.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <exception>

namespace zuvo {

Exchange::Exchange(Exchange&& other) noexcept : link_(other.link_) {
    other.link_ = nullptr;
}

Exchange::~Exchange() {
    end();
}

void Exchange::end() {
    if (link_ != nullptr) {
        Link* link = link_;
        link_ = nullptr;
        link->endExchange();
    }
}

void Exchange::quiet() {
    handlePendingEvents();
    if (link_->state_.ReplyPending && !link_->closing_) {
        link_->statusSeen_ = false;
        const bool& seen = link_->statusSeen_;
        const bool& closing = link_->closing_;
        waitUntil([&] { return seen || closing; },
                  QDeadlineTimer(Link::kSettleMs, Qt::PreciseTimer));
    }
}

void Exchange::pause(int ms) {
    if (ms > 0) {
        const bool& closing = link_->closing_;
        waitUntil([&closing] { return closing; }, QDeadlineTimer(ms, Qt::PreciseTimer));
    }
}

void Exchange::resumeWith(int ms) {
    link_->resumeMs_ = ms;
}

void Exchange::holdBlockReplies() {
    link_->holdBlocks_ = true;
}

LinkResult Exchange::send(const Frame& frame) {
    if (link_->closing_) {
        return LinkResult::Closing;
    }
    return link_->writeFrame(frame) ? LinkResult::Sent : LinkResult::PortLost;
}

LinkResult Exchange::sendAndWaitForAck(const Frame& frame) {
    if (link_->closing_) {
        return LinkResult::Closing;
    }
    ReceiveFields& rx = link_->rx_;
    rx.AckReceived = false;
    // An acknowledged frame writes to the controller: the block received before may no longer be
    // what it holds, so a backup must read it again.
    link_->receivedBlock_.reset();
    // A frame that never left cannot be acknowledged: no point waiting for it.
    if (send(frame) != LinkResult::Sent) {
        return LinkResult::PortLost;
    }
    // The frame is out: its acknowledge is awaited even when the front end starts closing, so
    // that the holder knows what the controller took.
    const bool& acknowledged = rx.AckReceived;
    if (link_->waitUntilOrPortGone([&acknowledged] { return acknowledged; }, Link::kAckWaitMs)) {
        return LinkResult::Acknowledged;
    }
    return portGone() ? LinkResult::PortLost : LinkResult::NoAcknowledge;
}

template <typename T>
LinkAnswer<T> Exchange::ask(const Frame& request, std::optional<T>& answer, int ms) {
    if (link_->closing_) {
        return {LinkResult::Closing, std::nullopt};
    }
    answer.reset();
    link_->rx_.RxCount = 0;
    if (send(request) != LinkResult::Sent) {
        return {LinkResult::PortLost, std::nullopt};
    }
    // A read changes nothing in the controller: a closing front end need not wait for it.
    const bool& closing = link_->closing_;
    if (link_->waitUntilOrPortGone([&] { return answer.has_value() || closing; }, ms) && answer) {
        return {LinkResult::Replied, answer};
    }
    if (portGone()) {
        return {LinkResult::PortLost, std::nullopt};
    }
    return {closing ? LinkResult::Closing : LinkResult::NoReply, std::nullopt};
}

LinkAnswer<LiveStatus> Exchange::requestStatus(int ms) {
    return ask(pollFrame('R', 'V'), link_->lastStatus_, ms);
}

LinkAnswer<SensorWordsReceived> Exchange::requestSensorWords(int ms) {
    return ask(pollFrame('R', 'X'), link_->lastSensorWords_, ms);
}

LinkAnswer<ParameterBlockReply> Exchange::readBlock(int ms) {
    // The block asked for here reaches this step even while other blocks are held back.
    link_->blockAsked_ = true;
    LinkAnswer<ParameterBlockReply> answer = ask(pollFrame('P', 'V'), link_->lastBlock_, ms);
    link_->blockAsked_ = false;
    return answer;
}

LinkAnswer<std::vector<std::uint8_t>> Exchange::collectUntilSilent(const Frame& request,
                                                                   int silenceMs) {
    LinkAnswer<std::vector<std::uint8_t>> answer;
    if (link_->closing_) {
        answer.result = LinkResult::Closing;
        return answer;
    }
    ReceiveFields& rx = link_->rx_;
    const ReceiveMode before = link_->mode_;
    if (before == ReceiveMode::Frames) {
        link_->mode_ = ReceiveMode::Text;
    }
    rx.AckReceived = false;
    rx.RxCount = 0;
    if (send(request) != LinkResult::Sent) {
        answer.result = LinkResult::PortLost;
    } else {
        // Collecting ends once the count has not changed for `silenceMs`, or the front end
        // closes.
        const bool& closing = link_->closing_;
        std::uint32_t seen = rx.RxCount;
        while (!closing) {
            const QDeadlineTimer quiet(silenceMs, Qt::PreciseTimer);
            waitUntil([&] { return rx.RxCount != seen || closing; }, quiet);
            if (rx.RxCount == seen) {
                break;
            }
            seen = rx.RxCount;
        }
        const std::size_t count = std::min<std::size_t>(rx.RxCount, kRxBufferSize);
        if (count > 0) {
            answer.result = LinkResult::Replied;
            answer.value.emplace(rx.RxBuffer.begin(), rx.RxBuffer.begin() + count);
        } else {
            answer.result = closing ? LinkResult::Closing : LinkResult::NoReply;
        }
    }
    link_->mode_ = before;
    return answer;
}

void Exchange::setReceiveMode(ReceiveMode mode) {
    link_->mode_ = mode;
}

LinkResult Exchange::setParity(TParity parity) {
    try {
        link_->port_.setParity(parity);
        return LinkResult::Sent;
    } catch (const std::exception&) {
        return LinkResult::PortLost;
    }
}

LinkResult Exchange::writeRaw(std::span<const std::uint8_t> bytes) {
    TSerialComPort& port = link_->port_;
    try {
        if (port.GetOutBuffFree() < bytes.size()) {
            return LinkResult::QueueFull;
        }
        port.PutBlock(bytes.data(), static_cast<quint16>(bytes.size()));
        return LinkResult::Sent;
    } catch (const std::exception&) {
        return LinkResult::PortLost;
    }
}

std::span<const std::uint8_t> Exchange::received() const {
    const ReceiveFields& rx = link_->rx_;
    return {rx.RxBuffer.data(), std::min<std::size_t>(rx.RxCount, kRxBufferSize)};
}

void Exchange::clearReceived() {
    link_->rx_.RxCount = 0;
    link_->rx_.RxBuffer[0] = 0;
}

bool Exchange::waitFor(int ms, const std::function<bool()>& done) {
    return waitUntil(done, QDeadlineTimer(ms, Qt::PreciseTimer));
}

bool Exchange::portGone() const {
    return link_->portGone();
}

void Exchange::closePort() {
    link_->closeQuietly();
}

bool Exchange::closing() const {
    return link_->closing_;
}

} // namespace zuvo
