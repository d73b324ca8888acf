// The block transfer without a window, against the simulated actuator: the backup holds the
// controller's block from before the write, nothing is sent without a backup, the read-back
// proves the write or names what differs, and a restore sends the stored words as they stand.

#include "session/BlockTransfer.h"

#include "common/FileSizeLimit.h"
#include "common/ScratchFile.h"
#include "device/RequestFrames.h"
#include "params/BackupStore.h"
#include "params/ParameterBlock.h"
#include "params/ZdfContent.h"
#include "serial/PortMap.h"
#include "session/EventWait.h"
#include "sim/Simulator.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace zuvo;
using namespace std::chrono_literals;

namespace {

constexpr quint16 kCom = 38;
constexpr int kExtra = 20;

class BlockTransferTest : public ::testing::Test {
protected:
    BlockTransferTest() : sim(standingStill()) {
        sim.start();
        PortMap::global().setOverride(kCom, QString::fromStdString(sim.slavePath()));
        EXPECT_TRUE(link.openPort(kCom).opened);
        // The controller's block before every write: distinct words, so that any slip shows.
        for (int i = 1; i < 16 + kExtra; ++i) {
            sim.setParameterWord(i, static_cast<std::uint16_t>(100 + i));
        }
        sim.setParameterWord(static_cast<int>(Word::Stroke), 1500);
        sim.setParameterWord(static_cast<int>(Word::GearTurns), 1200);
        // The switch positions' high words 0: positions of a few counts, within the stroke.
        for (int i = 21; i < 36; i += 2) {
            sim.setParameterWord(i, 0);
        }
        target.folder = dir.filePath(QStringLiteral("ZUVO/backups"));
        target.port = kCom;
        target.devicePath = QString::fromStdString(sim.slavePath());
        target.firmwareVersion = 61;
    }
    ~BlockTransferTest() override { PortMap::global().clearOverrides(); }

    static sim::SimOptions standingStill() {
        sim::SimOptions options;
        options.rpm = 0;
        return options;
    }

    std::vector<std::uint16_t> controllerWords() const {
        std::vector<std::uint16_t> words;
        for (int i = 0; i < 16 + kExtra; ++i) {
            words.push_back(sim.parameterWord(i));
        }
        return words;
    }

    // A send of words 1..36 with values of their own.
    static WordsToSend newWords() {
        WordsToSend send{sentWordRange(kExtra), {}};
        for (int n = send.range.first; n <= send.range.last; ++n) {
            send.words.push_back(static_cast<std::uint16_t>(2000 + n));
        }
        send.words[static_cast<std::size_t>(Word::Stroke) - 1] = 800;
        send.words[static_cast<std::size_t>(Word::GearTurns) - 1] = 650;
        return send;
    }

    std::size_t writesSeen() const {
        std::size_t n = 0;
        for (const std::string& r : sim.requests()) {
            n += r.starts_with("SP") ? 1 : 0;
        }
        return n;
    }

    TransferResult transfer(const WordsToSend& send,
                            const std::optional<ParameterBlockReply>& known) {
        std::optional<Exchange> exchange = link.begin(QStringLiteral("Send Parameter-Block"));
        exchange->holdBlockReplies();
        return transferBlock(*exchange, known, target, send);
    }

