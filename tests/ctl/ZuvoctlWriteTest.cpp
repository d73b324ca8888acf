// zuvoctl write, restore and diff against the simulated actuator: every write backed up first and
// read back after, a file just written compares equal, a restore puts back exactly the saved
// words, and a bad file or an interruption never leaves an unreported change on the controller.

#include "ZuvoctlFixture.h"
#include "common/ExampleParameterFile.h"
#include "params/BackupFile.h"
#include "params/IniFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <functional>

using namespace zuvo;
using zuvo::test::CtlRun;
using zuvo::test::writeFile;
using zuvo::test::ZuvoctlTest;

namespace {

// A parameter file as a technician's desktop with a decimal comma saves it (500 mm, 60 turns).
const QByteArray& kCylinderFile = zuvo::test::kExampleParameterFile;

// The word writes the controller received ("SPiivvvv", index 1 and up), in order.
std::vector<std::string> wordWrites(const sim::Simulator& sim) {
    std::vector<std::string> writes;
    for (const std::string& request : sim.requests()) {
        if (request.size() == 8 && request.starts_with("SP") && request.substr(2, 2) != "00") {
            writes.push_back(request);
        }
    }
    return writes;
}

std::vector<std::uint16_t> simWords(const sim::Simulator& sim, int count) {
    std::vector<std::uint16_t> words;
    for (int i = 0; i < count; ++i) {
        words.push_back(sim.parameterWord(i));
    }
    return words;
}

QStringList backups(const QTemporaryDir& folder) {
    QDir dir(folder.filePath("data/ZUVO/backups"));
    QStringList paths;
    for (const QString& name : dir.entryList({"*.ZDF"}, QDir::Files, QDir::Name)) {
        paths << dir.filePath(name);
    }
    return paths;
}

std::vector<std::uint16_t> backupWords(const QString& path) {
    const BlockSectionRead read = readBlockSection(IniFile(path));
    EXPECT_TRUE(read) << read.problem.toStdString();
    return read ? read.backup->words : std::vector<std::uint16_t>{};
}

TEST_F(ZuvoctlTest, AFileWrittenThenComparedShowsNoDifference) {
    const QString path = writeFile(folder, "cylinder.ZDF", kCylinderFile);
    const std::vector<std::uint16_t> before = simWords(sim, 36);

    const CtlRun differs = zuvoctl({"diff", path, "--json"});
    EXPECT_EQ(differs.exitCode, 3) << differs.err.toStdString();
    EXPECT_GT(differs.json()["differing"].toInt(), 0);

    sim.clearLog();
    const CtlRun write = zuvoctl({"write", path});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_TRUE(write.out.contains("36 words sent and verified on COM1"))
        << write.out.toStdString();
    // One frame per word, 1..36 in order, then the read-back.
    const std::vector<std::string> writes = wordWrites(sim);
    ASSERT_EQ(writes.size(), 36U);
    EXPECT_EQ(writes[0], "SP0101F4"); // stroke 500
    EXPECT_EQ(writes[1], "SP020258"); // 60 turns
    EXPECT_EQ(writes[2], "SP030205");
    EXPECT_EQ(writes[35].substr(0, 4), "SP24");
    EXPECT_EQ(sim.requests().back(), "PV");
    // The block from before the write is kept, and the output names it.
    const QStringList saved = backups(folder);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(backupWords(saved[0]), before);
    EXPECT_TRUE(write.out.contains(saved[0])) << write.out.toStdString();

    const CtlRun text = zuvoctl({"diff", path});
    EXPECT_EQ(text.exitCode, 0) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("No parameter differs.")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("0.25 mm (written: "))
        << "the hysteresis as the controller has it";
    const CtlRun json = zuvoctl({"diff", path, "--json"});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.json()["differing"].toInt(), 0);
    const QJsonArray rows = json.json()["rows"].toArray();
    ASSERT_FALSE(rows.isEmpty());
    for (const QJsonValue& row : rows) {
        EXPECT_FALSE(row.toObject()["differs"].toBool())
            << row.toObject()["label"].toString().toStdString();
    }
}

