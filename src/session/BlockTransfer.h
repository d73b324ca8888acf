#pragma once
// Writing the parameter block to the controller safely, without a window: the controller's block
// goes to a backup file first (read first when none is known), the words go out one by one, each
// acknowledged, and the block is read back and compared with what was sent. The window's send,
// restore and firmware update and the command-line tool run these same steps inside their own
// exchange; what they show of the outcome is theirs.

#include "device/ReplyFrames.h"
#include "params/BackupFile.h"
#include "params/BlockVerify.h"
#include "params/ParameterValues.h"
#include "session/Link.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace zuvo {

// How long a read of the block waits for the reply (the reply takes about 160 ms at 9600 baud).
inline constexpr int kBlockReadMs = 2000;

// Where a backup goes and what it records beside the block.
struct BackupTarget {
    QString folder;
    int port = 0; // n of COMn
    QString devicePath;
    std::uint8_t firmwareVersion = 0;
};

struct BlockBackupResult {
    // The block backed up: the one known, or the one read first.
    std::optional<ParameterBlockReply> block;
    // The read's result when one was needed (Replied also when none was).
    LinkResult readResult = LinkResult::Replied;
    QString path;    // the backup written
    QString problem; // why there is none, for the user; empty when it was written
    bool ok() const { return problem.isEmpty(); }
};

// The backup folder of the user, the port the link uses and the controller's firmware version.
BackupTarget backupTargetOf(const Link& link);

// The backup before a write: `known` is the controller's block last received on this opening of
// the port; without one the block is read first within `exchange`.
BlockBackupResult backUpBlock(Exchange& exchange, const std::optional<ParameterBlockReply>& known,
                              const BackupTarget& target);

// The words a send writes, `words[i]` to index range.first + i.
struct WordsToSend {
    SentWordRange range;
    std::vector<std::uint16_t> words;
};

// What a send of the block writes: words 1..16+E of `block`'s table.
WordsToSend blockSend(const ParameterBlock& block, int extraWordCount);
// What a send of `values` writes, as the window sends the pages that show them: words 37..16+E
// are 0. Nothing while a field is unusable.
std::optional<WordsToSend> valuesSend(const ParameterValues& values, int extraWordCount);

struct WordsSent {
    SentWordRange range;  // the words the send was to write
    int acknowledged = 0; // words acknowledged, from range.first on
    int failedWord = 0;   // the index that got no acknowledge or was not sent; 0 when all went
    LinkResult result = LinkResult::Acknowledged;
    bool stopped = false; // the user stopped the send before failedWord
    bool closing = false; // ... by closing the window
    bool complete() const { return failedWord == 0; }
};

// The send of the block: one frame per word, each after the acknowledge of the one before; the
// first word without an acknowledge ends it and the words after it are not sent. `stop`, asked
// before each word, ends it the same way (Ctrl-C on the command line), and so does the front
// end's closing (Exchange::closing): the word on its way gets its acknowledge first.
WordsSent sendWords(Exchange& exchange, const WordsToSend& send,
                    const std::function<bool()>& stop = {});

enum class TransferOutcome {
    NotSent,     // nothing was sent: no backup, or stopped before the first word
    PartlySent,  // a word got no acknowledge: the block was not verified
    NotVerified, // every word acknowledged, but the read-back did not come
    Differs,     // the read-back differs from what was sent
    Verified,    // the read-back agrees
    Sent,        // every word acknowledged; no read-back was asked for
};

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::NotSent;
    BlockBackupResult backup;
    WordsSent sent;
    LinkResult readBackResult = LinkResult::Replied;
    std::optional<ParameterBlockReply> readBack;
    BlockComparison comparison;
    QString text; // for the user: what happened and what the controller holds now
};

struct TransferSteps {
    bool verify = true;
    // Runs after the backup, just before the first word goes out.
    std::function<void()> beforeFirstWord;
    // Asked before each word: true ends the send there (nothing sent when before the first).
    std::function<bool()> stop;
};

// Backup, send and verification in `exchange`.
TransferResult transferBlock(Exchange& exchange, const std::optional<ParameterBlockReply>& known,
                             const BackupTarget& target, const WordsToSend& send,
                             const TransferSteps& steps = {});

// What a restore of `backup` sends to a controller with `extraWordCount` words beyond 16:
// nothing when the backup's length does not fit.
std::optional<WordsToSend> restoreSend(const BlockBackup& backup, int extraWordCount);

// The status bar's text after a send that was read back and agreed.
QString verifiedText();

} // namespace zuvo