    QTemporaryDir dir;
    sim::Simulator sim;
    Link link;
    BackupTarget target;
};

TEST_F(BlockTransferTest, TheBackupHoldsTheBlockFromBeforeTheSendAndTheSendIsVerified) {
    const std::vector<std::uint16_t> before = controllerWords();
    sim.clearLog();
    const TransferResult result = transfer(newWords(), std::nullopt);

    ASSERT_EQ(result.outcome, TransferOutcome::Verified) << result.text.toStdString();
    EXPECT_EQ(result.text, "Parameter-Block sent and verified");
    // No block was known: it was read first, then written, then read back.
    const std::vector<std::string> requests = sim.requests();
    ASSERT_EQ(requests.size(), 38u);
    EXPECT_EQ(requests.front(), "PV");
    EXPECT_EQ(requests.back(), "PV");
    EXPECT_EQ(writesSeen(), 36u);

    const IniFile ini(result.backup.path);
    EXPECT_EQ(QFileInfo(result.backup.path).dir().path(), target.folder);
    EXPECT_TRUE(parseBackupFileName(QFileInfo(result.backup.path).fileName()));
    const BlockSectionRead read = readBlockSection(ini, 36);
    ASSERT_TRUE(read) << read.problem.toStdString();
    EXPECT_EQ(read.backup->words, before);
    EXPECT_EQ(read.backup->port, kCom);
    EXPECT_EQ(read.backup->firmwareVersion, 61);
    EXPECT_EQ(read.backup->devicePath, target.devicePath);
    // Its editor sections are the same block as "Read from File" loads it.
    const ZdfContent editor = readZdf(ini);
    EXPECT_EQ(editor.strokeMm, 1500);
    EXPECT_EQ(editor.turns, 120);
    EXPECT_EQ(editor.segmentMasks[0], before[Word::segmentMask(1)] & 0x3F) << "the outputs' bits";

    EXPECT_EQ(sim.parameterWord(static_cast<int>(Word::Stroke)), 800);
    ASSERT_TRUE(result.readBack);
    EXPECT_EQ(link.blockOfThisOpening(), result.readBack);
}

TEST_F(BlockTransferTest, AKnownBlockIsBackedUpWithoutAReadAndAReopenedPortForgetsIt) {
    std::optional<ParameterBlockReply> known;
    {
        std::optional<Exchange> exchange = link.begin(QStringLiteral("read"));
        known = exchange->readBlock(kBlockReadMs).value;
    }
    ASSERT_TRUE(known);
    EXPECT_EQ(link.blockOfThisOpening(), known);
    sim.clearLog();
    const TransferResult result = transfer(newWords(), link.blockOfThisOpening());
    ASSERT_EQ(result.outcome, TransferOutcome::Verified);
    EXPECT_EQ(sim.requests().front(), "SP010320") << "the first request is the first word";

    ASSERT_TRUE(link.reopenPort().opened);
    EXPECT_FALSE(link.blockOfThisOpening());
}

// After a write that was not read back the controller's block is not known: the next backup
// reads it, so it never records words the controller no longer holds.
TEST_F(BlockTransferTest, AWriteWithoutReadBackForgetsTheKnownBlock) {
    const std::optional<ParameterBlockReply> known = [this] {
        std::optional<Exchange> exchange = link.begin(QStringLiteral("read"));
        return exchange->readBlock(kBlockReadMs).value;
    }();
    ASSERT_TRUE(known);
    sim::FaultConfig faults;
    faults.dropEvery = 3;
    sim.setFault(faults);
    EXPECT_EQ(transfer(newWords(), link.blockOfThisOpening()).outcome, TransferOutcome::PartlySent);
    EXPECT_FALSE(link.blockOfThisOpening());

    sim.setFault({});
    sim.clearLog();
    const TransferResult next = transfer(newWords(), link.blockOfThisOpening());
    ASSERT_EQ(next.outcome, TransferOutcome::Verified);
    EXPECT_EQ(sim.requests().front(), "PV");
    const BlockSectionRead backedUp = readBlockSection(IniFile(next.backup.path), 36);
    ASSERT_TRUE(backedUp);
    EXPECT_EQ(backedUp.backup->words[1], 800) << "word 1 was written before the stop";
    EXPECT_EQ(backedUp.backup->words[4], 104) << "word 4 was not";
}

// Every way a backup can fail leaves the controller untouched and says why.
TEST_F(BlockTransferTest, WithoutABackupNothingIsSent) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* named;
    };
    const QString folder = target.folder;
    const Case cases[] = {
        {"a file where the folder should be",
         [&] {
             QDir().mkpath(QFileInfo(folder).path());
             test::writeScratchFile(folder, "x");
         },
         "is a file"},
        {"no answer to the read", [&] { sim.setAnswersBlockRead(false); },
         "did not answer the read of its block"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        sim.clearLog();
        const TransferResult result = transfer(newWords(), std::nullopt);
        EXPECT_EQ(result.outcome, TransferOutcome::NotSent);
        EXPECT_TRUE(result.text.contains(c.named)) << result.text.toStdString();
        EXPECT_TRUE(result.text.startsWith("Nothing was sent")) << result.text.toStdString();
        EXPECT_EQ(writesSeen(), 0u);
        EXPECT_NE(sim.parameterWord(static_cast<int>(Word::Stroke)), 800);
        QFile::remove(folder);
        sim.setAnswersBlockRead(true);
    }
}

