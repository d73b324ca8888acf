#pragma once
// The one owner of the link to the controller: the serial port, the receive buffer and engine,
// the link flags and the poll tick's supervision. Its state is its own: front ends read a
// snapshot, hear signals and ask for what they want through commands. A command takes the link
// with begin(); while its Exchange token lives only the token writes to the port, the tick is
// silent and no reply restarts polling; the token's end resumes polling.

#include "device/FrameBytes.h"
#include "device/LinkState.h"
#include "device/ReceiveEngine.h"
#include "device/ReceiveFields.h"
#include "device/ReplyFrames.h"
#include "params/DecodingGeometry.h"
#include "serial/PortMap.h"
#include "serial/TSerialComPort.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
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
    Closing,       // the front end is closing: the step did not run, or its wait ended early
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
// while one that writes runs: it would leave the controller half-written.
enum class ExchangeKind {
    Reads,  // block read, comparison, test data, port selection
    Writes, // send, restore, zero, calibration, module replacement, firmware update
};

template <typename T> struct LinkAnswer {
    LinkResult result = LinkResult::NoReply;
    std::optional<T> value;
};

// What front ends see of the link: a copy, taken when asked.
struct LinkSnapshot {
    int portNumber = 0; // n of COMn; 0 while none is chosen
    bool portOpen = false;
    qint32 baud = 0;
    TParity parity = TParity::pNone;
    bool exchangeRunning = false;
    QString exchangeName; // empty while none runs
    bool exchangeWrites = false;
    bool polling = false; // the poll timer runs
    int pollIntervalMs = 0;
    std::uint32_t bytesHeld = 0; // received and not yet consumed
    LinkState state;
};

// What the front end shows that changes how replies are taken.
struct ShownParts {
    bool testValuesTab = false; // text lines stay in the buffer for the test data
    bool recordingView = false; // every poll asks for the status; sensor words speed up more
    bool turnCount = false;     // a long status reply counts as whole only with its turn count
};

// How opening a port went.
struct PortOpening {
    bool opened = false;
    bool busy = false;                 // refused: an exchange runs, nothing was touched
    std::optional<ESerialError> error; // why it did not open
};

// Whether a probe stops at the first port that opens (start-up) or tries them all (the list of
// the COM-port dialog).
enum class ProbeUntil { FirstThatOpens, AllTried };

class Link;