// The direction goes out with the block but the controller reports it in its zero word, which
// setting the zero position writes: until then the comparison shows the old direction.
TEST_F(ZuvoctlTest, ANewDirectionComparesEqualOnceTheZeroPositionIsSetWithIt) {
    QByteArray counterClockwise = kCylinderFile;
    counterClockwise.replace("DIRECTION=1", "DIRECTION=0");
    const QString path = writeFile(folder, "ccw.ZDF", counterClockwise);
    ASSERT_EQ(zuvoctl({"write", path}).exitCode, 0);
    EXPECT_EQ(sim.parameterWord(36), 0x8000);
    const CtlRun before = zuvoctl({"diff", path});
    EXPECT_EQ(before.exitCode, 3);
    EXPECT_TRUE(
        before.out.contains(QRegularExpression("\\* Direction +Clockwise +Counter-clockwise")))
        << before.out.toStdString();

    EXPECT_EQ(zuvoctl({"zero", "--direction", "up"}).exitCode, 2);
    sim.setPosition(300);
    const CtlRun zero = zuvoctl({"zero", "--direction", "ccw"});
    ASSERT_EQ(zero.exitCode, 0) << zero.err.toStdString();
    EXPECT_EQ(sim.parameterWord(0), 0x8000 | (300 << 5));
    EXPECT_EQ(zuvoctl({"diff", path}).exitCode, 0);
}

TEST_F(ZuvoctlTest, ABlockReadFromOneCylinderWritesToAnotherAndComparesEqual) {
    sim.setParameterWord(1, 750);
    sim.setParameterWord(2, 1500);
    sim.setParameterWord(5, 0x0003);
    sim.setParameterWord(15, 2731);
    const QString path = folder.filePath("reference.ZDF");
    ASSERT_EQ(zuvoctl({"read", "-o", path}).exitCode, 0);
    for (int i = 1; i < 36; ++i) {
        sim.setParameterWord(i, 0);
    }
    const CtlRun write = zuvoctl({"write", path});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_EQ(sim.parameterWord(1), 750);
    EXPECT_EQ(sim.parameterWord(2), 1500);
    const CtlRun diff = zuvoctl({"diff", path, "--json"});
    EXPECT_EQ(diff.exitCode, 0) << diff.out.toStdString();
    EXPECT_TRUE(diff.json()["file_is_backup"].toBool());
}

TEST_F(ZuvoctlTest, AWordTheControllerStoresWronglyFailsVerificationWithStatusThree) {
    const QString path = writeFile(folder, "cylinder.ZDF", kCylinderFile);
    sim.setCorruptWord(7);
    const CtlRun run = zuvoctl({"write", path});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("Word 7")) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_EQ(backups(folder).size(), 1);

    // Without the read-back the same write counts as done; the block is read only once, before.
    sim.clearLog();
    const CtlRun unverified = zuvoctl({"write", path, "--no-verify"});
    EXPECT_EQ(unverified.exitCode, 0) << unverified.err.toStdString();
    EXPECT_TRUE(unverified.out.contains("not read back")) << unverified.out.toStdString();
    const std::vector<std::string> requests = sim.requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "PV"), 1);
    EXPECT_NE(requests.back(), "PV");
}

