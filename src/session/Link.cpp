#include "session/Link.h"

#include "device/PollChoice.h"
#include "device/RequestFrames.h"
#include "session/EventWait.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <exception>

namespace zuvo {

namespace {

// How long a step waits for the component to close a port whose device went away.
constexpr int kPortCloseGraceMs = 100;

} // namespace

// ---- Exchange -----------------------------------------------------------------------------

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
    if (link_->state_.ReplyPending) {
        link_->statusSeen_ = false;
        const bool& seen = link_->statusSeen_;
        waitUntil([&seen] { return seen; }, QDeadlineTimer(Link::kSettleMs, Qt::PreciseTimer));
    }
}

void Exchange::pause(int ms) {
    if (ms > 0) {
        waitUntil([] { return false; }, QDeadlineTimer(ms, Qt::PreciseTimer));
    }
}

void Exchange::resumeWith(int ms) {
    link_->resumeMs_ = ms;
}

void Exchange::holdBlockReplies() {
    link_->holdBlocks_ = true;
}

LinkResult Exchange::send(const Frame& frame) {
    return link_->writeFrame(frame) ? LinkResult::Sent : LinkResult::PortLost;
}

LinkResult Exchange::sendAndWaitForAck(const Frame& frame) {
    ReceiveFields& rx = link_->rx_;
    rx.AckReceived = false;
    // An acknowledged frame writes to the controller: the block received before may no longer be
    // what it holds, so a backup must read it again.
    link_->receivedBlock_.reset();
    // A frame that never left cannot be acknowledged: no point waiting for it.
    if (send(frame) != LinkResult::Sent) {
        return LinkResult::PortLost;
    }
    const bool& acknowledged = rx.AckReceived;
    if (link_->waitUntilOrPortGone([&acknowledged] { return acknowledged; }, Link::kAckWaitMs)) {
        return LinkResult::Acknowledged;
    }
    return portGone() ? LinkResult::PortLost : LinkResult::NoAcknowledge;
}

template <typename T>
LinkAnswer<T> Exchange::ask(const Frame& request, std::optional<T>& answer, int ms) {
    answer.reset();
    link_->rx_.RxCount = 0;
    if (send(request) != LinkResult::Sent) {
        return {LinkResult::PortLost, std::nullopt};
    }
    if (link_->waitUntilOrPortGone([&answer] { return answer.has_value(); }, ms)) {
        return {LinkResult::Replied, answer};
    }
    return {portGone() ? LinkResult::PortLost : LinkResult::NoReply, std::nullopt};
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
    ReceiveFields& rx = link_->rx_;
    const ReceiveMode before = link_->mode_;
    if (before == ReceiveMode::Frames) {
        link_->mode_ = ReceiveMode::Text;
    }
    rx.AckReceived = false;
    rx.RxCount = 0;
    LinkAnswer<std::vector<std::uint8_t>> answer;
    if (send(request) != LinkResult::Sent) {
        answer.result = LinkResult::PortLost;
    } else {
        // Collecting ends once the count has not changed for `silenceMs`.
        std::uint32_t seen = rx.RxCount;
        for (;;) {
            const QDeadlineTimer quiet(silenceMs, Qt::PreciseTimer);
            waitUntil([&] { return rx.RxCount != seen; }, quiet);
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
            answer.result = LinkResult::NoReply;
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

// ---- Link ---------------------------------------------------------------------------------

Link::Link(QObject* parent) : QObject(parent) {
    pollTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { tick(); });
    connect(&port_, &TSerialComPort::deviceLost, this,
            [this] { emit connectionChanged(Connection::Unplugged); });
    port_.OnTriggerAvail = [this](TSerialComPort& cp, quint16 count) {
        ComPort1TriggerAvail(cp, count);
    };
    port_.OnTriggerLineError = [this](TSerialComPort&, quint16, bool) {
        ComPort1TriggerLineError();
    };
}

Link::~Link() {
    pollTimer_.stop();
    // The handlers reach into this object; a notification still posted must find none.
    port_.OnTriggerAvail = nullptr;
    port_.OnTriggerLineError = nullptr;
}

std::optional<Exchange> Link::begin(const QString& name, ExchangeKind kind) {
    if (exchangeRunning_) {
        return std::nullopt;
    }
    exchangeRunning_ = true;
    exchangeName_ = name;
    exchangeKind_ = kind;
    closing_ = false;
    resumeMs_.reset();
    wasPolling_ = pollTimer_.isActive();
    holdBlocks_ = false;
    pollTimer_.stop();
    return Exchange(*this);
}

void Link::endExchange() {
    if (mode_ == ReceiveMode::Raw) {
        // The bootloader's last bytes are no reply.
        rx_.RxCount = 0;
    }
    mode_ = ReceiveMode::Frames;
    holdBlocks_ = false;
    exchangeRunning_ = false;
    exchangeName_.clear();
    exchangeKind_ = ExchangeKind::Reads;
    closing_ = false;
    if (resumeMs_ || wasPolling_) {
        resumePolling(resumeMs_.value_or(pollTimer_.interval()));
    }
    emit exchangeEnded();
}

QString Link::runningWrite() const {
    return exchangeRunning_ && exchangeKind_ == ExchangeKind::Writes ? exchangeName_ : QString();
}

void Link::stopForClosing() {
    if (exchangeRunning_ && !closing_) {
        closing_ = true;
        emit closingDuringExchange();
    }
}

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
        const Frame frame = nextPollFrame(state_, recordingViewShown());
        rx_.RxCount = 0;
        writeFrame(frame);
    } else {
        reopen();
    }

    restartTimer(state_.ParamReadPending ? kParamReadTickMs : kTickMs);
    // A relay test asked for while the port was closed is dropped.
    state_.PollSelector = 0;
    handlePendingEvents();
}