TEST_F(BlockTransferTest, AFullDiskOrAReadOnlyFolderSendsNothing) {
    const std::optional<ParameterBlockReply> known = [this] {
        std::optional<Exchange> exchange = link.begin(QStringLiteral("read"));
        return exchange->readBlock(kBlockReadMs).value;
    }();
    ASSERT_TRUE(known);
    ASSERT_TRUE(QDir().mkpath(target.folder));
    sim.clearLog();
    {
        test::FileSizeLimit full(64);
        ASSERT_TRUE(full.active());
        const TransferResult result = transfer(newWords(), known);
        EXPECT_EQ(result.outcome, TransferOutcome::NotSent);
        EXPECT_TRUE(result.text.contains("no backup could be written"))
            << result.text.toStdString();
    }
    EXPECT_EQ(writesSeen(), 0u);
    EXPECT_TRUE(QDir(target.folder).entryList(QDir::Files | QDir::Hidden).isEmpty());

    if (::geteuid() != 0) { // permissions do not bind root
        QFile::setPermissions(target.folder, QFile::ReadOwner | QFile::ExeOwner);
        const TransferResult result = transfer(newWords(), known);
        QFile::setPermissions(target.folder,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(result.outcome, TransferOutcome::NotSent);
        EXPECT_TRUE(result.text.contains("read-only")) << result.text.toStdString();
        EXPECT_EQ(writesSeen(), 0u);
    }
}

TEST_F(BlockTransferTest, AWordStoredWronglyIsNamedWithWhatWasSentAndWhatCameBack) {
    sim.setCorruptWord(5);
    const TransferResult result = transfer(newWords(), std::nullopt);
    ASSERT_EQ(result.outcome, TransferOutcome::Differs);
    ASSERT_EQ(result.comparison.differences.size(), 1u);
    EXPECT_EQ(result.comparison.differences[0], (WordDifference{5, 2005, 2006}));
    EXPECT_TRUE(result.text.contains("Word 5: sent 2005 (07D5), read back 2006 (07D6)"))
        << result.text.toStdString();
    EXPECT_TRUE(result.text.contains(result.backup.path));
}

TEST_F(BlockTransferTest, ASendStoppedPartWayIsNotVerifiedAndSaysSo) {
    sim::FaultConfig faults;
    faults.dropEvery = 8; // the block read first is the 1st reply: word 7's acknowledge is lost
    sim.setFault(faults);
    const TransferResult result = transfer(newWords(), std::nullopt);
    EXPECT_EQ(result.outcome, TransferOutcome::PartlySent);
    EXPECT_EQ(result.sent.failedWord, 7);
    EXPECT_EQ(result.sent.acknowledged, 6);
    EXPECT_FALSE(result.readBack);
    EXPECT_EQ(writesSeen(), 7u);
    EXPECT_TRUE(result.text.contains("stopped at word 7")) << result.text.toStdString();
    EXPECT_TRUE(result.text.contains("not verified")) << result.text.toStdString();
}

TEST_F(BlockTransferTest, NoAnswerToTheReadBackOrAnUnplugBeforeItLeavesTheSendUnverified) {
    const std::optional<ParameterBlockReply> known = [this] {
        std::optional<Exchange> exchange = link.begin(QStringLiteral("read"));
        return exchange->readBlock(kBlockReadMs).value;
    }();
    ASSERT_TRUE(known);
    sim.setAnswersBlockRead(false);
    const TransferResult silent = transfer(newWords(), known);
    EXPECT_EQ(silent.outcome, TransferOutcome::NotVerified);
    EXPECT_EQ(silent.readBackResult, LinkResult::NoReply);
    EXPECT_TRUE(silent.text.contains("did not answer")) << silent.text.toStdString();
    EXPECT_EQ(sim.parameterWord(static_cast<int>(Word::Stroke)), 800);

    // The adapter goes when the read-back is asked for.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [this, &watch] {
        const std::vector<std::string> r = sim.requests();
        if (!r.empty() && r.back() == "PV") {
            watch.stop();
            sim.hangUp();
        }
    });
    sim.clearLog();
    watch.start(5);
    const TransferResult lost = transfer(newWords(), known);
    EXPECT_EQ(lost.outcome, TransferOutcome::NotVerified);
    EXPECT_EQ(lost.readBackResult, LinkResult::PortLost);
    EXPECT_TRUE(lost.text.contains("port was lost")) << lost.text.toStdString();
}

TEST_F(BlockTransferTest, ARestoreSendsTheStoredWordsAsTheyStandAndVerifies) {
    BlockBackup backup;
    for (int i = 0; i < 16 + kExtra; ++i) {
        backup.words.push_back(static_cast<std::uint16_t>(3000 + 7 * i));
    }
    backup.words[Word::ZeroWord] = 0x8123; // counter-clockwise: word 36 is the direction
    const std::optional<WordsToSend> send = restoreSend(backup, kExtra);
    ASSERT_TRUE(send);
    sim.clearLog();
    const TransferResult result = transfer(*send, std::nullopt);
    ASSERT_EQ(result.outcome, TransferOutcome::Verified) << result.text.toStdString();
    for (int i = 1; i < 16 + kExtra; ++i) {
        EXPECT_EQ(sim.parameterWord(i), backup.words[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(sim.parameterWord(36), 0x8000);
    EXPECT_EQ(writesSeen(), 36u);

    // A backup of another length does not fit this controller.
    backup.words.pop_back();
    EXPECT_FALSE(restoreSend(backup, kExtra));
}

} // namespace