TEST_F(ZuvoctlTest, ARestoreSendsTheSavedWordsExactly) {
    // Words the editor pages could not hold: every bit of the masks and more turns than 6000.
    sim.setParameterWord(2, 65000);
    sim.setParameterWord(5, 0xFFC1);
    sim.setParameterWord(14, 0x7F7F);
    sim.setParameterWord(33, 0x1234);
    const std::vector<std::uint16_t> saved = simWords(sim, 36);
    const QString path = folder.filePath("saved.ZDF");
    ASSERT_EQ(zuvoctl({"read", "-o", path}).exitCode, 0);
    for (int i = 1; i < 36; ++i) {
        sim.setParameterWord(i, static_cast<std::uint16_t>(i));
    }
    const std::vector<std::uint16_t> replaced = simWords(sim, 36);

    const CtlRun run = zuvoctl({"restore", path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("restoring saved.ZDF (saved ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("sent and verified")) << run.out.toStdString();
    for (int i = 1; i < 36; ++i) {
        EXPECT_EQ(sim.parameterWord(i), saved[static_cast<std::size_t>(i)]) << i;
    }
    // The block it replaced is kept as well.
    const QStringList kept = backups(folder);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(backupWords(kept[0]), replaced);
}

// Each bad file ends the command before the port is opened: status 2, one line, no byte sent.
TEST_F(ZuvoctlTest, BadFilesAreRefusedBeforeAnythingIsSent) {
    QDir(folder.path()).mkdir("a-folder.ZDF");
    const QString none = writeFile(folder, "none.ZDF", "[OTHER]\nKey=1\n");
    const QString blockOnly = writeFile(folder, "block.ZDF", "[BLOCK]\nWords=36\n");
    QByteArray badStroke = kCylinderFile;
    badStroke.replace("LENGTH=500", "LENGTH=0");
    const QString zeroStroke = writeFile(folder, "zero.ZDF", badStroke);
    const struct {
        QStringList arguments;
        const char* says;
    } cases[] = {
        {{"write", folder.filePath("missing.ZDF")}, "no such file"},
        {{"diff", folder.filePath("missing.ZDF")}, "no such file"},
        {{"write", folder.filePath("a-folder.ZDF")}, "it is a folder"},
        {{"write", none}, "holds no parameter set"},
        {{"diff", none}, "the file holds no parameters"},
        {{"write", blockOnly}, "zuvoctl restore"},
        {{"restore", blockOnly}, "cannot be restored"},
        {{"diff", blockOnly}, "the backup's block is damaged"},
        {{"restore", none}, "cannot be restored"},
        {{"write", zeroStroke}, "cannot be sent"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CtlRun run = zuvoctl(c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
    EXPECT_EQ(sim.bytesReceived(), 0U);
    EXPECT_TRUE(backups(folder).isEmpty());
}

// A value a file holds is used as written or the file is refused: write and diff end with status
// 2 before the port is opened, in one line that names the file, the key and the value. Nothing
// the file does not say (a default, a clamped or masked value) is ever sent or compared.
TEST_F(ZuvoctlTest, AFileValueThatCannotBeUsedAsWrittenIsRefusedByWriteAndDiff) {
    const struct {
        const char* from; // a line of the example file (500 mm, 60 turns)
        QByteArray to;
        const char* names; // what the message quotes
    } cases[] = {
        {"LENGTH=500", "LENGTH=NaN", "LENGTH=\"NaN\""},
        {"LENGTH=500", "LENGTH=inf", "LENGTH=\"inf\""},
        {"LENGTH=500", "LENGTH=99999999999", "LENGTH=\"99999999999\""},
        {"LENGTH=500", "LENGTH=abc", "LENGTH=\"abc\""},
        {"LENGTH=500", QByteArray("LENGTH=10") + '\0' + "00", "LENGTH=\"10\\x0000\""},
        {"GEAR=60", "GEAR=100000", "GEAR=\"100000\""},
        {"GEAR=60", "GEAR=60,5", "GEAR=\"60,5\""},
        {"HYSTERESIS=0,25", "HYSTERESIS=100000", "HYSTERESIS=\"100000\""},
        {"Analog2=500", "Analog2=nan", "Analog2=\"nan\""},
        {"Analog2=500", "Analog2=501", "Analog2=\"501\""},
        {"Funktion1=1", "Funktion1=99999", "[OUTPUT] Funktion1=\"99999\""},
        {"Funktion1=1", "Funktion1=-3", "[OUTPUT] Funktion1=\"-3\""},
        {"Funktion1=3082", "Funktion1=70000", "[ANLAUF] Funktion1=\"70000\""},
        {"Funktion=517", "Funktion=77", "[ANALOG] Funktion=\"77\""},
        {"DIRECTION=1", "DIRECTION=7", "DIRECTION=\"7\""},
        {"DIRECTION=1", "DIRECTION=-1", "DIRECTION=\"-1\""},
        {"Pos3=-1", "Pos3=-2", "Pos3=\"-2\""},
        {"Pos3=-1", "Pos3=1200", "switch position 3 (1200.00 mm) lies beyond the stroke of 500 mm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to.toStdString());
        QByteArray content = kCylinderFile;
        ASSERT_TRUE(content.contains(c.from));
        content.replace(c.from, c.to);
        const QString path = writeFile(folder, "bad.ZDF", content);
        for (const char* command : {"write", "diff"}) {
            const CtlRun run = zuvoctl({command, path});
            EXPECT_EQ(run.exitCode, 2) << command << ": " << run.out.toStdString();
            EXPECT_TRUE(run.err.contains(path + " cannot be")) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(c.names)) << command << ": " << run.err.toStdString();
            EXPECT_TRUE(run.err.contains("bad.ZDF)")) << run.err.toStdString();
            EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        }
    }
    EXPECT_EQ(sim.bytesReceived(), 0U) << "nothing was opened or sent";
    EXPECT_TRUE(backups(folder).isEmpty());
}

// A backup whose words are given twice, or that has two block sections, does not say which block
// it holds: restore refuses it, and a NUL in a value does not cut the message short.
TEST_F(ZuvoctlTest, ABackupWithWordsOrSectionsTwiceIsNotRestored) {
    const QString saved = folder.filePath("saved.ZDF");
    ASSERT_EQ(zuvoctl({"read", "-o", saved}).exitCode, 0);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    const QByteArray block = good.mid(good.indexOf("[BLOCK]"));
    const struct {
        QByteArray content;
        const char* says;
    } cases[] = {
        {QByteArray(good).replace("Word7=", "Word7=4711\r\nWord7="), "Word7 stands more than once"},
        {good + block, "the file has 2 [BLOCK] sections"},
        {QByteArray(good).replace("Word7=", QByteArray("Word7=1") + '\0' + "2\r\nNote="),
         "Word7 is not a decimal number: \"1\\x002\""},
    };
    sim.clearLog();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const CtlRun run = zuvoctl({"restore", writeFile(folder, "twice.ZDF", c.content)});
        EXPECT_EQ(run.exitCode, 2) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith("; nothing was sent\n")) << run.err.toStdString();
    }
    EXPECT_TRUE(sim.requests().empty()) << "not even the block was read";
}

class ZuvoctlSlowAckTest : public ZuvoctlTest {
protected:
    ZuvoctlSlowAckTest() : ZuvoctlTest(slowAcknowledges()) {}
    static sim::SimOptions slowAcknowledges() {
        sim::SimOptions options = standingStill();
        options.faults.ackDelayMs = 80; // 36 words take about three seconds
        return options;
    }
};

// Ctrl-C, a hang-up and an unplugged adapter end a write part-way: the words after it are not sent,
// and the one line says so and how to put the saved block back.
TEST_F(ZuvoctlSlowAckTest, AWriteEndedPartWayIsReportedWithItsBackup) {
    const QString path = writeFile(folder, "cylinder.ZDF", kCylinderFile);
    const struct {
        const char* name;
        std::function<void(QProcess&, sim::Simulator&)> end;
        const char* says;
    } cases[] = {
        {"Ctrl-C",
         [](QProcess& process, sim::Simulator&) {
             ::kill(static_cast<pid_t>(process.processId()), SIGINT);
         },
         "interrupted before that word went out"},
        // A closed terminal or ssh session: the same stop at a word boundary, not a silent end.
        {"hang-up",
         [](QProcess& process, sim::Simulator&) {
             ::kill(static_cast<pid_t>(process.processId()), SIGHUP);
         },
         "interrupted before that word went out"},
        {"unplugged", [](QProcess&, sim::Simulator& s) { s.hangUp(); }, "the port was lost"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim.clearLog();
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(ZUVOCTL), {"write", path});
        ASSERT_TRUE(
            sim.waitUntil([&] { return wordWrites(sim).size() >= 3; }, std::chrono::seconds(10)));
        c.end(process, sim);
        ASSERT_TRUE(process.waitForFinished(10000));
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(c.says)) << err.toStdString();
        EXPECT_TRUE(err.contains("zuvoctl restore " + folder.filePath("data/ZUVO/backups/")))
            << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        const std::size_t sent = wordWrites(sim).size();
        EXPECT_LT(sent, 36U);
        QThread::msleep(300);
        EXPECT_EQ(wordWrites(sim).size(), sent) << "nothing follows the end";
    }
}

TEST_F(ZuvoctlTest, AnUpdateSavesTheBlockFirstAndIsNotStartedWithoutIt) {
    const QString image = writeFile(folder, "image.BIN", QByteArray(200, '\x5A'));
    sim.setAnswersBlockRead(false);
    const CtlRun refused = zuvoctl({"flash", image, "--yes"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("--no-backup")) << refused.err.toStdString();
    for (const std::string& request : sim.requests()) {
        EXPECT_EQ(request, "PV") << "nothing but the read of the block";
    }
    EXPECT_EQ(sim.completedUpdates(), 0);

    // A controller that answers nothing but the update can still be updated on purpose.
    const CtlRun forced = zuvoctl({"flash", image, "--yes", "--no-backup"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    EXPECT_TRUE(backups(folder).isEmpty());
}

} // namespace
