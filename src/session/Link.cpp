// The link itself: its exchanges, what front ends see and set, and what it makes of the bytes
// the port delivers. The tick lives in LinkPolling.cpp, the port commands in LinkPorts.cpp.

#include "session/Link.h"

#include "session/EventWait.h"

#include <QDeadlineTimer>

#include <exception>

namespace zuvo {

namespace {

// How long a step waits for the component to close a port whose device went away.
constexpr int kPortCloseGraceMs = 100;

} // namespace

Link::Link(QObject* parent) : QObject(parent) {
    pollTimer_.setTimerType(Qt::PreciseTimer);
    pollTimer_.setInterval(kFirstPollMs);
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

LinkSnapshot Link::snapshot() const {
    LinkSnapshot s;
    s.portNumber = port_.ComNumber();
    s.portOpen = port_.Open();
    s.baud = port_.Baud();
    s.parity = port_.Parity();
    s.exchangeRunning = exchangeRunning_;
    s.exchangeName = runningExchange();
    s.exchangeWrites = exchangeRunning_ && exchangeKind_ == ExchangeKind::Writes;
    s.polling = pollTimer_.isActive();
    s.pollIntervalMs = pollTimer_.interval();
    s.bytesHeld = rx_.RxCount;
    s.state = state_;
    return s;
}

// ---- Exchanges ----------------------------------------------------------------------------

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
    emit exchangeStarted(name);
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

// ---- What decoding needs ------------------------------------------------------------------

void Link::setGeometry(const DecodingGeometry& geometry) {
    context_.turns = geometry.turns;
    context_.strokeMm = geometry.strokeMm;
    context_.sensorOnMotorAxis = geometry.sensorOnMotorAxis;
}

void Link::setShownParts(const ShownParts& shown) {
    context_.testValuesTabShown = shown.testValuesTab;
    context_.recordingViewShown = shown.recordingView;
    context_.turnCountShown = shown.turnCount;
}

void Link::setWinkelFromPosition(bool on) {
    state_.WinkelFromPosition = on;
}

void Link::setSectorAnalysisOn(bool on) {
    state_.SectorAnalysisOn = on;
}

void Link::assumeFirmwareVersion(std::uint8_t version) {
    state_.FirmwareVersion = version;
}

// ---- The line -----------------------------------------------------------------------------

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

// ---- Receiving ----------------------------------------------------------------------------

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
    emit notificationHandled(static_cast<int>(bytes.size()));
}

void Link::receive(std::span<const std::uint8_t> bytes) {
    if (mode_ == ReceiveMode::Raw) {
        appendReceived(rx_, bytes, ReceiveContext{});
        return;
    }
    ReceiveContext c = context_;
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
