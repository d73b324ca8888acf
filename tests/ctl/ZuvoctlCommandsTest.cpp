// zuvoctl's subcommands against the simulated actuator: what reaches the controller, what the
// files hold, what --json says and the exit status.

#include "ZuvoctlFixture.h"
#include "common/RxRelay.h"
#include "params/BackupFile.h"
#include "params/IniFile.h"
#include "params/ZdfContent.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>

using namespace zuvo;
using zuvo::test::CtlRun;
using zuvo::test::writeFile;
using zuvo::test::ZuvoctlTest;

namespace {

QByteArray sampleImage(int size) {
    QByteArray image;
    for (int i = 0; i < size; ++i) {
        image.append(static_cast<char>((i * 37 + 11) & 0xFF));
    }
    return image;
}

bool sentRequest(const sim::Simulator& sim, const std::string& request) {
    const std::vector<std::string> requests = sim.requests();
    return std::find(requests.begin(), requests.end(), request) != requests.end();
}

TEST_F(ZuvoctlTest, ThePortIsChosenByNumberNameDeviceOrTheStoredOne) {
    QFile settings(folder.filePath("ZUVO.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Software\\ZUVO]\nComPort=1\n");
    settings.close();
    for (const QStringList& port :
         {QStringList{}, QStringList{"--port", "COM1"}, QStringList{"--port", "1"},
          QStringList{"--port=com1"}, QStringList{"--device", simPath()}}) {
        const CtlRun run = zuvoctl(QStringList{"status", "--json"} + port);
        ASSERT_EQ(run.exitCode, 0) << port.join(' ').toStdString() << run.err.toStdString();
        EXPECT_EQ(run.json()["port"].toInt(), 1) << port.join(' ').toStdString();
        EXPECT_EQ(run.json()["device"].toString(), simPath());
    }
}

TEST_F(ZuvoctlTest, ReadWritesTheBlockAsParameterFileWithItsBlockSection) {
    sim.setParameterWord(1, 750);  // stroke 750 mm
    sim.setParameterWord(2, 1500); // 150 turns
    sim.setParameterWord(7, 0x0005);
    const QString path = folder.filePath("cylinder.ZDF");
    writeFile(folder, "cylinder.ZDF", "[OLD]\nStale=1\n"); // replaced, not merged

    const CtlRun run = zuvoctl({"read", "-o", path, "--port", "COM1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const IniFile ini(path);
    EXPECT_FALSE(ini.hasKey("OLD", "Stale"));
    ASSERT_TRUE(isParameterFile(ini));
    const ZdfContent content = readZdf(ini);
    EXPECT_EQ(content.strokeMm, 750);
    EXPECT_EQ(content.turns, 150);
    const BlockSectionRead block = readBlockSection(ini);
    ASSERT_TRUE(block) << block.problem.toStdString();
    ASSERT_EQ(block.backup->words.size(), 36U);
    for (int i = 0; i < 36; ++i) {
        EXPECT_EQ(block.backup->words[static_cast<std::size_t>(i)], sim.parameterWord(i)) << i;
    }
    EXPECT_EQ(block.backup->port, 1);
    EXPECT_EQ(block.backup->devicePath, simPath());
    // Nothing but the read went to the controller.
    for (const std::string& request : sim.requests()) {
        EXPECT_TRUE(request == "PV") << request;
    }
}

TEST_F(ZuvoctlTest, ReadIntoAFolderThatDoesNotExistSaysSo) {
    const CtlRun run = zuvoctl({"read", "-o", folder.filePath("missing/x.ZDF")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("cannot write")) << run.err.toStdString();
}

TEST_F(ZuvoctlTest, ZeroSetsTheShownAngleAsZeroWordAcknowledged) {
    sim.setPosition(2 * 1024 + 256); // angle 256
    const CtlRun run = zuvoctl({"zero"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Angle in bits 5..14, clockwise: bit 15 clear.
    EXPECT_EQ(sim.parameterWord(0), 256 << 5);
    EXPECT_TRUE(sentRequest(sim, "SP002000"));
    EXPECT_TRUE(run.out.contains("angle 256")) << run.out.toStdString();
}

TEST_F(ZuvoctlTest, TestDataPrintsTheControllersLines) {
    const CtlRun text = zuvoctl({"test-data"});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_FALSE(text.out.trimmed().isEmpty());
    const CtlRun json = zuvoctl({"test-data", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonArray lines = json.json()["lines"].toArray();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first().toString(), text.out.split('\n').first());
}

TEST_F(ZuvoctlTest, SectorCheckOfWellPlacedSwitchesPasses) {
    const CtlRun run = zuvoctl({"sector-check"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Verdict: passed")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Anfang")) << run.out.toStdString();
    const CtlRun json = zuvoctl({"sector-check", "--json"});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_TRUE(json.json()["passed"].toBool());
    EXPECT_EQ(json.json()["reed1_edges"].toArray().size(), 4);
    EXPECT_EQ(json.json()["table"].toArray().size(), 13);
}

class ZuvoctlMisalignedTest : public ZuvoctlTest {
protected:
    ZuvoctlMisalignedTest() : ZuvoctlTest(misaligned()) {}
    static sim::SimOptions misaligned() {
        sim::SimOptions options = standingStill();
        options.misaligned = true;
        return options;
    }
};

TEST_F(ZuvoctlMisalignedTest, SectorCheckOfMisplacedSwitchesFailsWithStatusThree) {
    const CtlRun run = zuvoctl({"sector-check"});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Verdict: failed")) << run.out.toStdString();
    const CtlRun json = zuvoctl({"sector-check", "--json"});
    EXPECT_EQ(json.exitCode, 3);
    EXPECT_FALSE(json.json()["passed"].toBool());
}

class ZuvoctlMovingTest : public ZuvoctlTest {
protected:
    ZuvoctlMovingTest() : ZuvoctlTest(sim::SimOptions{}) {}
};

TEST_F(ZuvoctlMovingTest, RecordWritesOneLinePerStatusReply) {
    const QString path = folder.filePath("WEG-line4.txt");
    const CtlRun run = zuvoctl({"record", "--seconds", "2", "-o", path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    // 80 ms after each reply: well over ten samples in two seconds, each "position  change".
    EXPECT_GT(lines.size(), 10);
    EXPECT_TRUE(lines.first().contains("  ")) << lines.first().toStdString();
    EXPECT_TRUE(lines.first().endsWith('\r'));
    EXPECT_TRUE(run.out.contains(path)) << run.out.toStdString();
}

TEST_F(ZuvoctlMovingTest, APortThatVanishesDuringARecordingIsReportedAndTheSamplesKept) {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setWorkingDirectory(folder.path());
    process.start(QStringLiteral(ZUVOCTL), {"record", "--seconds", "10"});
    ASSERT_TRUE(sim.waitUntil([&] { return sim.requestCount() > 5; }, std::chrono::seconds(5)));
    sim.hangUp();
    ASSERT_TRUE(process.waitForFinished(8000)) << "ends at once, not after its ten seconds";
    EXPECT_EQ(process.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(err.contains("went away")) << err.toStdString();
    EXPECT_EQ(err.count('\n'), 1);
    EXPECT_TRUE(process.readAllStandardOutput().contains("(stopped early)"));
    EXPECT_EQ(QDir(folder.path()).entryList({"WEG*.txt"}).size(), 1);
}

TEST_F(ZuvoctlTest, RecordOfASilentControllerFailsAndWritesNothing) {
    sim::FaultConfig faults;
    faults.silent = true;
    sim.setFault(faults);
    const CtlRun run = zuvoctl({"record", "--seconds", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QDir(folder.path()).entryList({"WEG*.txt"}).isEmpty());
}

TEST_F(ZuvoctlMovingTest, WatchPrintsAJsonLinePerReplyUntilInterrupted) {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(ZUVOCTL), {"status", "--watch", "--json"});
    QByteArray out;
    while (out.count('\n') < 5 && process.waitForReadyRead(5000)) {
        out += process.readAllStandardOutput();
    }
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QList<QByteArray> lines = out.trimmed().split('\n');
    ASSERT_GE(lines.size(), 5);
    std::set<qint64> positions;
    for (const QByteArray& line : lines) {
        QJsonParseError error{};
        const QJsonObject status = QJsonDocument::fromJson(line, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        positions.insert(status["position_counts"].toInteger());
    }
    EXPECT_GT(positions.size(), 1U) << "the moving cylinder's replies follow each other";
}

TEST_F(ZuvoctlTest, FlashDeliversTheImageIntactAfterTheConfirmation) {
    const QByteArray image = sampleImage(3 * 128 + 40);
    const QString path = writeFile(folder, "image.BIN", image);
    const CtlRun run = zuvoctl({"flash", path}, "yes\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Do you really want to execute the flash update?"));
    ASSERT_TRUE(sim.waitUntil([&] { return sim.completedUpdates() == 1; },
                              std::chrono::milliseconds(2000)));
    const std::vector<std::uint8_t> received = sim.receivedImage();
    ASSERT_GE(received.size(), static_cast<std::size_t>(image.size()));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(received.data()), image.size()), image);
    // The block is saved before the firmware changes.
    const QStringList lines = run.out.split('\n');
    ASSERT_TRUE(lines[0].startsWith("the block before the update is saved in " +
                                    folder.filePath("data/ZUVO/backups/")))
        << run.out.toStdString();
    const QString backup = lines[0].section(' ', -1);
    const BlockSectionRead saved = readBlockSection(IniFile(backup));
    ASSERT_TRUE(saved) << saved.problem.toStdString();
    EXPECT_EQ(saved.backup->words[1], sim.parameterWord(1));
    EXPECT_EQ(sim.requests().front(), "PV");
    // Not a terminal: plain progress lines, the last one complete.
    EXPECT_EQ(lines[1], "0/4 pages 0%");
    EXPECT_TRUE(run.out.contains("\n4/4 pages 100%\n")) << run.out.toStdString();
}

TEST_F(ZuvoctlTest, FlashNotConfirmedSendsNothing) {
    const QString path = writeFile(folder, "image.BIN", sampleImage(200));
    for (const QByteArray& answer : {QByteArray("no\n"), QByteArray()}) {
        const CtlRun run = zuvoctl({"flash", path}, answer);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains("not confirmed: nothing was sent")) << run.err.toStdString();
    }
    EXPECT_EQ(sim.bytesReceived(), 0U);
}

class ZuvoctlPacedTest : public ZuvoctlTest {
protected:
    ZuvoctlPacedTest() : ZuvoctlTest(paced()) {}
    static sim::SimOptions paced() {
        sim::SimOptions options = standingStill();
        options.pace = true;
        return options;
    }
};

// Ctrl-C takes the window's Cancel: the running block's round ends, EOT closes the transfer, the
// line goes back to no parity, and the user is told the image is incomplete.
TEST_F(ZuvoctlPacedTest, InterruptedFlashEndsWithEotAndSaysSo) {
    const QString path = writeFile(folder, "image.BIN", sampleImage(16 * 128));
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(ZUVOCTL), {"flash", path, "--yes"});
    // Some blocks are through: the transfer runs.
    const QRegularExpression running("^[1-9][0-9]*/16 pages", QRegularExpression::MultilineOption);
    QString out;
    while (!out.contains(running) && process.waitForReadyRead(5000)) {
        out += QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    ASSERT_TRUE(out.contains(running)) << out.toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(err.contains("update cancelled") && err.contains("EOT") &&
                err.contains("parity is back to none"))
        << err.toStdString();
    EXPECT_EQ(err.count('\n'), 1);
    ASSERT_TRUE(
        sim.waitUntil([&] { return !sim.inBootloader(); }, std::chrono::milliseconds(2000)));
    EXPECT_LT(sim.receivedImage().size(), 16U * 128U);
}

TEST(ZuvoctlLrzsz, RxReceivesTheImageFromZuvoctl) {
    const QString rx = QStandardPaths::findExecutable(QStringLiteral("rx"));
    if (rx.isEmpty()) {
        GTEST_SKIP() << "rx (Debian package lrzsz, installed by scripts/deps) is not installed";
    }
    QTemporaryDir folder;
    test::RxRelay relay(rx.toStdString(), folder.path().toStdString(), "received.bin");
    const QByteArray image = sampleImage(5 * 128 + 3);
    const QString path = writeFile(folder, "image.BIN", image);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZUVO_SETTINGS", folder.filePath("ZUVO.conf"));
    process.setProcessEnvironment(environment);
    // rx is no controller: it answers nothing but the transfer, so there is no block to save.
    process.start(QStringLiteral(ZUVOCTL), {"flash", path, "--yes", "--no-backup", "--device",
                                            QString::fromStdString(relay.programSide())});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    for (int i = 0; i < 100 && !relay.finished(); ++i) {
        QThread::msleep(20);
    }
    ASSERT_TRUE(relay.finished());
    EXPECT_TRUE(WIFEXITED(relay.exitStatus()) && WEXITSTATUS(relay.exitStatus()) == 0);
    QFile file(folder.filePath("received.bin"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray padded = image;
    padded.append(6 * 128 - image.size(), static_cast<char>(0xFF));
    EXPECT_EQ(file.readAll(), padded);
}

// Text of a PDF, or nothing when pdftotext is missing.
std::optional<QString> pdfText(const QString& path) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        return std::nullopt;
    }
    QProcess text;
    text.start("pdftotext", {"-layout", path, "-"});
    EXPECT_TRUE(text.waitForFinished(30000));
    return QString::fromUtf8(text.readAllStandardOutput());
}

TEST_F(ZuvoctlTest, ReportHoldsTheControllersValuesAndTheTechniciansFields) {
    sim.setParameterWord(1, 640); // stroke 640 mm
    const QString path = folder.filePath("report.pdf");
    const CtlRun run = zuvoctl({"report", "-o", path, "--site", "Wasserwerk Nord", "--serial",
                                "ZV-0815", "--technician", "A. Berger"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const std::optional<QString> text = pdfText(path);
    if (!text) {
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils)";
    }
    const QString& pdf = *text;
    for (const char* expected :
         {"Wasserwerk Nord", "ZV-0815", "A. Berger", "640 mm", "COM1", "Verdict: passed",
          "Cylinder max Stroke", "No recording was made."}) {
        EXPECT_TRUE(pdf.contains(QLatin1String(expected))) << expected;
    }
    EXPECT_TRUE(pdf.contains(simPath())) << pdf.toStdString();
}

TEST_F(ZuvoctlMovingTest, AReportWithARecordingPlotsTheTravelOfThisRun) {
    EXPECT_EQ(zuvoctl({"report", "-o", folder.filePath("r.pdf"), "--record-seconds", "0"}).exitCode,
              2);
    const QString path = folder.filePath("report.pdf");
    const CtlRun run = zuvoctl({"report", "-o", path, "--record-seconds", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("recording for 2 s\n")) << run.out.toStdString();
    const std::optional<QString> pdf = pdfText(path);
    if (!pdf) {
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils)";
    }
    EXPECT_TRUE(pdf->contains("Time [s]")) << pdf->toStdString();
    EXPECT_FALSE(pdf->contains("No recording was made.")) << pdf->toStdString();
    EXPECT_FALSE(pdf->contains("no usable samples")) << pdf->toStdString();
}

TEST_F(ZuvoctlTest, AReportIntoAFolderThatDoesNotExistFailsWithoutAFile) {
    const CtlRun run = zuvoctl({"report", "-o", folder.filePath("none/report.pdf")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
}

// A controller that announces its firmware version and caption after the first request.
class ZuvoctlAnnouncingTest : public ZuvoctlTest {
protected:
    ZuvoctlAnnouncingTest() : ZuvoctlTest(announcing()) {}
    static sim::SimOptions announcing() {
        sim::SimOptions options = standingStill();
        options.version = 61;
        options.caption = "XZUVO Linie 2";
        return options;
    }
};

TEST_F(ZuvoctlAnnouncingTest, StatusCarriesTheAnnouncedVersion) {
    const CtlRun status = zuvoctl({"status", "--json"});
    ASSERT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_EQ(status.json()["firmware_version"].toString(), "V61");
}

} // namespace
