#pragma once
// One controller for one zuvoctl command: the port chosen on the command line (or the stored
// one), opened at the working speed on the window's Link, the controller's block read first so
// that replies decode as the window decodes them, and what the controller tells on its own (its
// caption text and firmware version).

#include "ctl/CtlArguments.h"
#include "ctl/StatusReport.h"
#include "device/ReplyFrames.h"
#include "session/Link.h"
#include "session/Settings.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace zuvo {

// Why a command ends early: the exit status and the one line for stderr.
struct CtlFailure {
    int code = ExitNoAnswer;
    QString text;
};

// How long a command waits for a reply, and how often it asks. A reply can be lost in the line
// (the controller's own caption text runs into it); the window's next poll would ask again, and
// so does a command, a few times.
inline constexpr int kCtlReplyWaitMs = 1000;
inline constexpr int kCtlAttempts = 3;
// Status replies stop for this long: the controller no longer answers (status --watch, record).
inline constexpr int kCtlSilenceMs = kCtlReplyWaitMs * kCtlAttempts;

// Says the failure on stderr; its exit status.
int fail(const CtlFailure& failure);

class CtlSession {
public:
    CtlSession();

    // Opens the port named by --port or --device, else the stored one.
    std::optional<CtlFailure> open(const CtlArguments& arguments);
    // The link for the command; nothing is polled while it is held. Begun by open().
    Exchange& exchange() { return *exchange_; }
    // Ends the exchange: the link polls on its own from now on (status --watch, record).
    void endExchange() { exchange_.reset(); }
    Link& link() { return link_; }

    // open() and readBlock(), for the commands that decode replies or use the block.
    std::optional<CtlFailure> openAndReadBlock(const CtlArguments& arguments);
    // Reads the block and makes the replies decode with its stroke, turns and sensor position.
    std::optional<CtlFailure> readBlock();
    const ParameterBlockReply& block() const { return *block_; }

    // Asks with `request` (a step of the exchange that waits kCtlReplyWaitMs) until it is
    // answered, at most kCtlAttempts times; a lost port ends it at once.
    template <typename Request> auto ask(Request request) {
        auto answer = request(*exchange_);
        for (int attempt = 1;
             attempt < kCtlAttempts && !answer.value && answer.result != LinkResult::PortLost;
             ++attempt) {
            answer = request(*exchange_);
        }
        return answer;
    }

    // A failure of a step that asked the controller for `what`.
    CtlFailure noAnswer(LinkResult result, const QString& what) const;

    // "COM3", or the device path when no port number names it.
    QString portName() const;
    std::optional<int> portNumber() const {
        return mapped_ ? std::optional<int>(number_) : std::nullopt;
    }
    int linkNumber() const { return number_; }
    const QString& devicePath() const { return devicePath_; }
    // The version announced in this run, else the one this port last announced (remembered in
    // the settings, and used for the speed unit and the backups from the opening on).
    std::optional<std::uint8_t> firmwareVersion() const;
    KnownVersion knownVersion() const;
    const std::string& caption() const { return caption_; }

private:
    Link link_;
    std::optional<Exchange> exchange_;
    std::optional<ParameterBlockReply> block_;
    int number_ = 1;
    bool mapped_ = true; // the device is reached through a port number of the map
    QString devicePath_;
    std::optional<std::uint8_t> version_;
    QString versionKey_; // the port's key in the remembered versions
    std::optional<RememberedVersion> remembered_;
    std::string caption_;
};

} // namespace zuvo
