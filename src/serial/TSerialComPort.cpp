#include "serial/TSerialComPort.h"

#include "serial/PortMap.h"
#include "serial/PosixSerialDevice.h"
#include "serial/SerialEngine.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <chrono>
#include <cstring>
#include <thread>

namespace zuvo {

namespace {

const QEvent::Type AvailType = QEvent::Type(QEvent::registerEventType());
const QEvent::Type LineErrorType = QEvent::Type(QEvent::registerEventType());
const QEvent::Type DeviceGoneType = QEvent::Type(QEvent::registerEventType());

// Events carry the session of the opening they belong to, so that one posted before a close
// is dropped instead of reaching a later opening.
struct AvailEvent : QEvent {
    explicit AvailEvent(quint64 s) : QEvent(AvailType), session(s) {}
    quint64 session;
};

struct DeviceGoneEvent : QEvent {
    explicit DeviceGoneEvent(quint64 s) : QEvent(DeviceGoneType), session(s) {}
    quint64 session;
};

struct LineErrorEvent : QEvent {
    LineErrorEvent(quint64 s, LineError e) : QEvent(LineErrorType), session(s), error(e) {}
    quint64 session;
    LineError error;
};

// A change of speed or parity waits for the queued output: it looks every 2 ms, at most 5000
// times, and then lets the adapter's own small FIFO empty for 18 character times.
constexpr auto SendPollInterval = std::chrono::milliseconds(2);
constexpr int SendPolls = 5000;
constexpr int DrainCharacters = 18;

// How long n characters take on the line.
std::chrono::microseconds characterTimes(const LineSettings& s, int n) {
    const int bits = 1 + s.dataBits + (s.parity == TParity::pNone ? 0 : 1) + s.stopBits;
    return std::chrono::microseconds(qint64(n) * bits * 1000000 / std::max<qint32>(s.baud, 1));
}

[[noreturn]] void fail(int err) {
    throw ESerialError(std::strerror(err), err);
}

} // namespace

TSerialComPort::TSerialComPort(QObject* parent) : QObject(parent) {}

TSerialComPort::~TSerialComPort() {
    reopenWanted_ = false;
    try {
        closePort();
    } catch (...) {
    }
    engine_.reset();
}

void TSerialComPort::setOpen(bool open) {
    if (state_ == State::psShuttingDown) {
        // Closed from inside a handler: the request waits for the shut-down to complete.
        reopenWanted_ = open;
        return;
    }
    if (open && state_ == State::psClosed) {
        openPort();
    } else if (!open) {
        closePort();
    }
}

void TSerialComPort::openPort() {
    if (comNumber_ == 0) {
        const int chosen = promptForPort_ && chooser_ ? chooser_() : 0;
        if (chosen <= 0) {
            throw ESerialError(serial_text::NotSet);
        }
        comNumber_ = quint16(chosen);
    }
    std::unique_ptr<SerialDevice> device =
        factory_ ? factory_() : std::make_unique<PosixSerialDevice>();
    device->open(PortMap::global().devicePath(comNumber_));
    int err = device->setModemLines(dtr_, rts_);
    if (err == 0) {
        err = device->applyLine(line_);
    }
    if (err != 0) {
        device->close();
        fail(err);
    }
    device->flush(true, true);

    const quint64 session = ++session_;
    auto engine = std::make_unique<SerialEngine>(
        std::move(device), outSize_,
        SerialEngine::Callbacks{
            [this, session] { QCoreApplication::postEvent(this, new AvailEvent(session)); },
            [this, session](LineError e) {
                QCoreApplication::postEvent(this, new LineErrorEvent(session, e));
            },
            [this, session] { QCoreApplication::postEvent(this, new DeviceGoneEvent(session)); }});
    engine->start();
    engine_ = std::move(engine);
    state_ = State::psOpen;
}

void TSerialComPort::closePort() {
    if (state_ != State::psOpen) {
        return;
    }
    state_ = State::psShuttingDown;
    engine_->flushOutput();
    engine_->flushInput();
    // The threads never wait for the main thread without also watching the stop signal, so
    // this join cannot deadlock against a notification that is waiting to run.
    engine_->stop();
    engine_->device().close();
    ++session_;
    if (availDepth_ > 0) {
        return; // closed for good once the running handler returns
    }
    finishClose();
}

void TSerialComPort::finishClose() {
    engine_.reset();
    state_ = State::psClosed;
    if (reopenWanted_) {
        reopenWanted_ = false;
        try {
            openPort();
        } catch (const std::exception&) {
            // Nobody is left to tell; the port stays closed and Open reads false.
        }
    }
}

bool TSerialComPort::usable() const {
    if (state_ == State::psClosed) {
        throw ESerialError(serial_text::NotOpen);
    }
    return state_ == State::psOpen;
}

bool TSerialComPort::DeviceGone() const {
    return state_ == State::psOpen && engine_->deviceGone();
}

void TSerialComPort::setComNumber(quint16 n) {
    if (n == comNumber_) {
        return;
    }
    const bool reopen = state_ == State::psOpen;
    if (reopen) {
        closePort();
    }
    comNumber_ = n;
    if (reopen) {
        setOpen(true);
    }
}

void TSerialComPort::setBaud(qint32 b) {
    LineSettings next = line_;
    next.baud = b;
    changeLine(next);
}

void TSerialComPort::setParity(TParity p) {
    LineSettings next = line_;
    next.parity = p;
    changeLine(next);
}

void TSerialComPort::setDataBits(quint16 v) {
    LineSettings next = line_;
    next.dataBits = v;
    changeLine(next);
}

void TSerialComPort::setStopBits(quint16 v) {
    LineSettings next = line_;
    next.stopBits = v;
    changeLine(next);
}

void TSerialComPort::changeLine(const LineSettings& next) {
    if (next.baud == line_.baud && next.parity == line_.parity && next.dataBits == line_.dataBits &&
        next.stopBits == line_.stopBits) {
        return;
    }
    if (state_ != State::psOpen) {
        line_ = next;
        return;
    }
    // Queued bytes go out with the settings they were queued under: wait for the writer, the
    // driver and then the adapter's own small FIFO. Every wait is bounded, so a driver that
    // never drains delays the change by about ten seconds instead of freezing the window.
    SerialDevice& device = engine_->device();
    for (int poll = 0; poll < SendPolls && !engine_->deviceGone() &&
                       !(engine_->sendQueueEmpty() && device.unsentBytes() <= 0);
         ++poll) {
        std::this_thread::sleep_for(SendPollInterval);
    }
    std::this_thread::sleep_for(characterTimes(line_, DrainCharacters));
    if (const int err = device.applyLine(next); err != 0) {
        device.applyLine(line_);
        fail(err);
    }
    line_ = next;
}

void TSerialComPort::setDTR(bool v) {
    setModemLines(v, rts_);
}

void TSerialComPort::setRTS(bool v) {
    setModemLines(dtr_, v);
}

// Lines of an open port change at once; a closed port raises them at its next opening.
void TSerialComPort::setModemLines(bool dtr, bool rts) {
    if (dtr == dtr_ && rts == rts_) {
        return;
    }
    if (state_ == State::psOpen) {
        if (const int err = engine_->device().setModemLines(dtr, rts); err != 0) {
            fail(err);
        }
    }
    dtr_ = dtr;
    rts_ = rts;
}

void TSerialComPort::FlushInBuffer() {
    if (usable()) {
        engine_->flushInput();
    }
}

void TSerialComPort::FlushOutBuffer() {
    if (usable()) {
        engine_->flushOutput();
    }
}

void TSerialComPort::GetBlock(void* block, quint16 len) {
    if (usable() && !engine_->take(block, len)) {
        throw ESerialError(serial_text::BufferEmpty);
    }
}

void TSerialComPort::PutBlock(const void* block, quint16 len) {
    if (usable() && len > 0 && !engine_->put(block, len)) {
        throw ESerialError(serial_text::OutputTooSmall);
    }
}

void TSerialComPort::PutChar(quint8 c) {
    PutBlock(&c, 1);
}

quint16 TSerialComPort::GetOutBuffFree() {
    return state_ == State::psOpen ? quint16(engine_->outFree()) : outSize_;
}

void TSerialComPort::customEvent(QEvent* event) {
    if (event->type() == AvailType) {
        runAvail(static_cast<AvailEvent*>(event)->session);
    } else if (event->type() == DeviceGoneType) {
        // Let the dead device go at once: a descriptor held open keeps the adapter's name
        // taken, so a replugged adapter would come back under another one.
        if (static_cast<DeviceGoneEvent*>(event)->session == session_ && state_ == State::psOpen) {
            closePort();
            emit deviceLost();
        }
    } else if (event->type() == LineErrorType) {
        const auto* e = static_cast<LineErrorEvent*>(event);
        if (e->session == session_ && state_ == State::psOpen && OnTriggerLineError) {
            OnTriggerLineError(*this, e->error.error, e->error.lineBreak);
        }
    }
}

void TSerialComPort::runAvail(quint64 session) {
    if (session != session_ || !engine_) {
        return;
    }
    SerialEngine* engine = engine_.get();
    const auto count = engine->beginNotification();
    if (!count) {
        return;
    }
    // Ends the notification however the handler leaves, and completes a close it asked for.
    struct Finish {
        QPointer<TSerialComPort> self;
        SerialEngine* engine;
        ~Finish() {
            if (!self) {
                return; // the handler destroyed the component
            }
            engine->endNotification();
            if (--self->availDepth_ == 0 && self->state_ == State::psShuttingDown) {
                self->finishClose();
            }
        }
    } finish{this, engine};
    ++availDepth_;
    if (*count > 0 && OnTriggerAvail) {
        OnTriggerAvail(*this, quint16(*count));
    }
}

} // namespace zuvo
