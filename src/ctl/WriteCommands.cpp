// zuvoctl write, restore and diff: a parameter file or a backup to the controller, each write
// backed up first and read back after as the window's send is, and the controller's block
// compared with a file as the window's "Compare with File" shows it.

#include "ctl/CtlCommands.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlSession.h"
#include "params/BackupFile.h"
#include "params/EditorText.h"
#include "params/IniFile.h"
#include "params/InputFileCheck.h"
#include "params/ParameterComparison.h"
#include "params/ParameterValues.h"
#include "params/ZdfContent.h"
#include "session/BlockTransfer.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace zuvo {

namespace {

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The file named on the command line, read whole before the port is opened: a file that cannot
// be used ends the command before anything reaches the controller.
struct CommandFile {
    QString path;
    std::optional<IniFile> ini;
    CtlFailure failure; // why there is no `ini`
};

CommandFile readCommandFile(const CtlArguments& arguments) {
    CommandFile file{arguments.operands.value(0), std::nullopt, {}};
    // The same check and words as the window's "Read from File"; a pipe or device is not opened.
    if (const InputFileCheck check = checkInputFile(file.path); !check.ok()) {
        file.failure = {ExitUsage, unreadableFileText(QStringLiteral("file"), file.path, check)};
        return file;
    }
    IniFile ini(file.path);
    switch (ini.loadState()) {
    case IniFile::LoadState::Loaded:
        file.ini = std::move(ini);
        return file;
    case IniFile::LoadState::Missing:
        file.failure = {
            ExitUsage,
            QStringLiteral("%1 does not exist: check the name").arg(shownPath(file.path))};
        return file;
    case IniFile::LoadState::Unusable:
        break;
    }
    file.failure = {ExitUsage, QStringLiteral("%1 cannot be read: it is a folder, too large, or "
                                              "not readable for you")
                                   .arg(shownPath(file.path))};
    return file;
}

// The parameter set a command takes from its file, read and checked before the port is opened: a
// key that cannot be used as written refuses the file, naming the key and its value, so that
// nothing the file does not say is sent or passes for equal.
struct FileParameters {
    QString path;
    std::optional<ParameterValues> values;
    bool fromBlockSection = false;
    CtlFailure failure; // why there are no `values`
};

enum class FileUse {
    Send,    // the editor sections, as "Read from File" shows them
    Compare, // a backup's [BLOCK] words, else the editor sections
};

FileParameters fileParameters(const CtlArguments& arguments, FileUse use) {
    const CommandFile file = readCommandFile(arguments);
    FileParameters out{file.path, std::nullopt, false, file.failure};
    if (!file.ini) {
        return out;
    }
    const IniFile& ini = *file.ini;
    const QString path = shownPath(file.path);
    if (use == FileUse::Compare) {
        FileValues values = parameterFileValues(ini);
        out.values = std::move(values.values);
        out.fromBlockSection = values.fromBlockSection;
        out.failure = {ExitUsage,
                       QStringLiteral("%1 cannot be compared: %2").arg(path, values.problem)};
        return out;
    }
    if (!isParameterFile(ini)) {
        const bool backupOnly = !ini.keys(QString::fromLatin1(BlockSectionName)).isEmpty();
        out.failure = {ExitUsage,
                       backupOnly ? QStringLiteral("%1 holds only a block section: send it with "
                                                   "zuvoctl restore")
                                        .arg(path)
                                  : QStringLiteral("%1 holds no parameter set: give a .ZDF file "
                                                   "saved by ZuvoTool or zuvoctl read")
                                        .arg(path)};
        return out;
    }
    UsableFileValues values = usableFileValues(ini);
    out.values = std::move(values.values);
    out.failure = {ExitUsage, QStringLiteral("%1 cannot be sent: %2; nothing was sent")
                                  .arg(path, values.problems.join(QStringLiteral("; ")))};
    return out;
}

// The exit status and the one line a transfer ends with; a verified or unverified-by-choice send
// prints its line on stdout.
int transferEnd(const TransferResult& result, const QString& what, const QString& portName) {
    switch (result.outcome) {
    case TransferOutcome::Verified:
    case TransferOutcome::Sent: {
        const QString how = result.outcome == TransferOutcome::Verified
                                ? QStringLiteral("sent and verified")
                                : QStringLiteral("sent, not read back (--no-verify)");
        print(stdout, QStringLiteral("%1: %2 words %3 on %4; the block before is saved in %5\n")
                          .arg(what)
                          .arg(result.sent.acknowledged)
                          .arg(how, portName, shownPath(result.backup.path)));
        return ExitDone;
    }
    case TransferOutcome::Differs:
        return fail(ExitCheckFailed,
                    QStringLiteral("verification failed: ") + oneLine(result.text));
    case TransferOutcome::NotSent:
    case TransferOutcome::PartlySent:
    case TransferOutcome::NotVerified:
        break;
    }
    QString text = oneLine(result.text);
    if (result.outcome == TransferOutcome::NotSent && result.backup.block && !result.backup.ok()) {
        return fail(ExitUsage, text); // the backup folder, not the controller
    }
    if (result.outcome == TransferOutcome::PartlySent) {
        text += QStringLiteral(" Run zuvoctl restore %1 to put it back.")
                    .arg(shownPath(result.backup.path));
    }
    return fail(ExitNoAnswer, text);
}

// Backup, send and (unless --no-verify) read-back of `send`, Ctrl-C ending the send before its
// next word.
int transfer(CtlSession& session, const WordsToSend& send, bool verify, const QString& what) {
    InterruptWatch interrupt;
    const TransferResult result =
        transferBlock(session.exchange(), session.block(), backupTargetOf(session.link()), send,
                      {.verify = verify, .beforeFirstWord = {}, .stop = [&interrupt] {
                           return interrupt.interrupted();
                       }});
    session.endExchange();
    return transferEnd(result, what, session.portName());
}

} // namespace

