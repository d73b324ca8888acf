#pragma once
// The one owner of the link to the controller: the serial port, the receive buffer and engine,
// the link flags and the poll tick's supervision. A command takes the link with begin(); while
// its Exchange token lives only the token writes to the port, the tick is silent and no reply
// restarts polling; the token's end resumes polling. Replies and the state of the connection
// leave as signals, so the window (or a command-line front end) draws from them.

#include "device/DeviceState.h"
#include "device/FrameBytes.h"
#include "device/ReceiveEngine.h"
#include "device/ReceiveFields.h"
#include "device/ReplyFrames.h"
#include "serial/TSerialComPort.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zuvo {

// What one step of an exchange came to.
enum class LinkResult {
    Sent,          // the frame is on its way; nothing is awaited
    Acknowledged,  // the controller acknowledged the frame
    NoAcknowledge, // no acknowledge within the time limit
    Replied,       // the awaited reply arrived
    NoReply,       // no reply within the time limit
    PortLost,      // the port failed or its device went away
    QueueFull,     // the send queue had no room; nothing was queued
    Busy,          // another exchange holds the link
};

// How received bytes are taken.
enum class ReceiveMode {
    Frames, // replies are recognised and leave as signals
    Text,   // as Frames, but text lines stay in the buffer (test data)
    Raw,    // bytes are only collected (the bootloader answers in single bytes)
};

// The state of the connection, as the tick and the sends find it.
enum class Connection {
    Answering,   // a poll goes out and the previous one was answered
    Silent,      // a poll goes out and the previous one was not answered
    Reopened,    // the tick opened the closed port again
    Unavailable, // the tick could not open the closed port
    Lost,        // a write failed: the port is closed
    Unplugged,   // the port's device went away: the port is closed
};

// Whether an exchange writes to the controller. A newer copy of the program does not take over
// while one that writes runs, and closing the window waits for it to stop at its next step:
// either would leave the controller half-written.
enum class ExchangeKind {
    Reads,  // block read, comparison, test data, port selection
    Writes, // send, restore, zero, calibration, module replacement, firmware update
};

template <typename T> struct LinkAnswer {
    LinkResult result = LinkResult::NoReply;
    std::optional<T> value;
};

class Link;

// The right to talk to the controller. Ends (and resumes polling) when it goes out of scope,
// also when its holder returns early or throws.
class Exchange {
public:
    Exchange(Exchange&& other) noexcept;
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    Exchange& operator=(Exchange&&) = delete;
    ~Exchange();

    // Lets an outstanding poll reply arrive: at most 200 ms, over with the first status reply.
    void quiet();
    // Lets events run for `ms` (nothing polls meanwhile).
    void pause(int ms);
    // The interval polling resumes with at the end. Without one, the poll timer is left as the
    // exchange found it: running on with its interval, or stopped.
    void resumeWith(int ms);
    // A parameter block arriving during the exchange is dropped; a wanted read stays wanted.
    void holdBlockReplies();

    // Discards unsent output and writes the frame. Sent, or PortLost (the port is then closed).
    LinkResult send(const Frame& frame);
    // Sends the frame and waits up to 3.456 s for the acknowledge.
    LinkResult sendAndWaitForAck(const Frame& frame);
    // Asks for one status reply (RV) and waits up to `ms` for it.
    LinkAnswer<LiveStatus> requestStatus(int ms);
    // Asks for the sensor words (RX: the controller's own reed edge angles) and waits up to `ms`.
    LinkAnswer<SensorWordsReceived> requestSensorWords(int ms);
    // Asks for the parameter block (PV) and waits up to `ms` for it. While block replies are
    // held, the answer still comes here (and is not shown).
    LinkAnswer<ParameterBlockReply> readBlock(int ms);
    // Sends `request` and collects what arrives until `silenceMs` pass without a new byte; text
    // lines stay in the buffer meanwhile. Replied with the bytes, or NoReply when none came.
    LinkAnswer<std::vector<std::uint8_t>> collectUntilSilent(const Frame& request, int silenceMs);

    // Raw traffic (the bootloader): the mode holds until the exchange ends.
    void setReceiveMode(ReceiveMode mode);
    LinkResult setParity(TParity parity);
    // Queues the bytes without discarding anything: Sent, QueueFull or PortLost. A failed
    // write does not close the port; the holder decides.
    LinkResult writeRaw(std::span<const std::uint8_t> bytes);
    // The bytes collected since the last clear.
    std::span<const std::uint8_t> received() const;
    void clearReceived();
    // Lets events run until `done` holds or `ms` pass; true when `done` held.
    bool waitFor(int ms, const std::function<bool()>& done);
    // The port is closed or its device is gone.
    bool portGone() const;
    void closePort();
    // The front end is closing: the exchange is to end at its next step (Link::stopForClosing).
    bool closing() const;

    // Ends the exchange now (the destructor then does nothing).
    void end();

private:
    friend class Link;
    explicit Exchange(Link& link) : link_(&link) {}
    // Sends `request` and waits until the receive side has filled `answer`.
    template <typename T> LinkAnswer<T> ask(const Frame& request, std::optional<T>& answer, int ms);
    Link* link_;
};

