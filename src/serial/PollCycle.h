#pragma once
// The poll tick, the link supervision and the common steps of every command.

#include <QString>

#include <cstdint>
#include <vector>

namespace zuvo {

class TForm1;

class PollCycle {
public:
    // More consecutive unanswered ticks than this close the port; the same tick reopens it.
    static constexpr int kMaxMissedPolls = 20;
    // Tick intervals without a reply: while the parameter block is wanted, and otherwise.
    static constexpr int kParamReadTickMs = 1000;
    static constexpr int kTickMs = 400;
    // How long QuietLink lets an outstanding poll reply arrive.
    static constexpr int kSettleMs = 200;
    // How long a command waits for the acknowledge.
    static constexpr int kAckWaitMs = 3456;

    explicit PollCycle(TForm1& form);

    // Timer2's tick: supervision, one poll frame, the timer's restart.
    void Timer2Timer();
    // Timeout is a one-shot: it switches itself off.
    void TimeoutTimer();
    void ComPort1TriggerLineError();

    // Command steps. One exchange with the controller runs at a time: a command takes the link
    // with tryBeginExchange() (false while another runs: the command is then refused) and
    // gives it back with endExchange().
    bool tryBeginExchange();
    void endExchange();
    bool exchangeRunning() const;
    // Stops polling and lets an outstanding poll reply arrive (at most 200 ms).
    void QuietLink(bool stopTimer2EachRound);
    // Discards unsent output and sends one frame; on failure closes the port and says
    // "USB disconnected". False when the frame could not be sent.
    bool SendCommandFrame(const std::vector<std::uint8_t>& frame);
    // Clears AckReceived, sends the frame and waits up to 3.456 s for the acknowledge.
    bool SendAndWaitForAck(const std::vector<std::uint8_t>& frame);
    // Waits until AckReceived is set or 3.456 s have passed since the call.
    bool WaitForReply();
    void ResumePolling(int ms);
    // The receive path's early next poll after a reply; nothing while a command runs.
    void rearmAfterReply(int ms);

    // The status bar's message line.
    void showStatus(const QString& text);
    // What an acknowledged write says when the controller stays silent.
    void showNoResponse();

private:
    // Closes the port; a failure to close changes nothing for the caller.
    void closePortQuietly();
    void reopenPort();

    TForm1& form_;
    bool exchangeRunning_ = false;
};

} // namespace zuvo