int runWrite(const CtlArguments& arguments) {
    const FileParameters file = fileParameters(arguments, FileUse::Send);
    if (!file.values) {
        return fail(file.failure);
    }
    const QString& path = file.path;
    CtlSession session;
    if (const auto opened = session.openAndReadBlock(arguments)) {
        return fail(*opened);
    }
    const std::optional<WordsToSend> send =
        valuesSend(*file.values, session.block().extraWordCount);
    if (!send) { // refused above already; kept for the words' own check
        return fail(ExitUsage, QStringLiteral("%1 cannot be sent").arg(shownPath(path)));
    }
    return transfer(session, *send, !arguments.has(QStringLiteral("--no-verify")),
                    QFileInfo(path).fileName());
}

int runRestore(const CtlArguments& arguments) {
    const CommandFile file = readCommandFile(arguments);
    if (!file.ini) {
        return fail(file.failure);
    }
    const QString& path = file.path;
    const IniFile& ini = *file.ini;
    const auto refused = [&path](const QString& problem) {
        return fail(ExitUsage, QStringLiteral("the backup %1 cannot be restored: %2; nothing was "
                                              "sent")
                                   .arg(shownPath(path), problem));
    };
    if (const BlockSectionRead damaged = readBlockSection(ini); !damaged) {
        return refused(damaged.problem);
    }
    CtlSession session;
    if (const auto opened = session.openAndReadBlock(arguments)) {
        return fail(*opened);
    }
    // The controller's length of block decides how many words the backup must have.
    const int extra = session.block().extraWordCount;
    const BlockSectionRead read = readBlockSection(ini, receivedWordCount(extra));
    const std::optional<WordsToSend> send = read ? restoreSend(*read.backup, extra) : std::nullopt;
    if (!send) {
        return refused(read ? QStringLiteral("its length does not fit the controller's block")
                            : read.problem);
    }
    const BackupSummary summary = summarizeBackup(*read.backup);
    print(stdout, QStringLiteral("restoring %1 (saved %2 from %3, firmware %4, stroke %5 mm, "
                                 "%6 turns)\n")
                      .arg(QFileInfo(path).fileName(), summary.time.toString(Qt::ISODate),
                           portName(summary.port))
                      .arg(summary.firmwareVersion)
                      .arg(summary.strokeMm)
                      .arg(summary.turns));
    return transfer(session, *send, true, QFileInfo(path).fileName());
}

int runDiff(const CtlArguments& arguments) {
    const FileParameters file = fileParameters(arguments, FileUse::Compare);
    if (!file.values) {
        return fail(file.failure);
    }
    const QString& path = file.path;
    CtlSession session;
    if (const auto opened = session.openAndReadBlock(arguments)) {
        return fail(*opened);
    }
    session.endExchange();
    const std::vector<ComparisonRow> rows = compareParameters(
        blockValues(session.block().words), *file.values, systemDecimalSeparator());
    const auto differing = std::count_if(rows.begin(), rows.end(),
                                         [](const ComparisonRow& row) { return row.differs; });
    if (arguments.has(QStringLiteral("--json"))) {
        const QJsonObject out{
            {QStringLiteral("port"), session.portName()},
            {QStringLiteral("device"), session.devicePath()},
            {QStringLiteral("file"), QFileInfo(path).absoluteFilePath()},
            {QStringLiteral("file_is_backup"), file.fromBlockSection},
            {QStringLiteral("differing"), static_cast<qint64>(differing)},
            {QStringLiteral("rows"), comparisonJson(rows)},
        };
        print(stdout, QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)));
    } else {
        print(stdout,
              comparisonText(rows, QStringLiteral("Controller (%1)").arg(session.portName()),
                             QFileInfo(path).fileName()));
    }
    return differing == 0 ? ExitDone : ExitCheckFailed;
}

} // namespace zuvo