class Link : public QObject {
    Q_OBJECT
public:
    // More consecutive unanswered ticks than this close the port; the same tick reopens it.
    static constexpr int kMaxMissedPolls = 20;
    // Tick intervals without a reply: while the parameter block is wanted, and otherwise.
    static constexpr int kParamReadTickMs = 1000;
    static constexpr int kTickMs = 400;
    // Next poll after a status reply.
    static constexpr int kStatusPollMs = 80;
    // How long an exchange lets an outstanding poll reply arrive.
    static constexpr int kSettleMs = 200;
    // How long a frame waits for its acknowledge.
    static constexpr int kAckWaitMs = 3456;

    explicit Link(QObject* parent = nullptr);
    ~Link() override;

    TSerialComPort& port() { return port_; }
    const TSerialComPort& port() const { return port_; }
    DeviceState& state() { return state_; }
    ReceiveFields& rx() { return rx_; }
    // The poll timer: the tick runs on it.
    QTimer& pollTimer() { return pollTimer_; }

    // What the front end shows that the receive engine needs; asked on every notification.
    using ContextSource = std::function<ReceiveContext()>;
    void setContextSource(ContextSource source) { context_ = std::move(source); }
    // Whether the recording view is shown; the tick asks it for every poll, so it must be cheap.
    // It fills ReceiveContext::recordingViewShown too.
    void setRecordingViewSource(std::function<bool()> source) {
        recordingView_ = std::move(source);
    }

    // The link for one exchange, named for whoever is refused meanwhile; nothing while one runs.
    std::optional<Exchange> begin(const QString& name, ExchangeKind kind = ExchangeKind::Reads);
    bool exchangeRunning() const { return exchangeRunning_; }
    // The name of the running exchange when it writes to the controller; empty otherwise.
    QString runningWrite() const;
    // The front end is closing while an exchange runs: the exchange is to end at its next step
    // (a block send before its next word) and say so; holders that can cancel hear
    // closingDuringExchange. Over when the exchange ends.
    void stopForClosing();
    // Why the last reopening by a tick failed; empty after one succeeded.
    std::exception_ptr lastReopenError() const { return lastReopenError_; }
    // The name of the running exchange; empty when none runs.
    QString runningExchange() const { return exchangeRunning_ ? exchangeName_ : QString(); }

    // The block last received since the port was opened (shown, or read by an exchange);
    // nothing when none has come since, a write to the controller came after it, or the port
    // is closed.
    std::optional<ParameterBlockReply> blockOfThisOpening() const;

    // The poll tick: supervision, one poll frame, the timer's restart. Silent while an exchange
    // runs or after shutDown().
    void tick();
    // Restarts the poll timer with `ms`; nothing while an exchange runs or after shutDown().
    void resumePolling(int ms);
    // Arms the poll timer with its interval (start-up); undoes shutDown().
    void startPolling();
    // Stops polling for good, lets a reply on its way arrive (at most `graceMs`, over with the
    // first status reply) and closes the port.
    void shutDown(int graceMs);

    // The port's receive notification, and what it does with the bytes it read.
    void ComPort1TriggerAvail(TSerialComPort& cp, quint16 count);
    void receive(std::span<const std::uint8_t> bytes);
    // The port's line-error notification: the input is discarded.
    void ComPort1TriggerLineError();

signals:
    void ticked();
    void exchangeEnded();
    void closingDuringExchange();
    void connectionChanged(zuvo::Connection connection);
    void lineErrors();
    // Bytes arrived (before they are looked at).
    void bytesArrived();
    // A status reply or a parameter block was recognised.
    void replyRecognised();
    void sensorWordsReceived(const zuvo::SensorWordsReceived& reply);
    void statusReceived(const zuvo::LiveStatus& reply);
    void blockReceived(const zuvo::ParameterBlockReply& reply);
    void captionReceived(const std::string& caption);
    void versionReceived(std::uint8_t version);

private:
    friend class Exchange;

    ReceiveContext context() const;
    // Writes a frame after discarding unsent output; on failure closes the port and says so.
    bool writeFrame(const Frame& frame);
    void closeQuietly();
    void reopen();
    void endExchange();
    void restartTimer(int ms);
    bool waitUntilOrPortGone(const std::function<bool()>& done, int ms);
    bool recordingViewShown() const;
    bool portGone() const;
    void noteReceivedBlock(const ParameterBlockReply& block);

    TSerialComPort port_;
    DeviceState state_;
    ReceiveFields rx_;
    QTimer pollTimer_;
    ContextSource context_;
    std::function<bool()> recordingView_;
    std::vector<std::uint8_t> readBuffer_; // reused, so a notification allocates nothing

    bool exchangeRunning_ = false;
    std::exception_ptr lastReopenError_;
    QString exchangeName_;
    ExchangeKind exchangeKind_ = ExchangeKind::Reads;
    bool closing_ = false;
    std::optional<int> resumeMs_;
    bool wasPolling_ = false;
    bool holdBlocks_ = false;
    bool blockAsked_ = false; // a readBlock step waits for its answer
    ReceiveMode mode_ = ReceiveMode::Frames;
    bool shutDown_ = false;
    // Set by every status reply: the settle waits end with it.
    bool statusSeen_ = false;
    std::optional<LiveStatus> lastStatus_;
    std::optional<SensorWordsReceived> lastSensorWords_;
    std::optional<ParameterBlockReply> lastBlock_;
    std::optional<ParameterBlockReply> receivedBlock_;
    quint64 receivedBlockOpening_ = 0;
};

} // namespace zuvo
