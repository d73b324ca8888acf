#include "session/BlockTransfer.h"

#include "device/RequestFrames.h"
#include "params/BackupStore.h"
#include "params/FileNumber.h"
#include "params/ParameterBlock.h"
#include "params/ParameterValues.h"
#include "params/ZdfContent.h"
#include "serial/PortMap.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>

namespace zuvo {

namespace {

// The editor's sections of a backup, so that "Read from File" loads it like any saved file. A
// block whose values the pages cannot hold (turns beyond 6000) keeps only its [BLOCK] section.
bool writeEditorSections(IniFile& ini, const ParameterBlockReply& reply) {
    ParameterBlock block;
    block.storeReceivedWords(reply.words);
    const QLocale locale;
    const std::optional<ZdfContent> content =
        fileContent(receivedValues(block), fileDecimalSeparator(locale));
    return !content || writeZdf(ini, *content, locale);
}

QString readFailure(LinkResult result) {
    switch (result) {
    case LinkResult::PortLost:
        return QStringLiteral("the port was lost while the controller's block was read");
    case LinkResult::Closing:
        return QStringLiteral("the window was closed before the controller's block was read");
    default:
        return QStringLiteral("the controller did not answer the read of its block");
    }
}

QString backupNote(const BlockBackupResult& backup) {
    return QStringLiteral("\nThe block from before the send is saved in ") +
           QDir::toNativeSeparators(backup.path) + QLatin1Char('.');
}

// "word 8 of 36 is" or "words 1..7 of 36 are".
QString wordsOf(int first, int last, int total) {
    const QString of = QStringLiteral(" of %1").arg(total);
    return first == last
               ? QStringLiteral("word %1").arg(first) + of + QStringLiteral(" is")
               : QStringLiteral("words %1..%2").arg(first).arg(last) + of + QStringLiteral(" are");
}

// A send the window's closing ended before its next word: what the controller holds now and
// how to put its old block back.
QString closedText(const TransferResult& r) {
    if (r.sent.acknowledged == 0) {
        return QStringLiteral("Nothing was sent, the controller keeps its block: the window was "
                              "closed before the first word.");
    }
    const SentWordRange& range = r.sent.range;
    const int lastWritten = range.first + r.sent.acknowledged - 1;
    return QStringLiteral("The window was closed during the send: ") +
           wordsOf(range.first, lastWritten, range.count()) + QStringLiteral(" written, ") +
           wordsOf(r.sent.failedWord, range.last, range.count()) +
           QStringLiteral(" not sent, so the controller holds part of the new block; it was not "
                          "verified.") +
           backupNote(r.backup) +
           QStringLiteral(" To put it back, choose it in Values > Restore Backup... when the "
                          "program runs again.");
}

QString stopReason(const WordsSent& sent) {
    if (sent.stopped) {
        return QStringLiteral(": it was interrupted before that word went out. ");
    }
    return sent.result == LinkResult::PortLost
               ? QStringLiteral(": the port was lost. ")
               : QStringLiteral(": the controller did not acknowledge it. ");
}

QString outcomeText(const TransferResult& r) {
    if (r.sent.closing) {
        return closedText(r);
    }
    switch (r.outcome) {
    case TransferOutcome::NotSent:
        return QStringLiteral("Nothing was sent, the controller keeps its block: ") +
               (r.backup.ok() ? QStringLiteral("the send was interrupted before its first word.")
                              : r.backup.problem);
    case TransferOutcome::PartlySent:
        return QStringLiteral("The send stopped at word ") + QString::number(r.sent.failedWord) +
               stopReason(r.sent) +
               QStringLiteral("The words before it are written, the later ones are not, so the "
                              "controller holds part of the new block; it was not verified.") +
               backupNote(r.backup);
    case TransferOutcome::NotVerified:
        return QStringLiteral("Every word was acknowledged, but the block was not verified: ") +
               readFailure(r.readBackResult) + QLatin1Char('.') + backupNote(r.backup);
    case TransferOutcome::Differs:
        return differencesText(r.comparison) + backupNote(r.backup);
    case TransferOutcome::Verified:
        return verifiedText();
    case TransferOutcome::Sent:
        return QStringLiteral("Parameter-Block sent (not read back)");
    }
    return {};
}

} // namespace

QString verifiedText() {
    return QStringLiteral("Parameter-Block sent and verified");
}

BackupTarget backupTargetOf(const Link& link) {
    const LinkSnapshot seen = link.snapshot();
    return {defaultBackupFolder(), seen.portNumber, PortMap::global().devicePath(seen.portNumber),
            seen.state.FirmwareVersion};
}

BlockBackupResult backUpBlock(Exchange& exchange, const std::optional<ParameterBlockReply>& known,
                              const BackupTarget& target) {
    BlockBackupResult result;
    result.block = known;
    if (!result.block) {
        LinkAnswer<ParameterBlockReply> read = exchange.readBlock(kBlockReadMs);
        result.readResult = read.result;
        result.block = std::move(read.value);
        if (!result.block) {
            result.problem = readFailure(read.result) + QStringLiteral(", so no backup was made.");
            return result;
        }
    }
    BlockBackup backup;
    backup.words = result.block->words;
    backup.calibration10V = result.block->kali10V;
    backup.calibration4mA = result.block->kali4mA;
    backup.firmwareVersion = target.firmwareVersion;
    backup.port = target.port;
    backup.devicePath = target.devicePath;
    backup.time = QDateTime::currentDateTime();
    const ParameterBlockReply& block = *result.block;
    const BackupWriteResult written = writeBackup(
        target.folder, backup, [&block](IniFile& ini) { return writeEditorSections(ini, block); });
    result.path = written.path;
    if (!written.ok()) {
        result.problem = QStringLiteral("no backup could be written. ") + written.problem;
    }
    return result;
}

WordsToSend blockSend(const ParameterBlock& block, int extraWordCount) {
    const SentWordRange range = sentWordRange(extraWordCount);
    return {range, std::vector<std::uint16_t>(block.Slots.begin() + range.first,
                                              block.Slots.begin() + range.last + 1)};
}

std::optional<WordsToSend> valuesSend(const ParameterValues& values, int extraWordCount) {
    ParameterBlock block;
    block.clearSentWords(extraWordCount);
    if (!storeValues(values, block)) {
        return std::nullopt;
    }
    return blockSend(block, extraWordCount);
}

WordsSent sendWords(Exchange& exchange, const WordsToSend& send,
                    const std::function<bool()>& stop) {
    WordsSent result;
    result.range = send.range;
    for (std::size_t i = 0; i < send.words.size(); ++i) {
        const int index = send.range.first + static_cast<int>(i);
        const bool closing = exchange.closing();
        if (closing || (stop && stop())) {
            result.failedWord = index;
            result.stopped = true;
            result.closing = closing;
            return result;
        }
        const LinkResult step = exchange.sendAndWaitForAck(
            writeWordFrame(static_cast<std::uint8_t>(index), send.words[i]));
        if (step != LinkResult::Acknowledged) {
            result.failedWord = index;
            result.result = step;
            return result;
        }
        ++result.acknowledged;
    }
    return result;
}

TransferResult transferBlock(Exchange& exchange, const std::optional<ParameterBlockReply>& known,
                             const BackupTarget& target, const WordsToSend& send,
                             const TransferSteps& steps) {
    TransferResult r;
    r.backup = backUpBlock(exchange, known, target);
    if (r.backup.ok()) {
        if (steps.beforeFirstWord) {
            steps.beforeFirstWord();
        }
        r.sent = sendWords(exchange, send, steps.stop);
        if (r.sent.stopped && r.sent.acknowledged == 0) {
            r.outcome = TransferOutcome::NotSent;
        } else if (!r.sent.complete()) {
            r.outcome = TransferOutcome::PartlySent;
        } else if (!steps.verify) {
            r.outcome = TransferOutcome::Sent;
        } else {
            LinkAnswer<ParameterBlockReply> read = exchange.readBlock(kBlockReadMs);
            r.readBackResult = read.result;
            r.readBack = std::move(read.value);
            if (!r.readBack) {
                r.outcome = TransferOutcome::NotVerified;
            } else {
                r.comparison = compareSentWords(send.range, send.words, r.readBack->words);
                r.outcome =
                    r.comparison.agrees() ? TransferOutcome::Verified : TransferOutcome::Differs;
            }
        }
    }
    r.text = outcomeText(r);
    return r;
}

std::optional<WordsToSend> restoreSend(const BlockBackup& backup, int extraWordCount) {
    std::vector<std::uint16_t> words = restoreWords(backup.words, extraWordCount);
    if (words.empty()) {
        return std::nullopt;
    }
    return WordsToSend{sentWordRange(extraWordCount), std::move(words)};
}

} // namespace zuvo