// The right to talk to the controller. Ends (and resumes polling) when it goes out of scope,
// also when its holder returns early or throws. Once the front end is closing
// (Link::stopForClosing), the steps that write or wait for a reply do not start, and a wait for
// a reply or for quiet ends early, with Closing; a frame already sent still gets its
// acknowledge.
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
    // The first poll after start-up.
    static constexpr int kFirstPollMs = 2000;
    // The next poll after the block was asked for.
    static constexpr int kBlockAskedPollMs = 200;
    // How long an exchange lets an outstanding poll reply arrive.
    static constexpr int kSettleMs = 200;
    // How long a frame waits for its acknowledge.
    static constexpr int kAckWaitMs = 3456;
    // The controller's line speed; start-up probes at the higher one, so that a port counts as
    // available only if it takes it.
    static constexpr int kWorkingBaud = 9600;
    static constexpr int kProbeBaud = 128000;
    // The port numbers a probe tries.
    static constexpr int kFirstProbedPort = kFirstUsualPort;
    static constexpr int kLastProbedPort = kLastUsualPort;

    explicit Link(QObject* parent = nullptr);
    ~Link() override;

    // ---- What front ends see -----------------------------------------------------------------
    LinkSnapshot snapshot() const;
    bool exchangeRunning() const { return exchangeRunning_; }
    // The name of the running exchange; empty when none runs.
    QString runningExchange() const { return exchangeRunning_ ? exchangeName_ : QString(); }
    // The name of the running exchange when it writes to the controller; empty otherwise.
    QString runningWrite() const;
    // Bytes received and not yet consumed.
    std::uint32_t bytesHeld() const { return rx_.RxCount; }
    // Why the last reopening by a tick failed; nothing after one succeeded.
    const std::optional<ESerialError>& lastReopenError() const { return lastReopenError_; }
    // The block last received since the port was opened (shown, or read by an exchange);
    // nothing when none has come since, a write to the controller came after it, or the port
    // is closed.
    std::optional<ParameterBlockReply> blockOfThisOpening() const;

    // ---- Exchanges ---------------------------------------------------------------------------
    // The link for one exchange, named for whoever is refused meanwhile; nothing while one runs.
    std::optional<Exchange> begin(const QString& name, ExchangeKind kind = ExchangeKind::Reads);
    // The front end is closing while an exchange runs: the exchange is to end at its next step
    // (a block send before its next word) and say so; holders that can cancel hear
    // closingDuringExchange. Over when the exchange ends.
    void stopForClosing();

    // ---- The port: each command is refused while an exchange runs --------------------------
    // Closes the port in use and opens port `number` at `baud`; number 0 asks the port chooser.
    PortOpening openPort(int number, int baud = kWorkingBaud);
    // Closes the port and opens the same number again (its device may have changed).
    PortOpening reopenPort();
    // Closes the port; false when closing failed or an exchange runs.
    bool closePort();
    // Tries the ports kFirstProbedPort..kLastProbedPort at `baud`, each opened and closed again,
    // and lists those that opened. The port is left closed, on its number and speed from
    // before. Nothing while an exchange runs.
    std::optional<QList<int>> probePorts(int baud, ProbeUntil until);
    // Who is asked for a port when one is opened without a number; nobody by default.
    void setPortChooser(TSerialComPort::PortChooser chooser);
    // Where devices come from (tests inject faults that a pseudo-terminal cannot show).
    void setDeviceFactory(TSerialComPort::DeviceFactory factory);

    // ---- Polling -----------------------------------------------------------------------------
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
    // The polls ask for the parameter block until it comes, from a poll kBlockAskedPollMs from
    // now; false (nothing changes) while an exchange runs.
    bool askForBlock();
    // The block is not asked for (values loaded from a file at start-up stay).
    void stopAskingForBlock();
    // Whether an unanswered poll makes the link read the block again once the controller is
    // back (not after values were loaded from a file).
    void setAutoReadBlock(bool on);
    // The polls ask for the status only: no block, no sensor check, not after a link loss
    // either (the command line asks for what it needs itself).
    void pollStatusOnly();
    // Relay 1 or 2 is tested with the next tick, in place of its poll; false (nothing asked)
    // while an exchange runs. A test asked for while the port is closed is dropped.
    bool requestRelayTest(int relay);

    // ---- What decoding needs, set by the front end whenever it changes ----------------------
    void setGeometry(const DecodingGeometry& geometry);
    void setShownParts(const ShownParts& shown);
    // The angle digit comes from the position's low 10 bits instead of the angle field.
    void setWinkelFromPosition(bool on);
    // The sector analysis is shown; the tick ends it with the sensor check.
    void setSectorAnalysisOn(bool on);
    // The firmware version to decode speeds with until the controller announces its own.
    void assumeFirmwareVersion(std::uint8_t version);

    // Takes bytes as a port notification would (tools and tests feed replies without a line).
    void receive(std::span<const std::uint8_t> bytes);

signals:
    void ticked();
    void exchangeStarted(const QString& name);
    void exchangeEnded();
    void closingDuringExchange();
    void connectionChanged(zuvo::Connection connection);
    void lineErrors();
    // Bytes arrived (before they are looked at).
    void bytesArrived();
    // A notification of the port was handled: `count` bytes were taken and looked at.
    void notificationHandled(int count);
    // A status reply or a parameter block was recognised.
    void replyRecognised();
    void sensorWordsReceived(const zuvo::SensorWordsReceived& reply);
    void statusReceived(const zuvo::LiveStatus& reply);
    void blockReceived(const zuvo::ParameterBlockReply& reply);
    void captionReceived(const std::string& caption);
    void versionReceived(std::uint8_t version);

private:
    friend class Exchange;

    // The port's notifications.
    void ComPort1TriggerAvail(TSerialComPort& cp, quint16 count);
    void ComPort1TriggerLineError();

    // Writes a frame after discarding unsent output; on failure closes the port and says so.
    bool writeFrame(const Frame& frame);
    void closeQuietly();
    // Closes the port in use and opens `number` at `baud`; the step of the port commands.
    PortOpening switchPort(int number, int baud);
    void reopen();
    void endExchange();
    void restartTimer(int ms);
    bool waitUntilOrPortGone(const std::function<bool()>& done, int ms);
    bool portGone() const;
    void noteReceivedBlock(const ParameterBlockReply& block);

    TSerialComPort port_;
    LinkState state_;
    ReceiveFields rx_;
    QTimer pollTimer_;
    ReceiveContext context_;
    std::vector<std::uint8_t> readBuffer_; // reused, so a notification allocates nothing

    bool exchangeRunning_ = false;
    std::optional<ESerialError> lastReopenError_;
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