void Link::reopen() {
    // Without a port number the component would ask its chooser; from a tick that would ask
    // every 400 ms after each refusal, so the tick never asks.
    const bool prompt = port_.PromptForPort();
    port_.setPromptForPort(false);
    try {
        port_.setOpen(true);
        lastReopenError_ = nullptr;
        emit connectionChanged(Connection::Reopened);
    } catch (const std::exception&) {
        lastReopenError_ = std::current_exception();
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

bool Link::writeFrame(const Frame& frame) {
    try {
        port_.FlushOutBuffer();
        port_.PutBlock(frame.data(), static_cast<quint16>(frame.size()));
        return true;
    } catch (const std::exception&) {
        closeQuietly();
        emit connectionChanged(Connection::Lost);
        return false;
    }
}

void Link::closeQuietly() {
    try {
        port_.setOpen(false);
    } catch (const std::exception&) {
        // The next tick tries to open it again either way.
    }
}

bool Link::portGone() const {
    return !port_.Open() || port_.DeviceGone();
}

bool Link::waitUntilOrPortGone(const std::function<bool()>& done, int ms) {
    // A vanished device closes the port on the component's own event, which wakes the wait.
    waitUntil([&] { return done() || portGone(); }, QDeadlineTimer(ms, Qt::PreciseTimer));
    if (done()) {
        return true;
    }
    if (portGone()) {
        // The device is gone but its close event has not run yet: let it, so that the step
        // ends with the port closed and the loss reported.
        waitUntil([this] { return !port_.Open(); },
                  QDeadlineTimer(kPortCloseGraceMs, Qt::PreciseTimer));
    }
    return false;
}

ReceiveContext Link::context() const {
    ReceiveContext c = context_ ? context_() : ReceiveContext{};
    c.recordingViewShown = recordingViewShown();
    return c;
}

bool Link::recordingViewShown() const {
    return recordingView_ && recordingView_();
}

void Link::ComPort1TriggerAvail(TSerialComPort& cp, quint16 count) {
    if (mode_ != ReceiveMode::Raw) {
        emit bytesArrived();
    }
    std::span<const std::uint8_t> bytes;
    // A port that is closing hands out nothing; its bytes are not read as zeros.
    if (count > 0 && cp.Open()) {
        readBuffer_.resize(count);
        try {
            cp.GetBlock(readBuffer_.data(), count);
            bytes = readBuffer_;
        } catch (const std::exception&) {
            // A failed read brings nothing; what the buffer holds is still looked at.
        }
    }
    receive(bytes);
}

void Link::receive(std::span<const std::uint8_t> bytes) {
    if (mode_ == ReceiveMode::Raw) {
        appendReceived(rx_, bytes, ReceiveContext{});
        return;
    }
    ReceiveContext c = context();
    c.testValuesTabShown = c.testValuesTabShown || mode_ == ReceiveMode::Text;
    const bool blockWanted = state_.ParamReadPending;
    ReceiveOutcome outcome = receiveBytes(rx_, state_, bytes, c);
    // A version frame that came in front of the reply is told first, as it arrived.
    if (outcome.leadingVersion) {
        emit versionReceived(*outcome.leadingVersion);
    }
    if (outcome.parameterBlock && holdBlocks_ && blockAsked_) {
        // The block this exchange asked for: its answer, and the controller's block from now
        // on, but not shown, so the pages the user sent from stay as they are.
        state_.ParamReadPending = blockWanted;
        noteReceivedBlock(*outcome.parameterBlock);
        lastBlock_ = std::move(outcome.parameterBlock);
        outcome.parameterBlock.reset();
        emit replyRecognised();
    }
    if (outcome.parameterBlock && holdBlocks_) {
        // A block arriving while the block is being sent would change the words under the send
        // and the pages the user sent from: it is dropped, and a read that was wanted stays
        // wanted, so the block is read once the send has ended.
        state_.ParamReadPending = blockWanted;
        outcome.parameterBlock.reset();
        emit replyRecognised();
    }

    // The next poll is timed from the reply's arrival, not from the end of the drawing; during
    // an exchange nothing restarts polling.
    if (outcome.sensorWords) {
        lastSensorWords_ = outcome.sensorWords;
        resumePolling(outcome.sensorWords->pollIntervalMs);
        emit sensorWordsReceived(*outcome.sensorWords);
    }
    if (outcome.status) {
        statusSeen_ = true;
        lastStatus_ = outcome.status;
        emit replyRecognised();
        if (outcome.status->complete()) {
            resumePolling(kStatusPollMs);
        }
        emit statusReceived(*outcome.status);
    }
    if (outcome.parameterBlock) {
        lastBlock_ = outcome.parameterBlock;
        noteReceivedBlock(*outcome.parameterBlock);
        emit replyRecognised();
        emit blockReceived(*outcome.parameterBlock);
    }
    if (outcome.caption) {
        emit captionReceived(*outcome.caption);
    }
    if (outcome.version) {
        emit versionReceived(*outcome.version);
    }
}

void Link::noteReceivedBlock(const ParameterBlockReply& block) {
    receivedBlock_ = block;
    receivedBlockOpening_ = port_.openingNumber();
}

std::optional<ParameterBlockReply> Link::blockOfThisOpening() const {
    if (!receivedBlock_ || !port_.Open() || receivedBlockOpening_ != port_.openingNumber()) {
        return std::nullopt;
    }
    return receivedBlock_;
}

void Link::ComPort1TriggerLineError() {
    try {
        port_.FlushInBuffer();
    } catch (const std::exception&) {
        // Nothing left to discard on a port that is gone.
    }
    emit lineErrors();
}

} // namespace zuvo
