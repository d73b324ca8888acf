// The real program, started as a user starts it: build/zuvotool, offscreen, with the simulated
// actuator as COM1 and folders of the test's own. These tests see what main() wires together:
// the single-instance guard, the window's closing path and the command line.

#include "sim/Simulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

class ZuvotoolProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        device.start();
    }

    // A copy of the program with `arguments`; its port COM1 is the simulator, every other
    // number a device that does not exist.
    std::unique_ptr<QProcess>
    start(const QStringList& arguments,
          QProcess::ProcessChannelMode channels = QProcess::ForwardedChannels) {
        return startProgram(QStringLiteral(ZUVO_TOOL), arguments, channels);
    }

    std::unique_ptr<QProcess> startProgram(const QString& program, const QStringList& arguments,
                                           QProcess::ProcessChannelMode channels) {
        QStringList ports{QStringLiteral("1=") + QString::fromStdString(device.slavePath())};
        for (int n = 2; n <= 50; ++n) {
            ports << QStringLiteral("%1=%2").arg(n).arg(folder.filePath("none"));
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ZUVO_PORTS", ports.join(','));
        env.insert("ZUVO_SETTINGS", folder.filePath("ZUVO.conf"));
        env.insert("ZUVO_RUNTIME_DIR", folder.filePath("run"));
        env.insert("XDG_DATA_HOME", folder.filePath("data"));
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(channels);
        process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }

    void writeFile(const QString& name, const QByteArray& content) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // Waits until the simulator has received a request after `count` of them.
    bool polledBeyond(std::size_t count, std::chrono::milliseconds timeout = 8s) {
        return device.waitUntil([&] { return device.requestCount() > count; }, timeout);
    }

    // The first line of `process`'s output that starts with `prefix`, waiting up to `ms`.
    static std::optional<QByteArray> outputLine(QProcess& process, const QByteArray& prefix,
                                                int ms) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const QList<QByteArray> lines = process.peek(1 << 20).split('\n');
            for (const QByteArray& line : lines) {
                if (line.startsWith(prefix)) {
                    return line;
                }
            }
            const qint64 left = ms - clock.elapsed();
            if (left <= 0 || process.state() == QProcess::NotRunning) {
                return std::nullopt;
            }
            process.waitForReadyRead(static_cast<int>(std::min<qint64>(left, 200)));
        }
    }

    // The word frames the controller has received, in order: index and value.
    std::vector<std::pair<int, std::uint16_t>> wordWrites() const {
        std::vector<std::pair<int, std::uint16_t>> words;
        for (const std::string& r : device.requests()) {
            if (r.size() == 8 && r.starts_with("SP")) {
                words.emplace_back(std::stoi(r.substr(2, 2), nullptr, 16),
                                   static_cast<std::uint16_t>(std::stoi(r.substr(4), nullptr, 16)));
            }
        }
        return words;
    }

    // Ends a copy that the test no longer needs.
    static void stop(QProcess& process) {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    QTemporaryDir folder;
    zuvo::sim::Simulator device;
};

// A second plain start makes the first close through its window, which closes the port and
// ends with status 0, well before the 5 s after which it would be killed; the new copy then
// has the port.
TEST_F(ZuvotoolProcessTest, ASecondStartClosesTheFirstThroughItsWindow) {
    for (const QStringList& firstArguments : {QStringList{}, QStringList{"/r"}}) {
        const std::string name = firstArguments.isEmpty() ? "plain first" : "/r first";
        auto first = start(firstArguments);
        ASSERT_TRUE(polledBeyond(device.requestCount())) << name;

        QElapsedTimer clock;
        clock.start();
        auto second = start({});
        ASSERT_TRUE(first->waitForFinished(8000)) << name;
        EXPECT_LT(clock.elapsed(), 5000) << name << ": not closed, killed";
        EXPECT_EQ(first->exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(first->exitCode(), 0) << name;

        const std::size_t afterFirst = device.requestCount();
        EXPECT_TRUE(polledBeyond(afterFirst)) << name << ": the new copy polls on the freed port";
        EXPECT_EQ(second->state(), QProcess::Running) << name;
        stop(*second);
    }
}

// A close request while the running copy still waits for its user during start-up: the port
// dialog (stored port 0) or the message about a file on the command line. The dialog is
// dismissed and the copy closes as soon as its window exists.
TEST_F(ZuvotoolProcessTest, ACloseRequestDuringAStartUpDialogIsHonoured) {
    writeFile("text.ZDF", "no parameters in here\r\n");
    struct Case {
        const char* name;
        QByteArray settings;
        QStringList arguments;
    };
    const Case cases[] = {
        {"port dialog", "[Software\\ZUVO]\r\nComPort=0\r\n", {}},
        {"file message", "", {folder.filePath("text.ZDF")}},
    };
    for (const Case& c : cases) {
        writeFile("ZUVO.conf", c.settings);
        auto first = start(c.arguments);
        // Give it time to reach its dialog.
        QThread::msleep(1500);
        ASSERT_EQ(first->state(), QProcess::Running) << c.name;

        QElapsedTimer clock;
        clock.start();
        writeFile("ZUVO.conf", "");
        auto second = start({});
        ASSERT_TRUE(first->waitForFinished(8000)) << c.name;
        EXPECT_LT(clock.elapsed(), 5000) << c.name << ": not closed, killed";
        EXPECT_EQ(first->exitStatus(), QProcess::NormalExit) << c.name;
        EXPECT_EQ(first->exitCode(), 0) << c.name;
        EXPECT_TRUE(polledBeyond(device.requestCount())) << c.name;
        stop(*second);
    }
}

// A parameter file named on the command line is shown instead of the controller's block: the
// first polls ask for the status, not for the block. A missing file is ignored.
TEST_F(ZuvotoolProcessTest, AParameterFileOnTheCommandLineReplacesTheFirstBlockRead) {
    writeFile("cylinder.ZDF", "[ZYLINDER]\r\nLENGTH=500\r\nTURNS=50\r\n");
    struct Case {
        const char* name;
        QStringList arguments;
        std::string firstPoll;
    };
    const Case cases[] = {
        {"parameter file", {folder.filePath("cylinder.ZDF")}, "RV"},
        {"missing file", {folder.filePath("missing.ZDF")}, "PV"},
        {"no argument", {}, "PV"},
    };
    for (const Case& c : cases) {
        device.clearLog();
        const std::size_t before = device.requestCount();
        auto tool = start(c.arguments);
        ASSERT_TRUE(polledBeyond(before)) << c.name;
        const auto requests = device.requests();
        ASSERT_FALSE(requests.empty()) << c.name;
        EXPECT_EQ(requests.front(), c.firstPoll) << c.name;
        stop(*tool);
    }
}

// A start-up file that cannot be used is named with its reason, on stderr too, where the test
// can read it while the message box waits for a user; a pipe or a device is never opened. The
// program runs on and reads the controller's block as usual.
TEST_F(ZuvotoolProcessTest, AnUnusableStartUpFileIsNamedAndTheBlockIsReadAsUsual) {
    const QString pipe = folder.filePath("pipe.ZDF");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QDir(folder.path()).mkdir("folder.ZDF");
    const QString notRegular = QStringLiteral(": it is not a regular file (a pipe or a device)");
    const struct {
        QString argument;
        QString says;
    } cases[] = {
        {folder.filePath("missing.ZDF"), folder.filePath("missing.ZDF") + ": no such file"},
        {folder.filePath("folder.ZDF"), folder.filePath("folder.ZDF") + ": it is a folder"},
        {pipe, pipe + notRegular},
        {"/dev/zero", "/dev/zero" + notRegular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument.toStdString());
        device.clearLog();
        const std::size_t before = device.requestCount();
        auto tool = start({c.argument}, QProcess::SeparateChannels);
        ASSERT_TRUE(polledBeyond(before));
        EXPECT_EQ(device.requests().front(), "PV") << "the block is read as usual";
        QByteArray err;
        QElapsedTimer clock;
        clock.start();
        const QString expected = "Cannot read the parameter file " + c.says;
        while (!QString::fromLocal8Bit(err).contains(expected) && clock.elapsed() < 5000) {
            tool->waitForReadyRead(100);
            err += tool->readAllStandardError();
        }
        EXPECT_TRUE(QString::fromLocal8Bit(err).contains(expected)) << err.toStdString();
        // Nobody has the pipe open for reading: a writer finds no reader.
        const int writer =
            ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        EXPECT_EQ(writer, -1);
        EXPECT_EQ(errno, ENXIO);
        if (writer >= 0) {
            ::close(writer);
        }
        stop(*tool);
    }
}

// A plain start while the running copy writes the block to the controller: the running copy
// does not close and finishes its send, so the controller holds the whole new block, never part
// of it; the new copy says why it does not start and ends by itself. Once the send is over, a
// plain start takes over as always.
TEST_F(ZuvotoolProcessTest, NoTakeoverWhileTheRunningCopyWritesToTheController) {
    writeFile("new.ZDF", "[ZYLINDER]\r\nLENGTH=500\r\nTURNS=50\r\n");
    std::vector<std::uint16_t> before;
    for (int n = 1; n <= 36; ++n) {
        before.push_back(device.parameterWord(n));
    }
    zuvo::sim::FaultConfig slow;
    slow.ackDelayMs = 150; // 36 words take over five seconds
    device.setFault(slow);

    auto first = startProgram(QStringLiteral(ZUVO_SENDING_COPY), {folder.filePath("new.ZDF")},
                              QProcess::ForwardedErrorChannel);
    ASSERT_TRUE(device.waitUntil([&] { return wordWrites().size() >= 7; }, 20s));

    auto second =
        startProgram(QStringLiteral(ZUVO_GUARD_PROBE), {}, QProcess::ForwardedErrorChannel);
    ASSERT_TRUE(second->waitForFinished(4000)) << "the new copy ends by itself";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    const std::optional<QByteArray> said = outputLine(*second, "MESSAGE", 0);
    ASSERT_TRUE(said) << "the new copy says why it ends";
    EXPECT_TRUE(said->contains("writing to the controller")) << said->toStdString();
    EXPECT_TRUE(said->contains("Send Parameter-Block")) << said->toStdString();
    EXPECT_FALSE(outputLine(*second, "RUNNING", 0));
    EXPECT_EQ(first->state(), QProcess::Running) << "the writing copy was not closed or killed";

    // The send runs to its end: every word once, in order, and the controller holds them all.
    const std::optional<QByteArray> sent = outputLine(*first, "SENT", 20000);
    ASSERT_TRUE(sent);
    EXPECT_TRUE(sent->contains("Parameter-Block sent and verified")) << sent->toStdString();
    const auto writes = wordWrites();
    ASSERT_EQ(writes.size(), 36u);
    bool changed = false;
    for (int n = 1; n <= 36; ++n) {
        const auto [index, value] = writes[static_cast<std::size_t>(n - 1)];
        EXPECT_EQ(index, n);
        EXPECT_EQ(device.parameterWord(n), value) << "word " << n;
        changed = changed || value != before[static_cast<std::size_t>(n - 1)];
    }
    EXPECT_TRUE(changed) << "the file's block differs from the controller's old one";

    // The send is over: a plain start closes the running copy through its window.
    device.setFault({});
    QElapsedTimer clock;
    clock.start();
    auto third = start({});
    ASSERT_TRUE(first->waitForFinished(8000));
    EXPECT_LT(clock.elapsed(), 5000) << "not closed, killed";
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_TRUE(outputLine(*first, "EXIT", 0));
    EXPECT_TRUE(polledBeyond(device.requestCount())) << "the new copy polls on the freed port";
    EXPECT_EQ(third->state(), QProcess::Running);
    stop(*third);
}

} // namespace

// Closing the window while an exchange runs: the exchange ends at its next step, the program
// ends with status 0 within 5 s, and the controller's line ends on a whole frame.
TEST_F(ZuvotoolProcessTest, ClosingDuringAnExchangeEndsItAndExitsCleanly) {
    writeFile("image.BIN", QByteArray(300, '\x5A'));
    struct Case {
        const char* during;
        zuvo::sim::FaultConfig slow; // keeps the exchange running when the window closes
        // The bytes a whole frame ends with: ETX, and for the bootloader also its EOT (a ready
        // sign in the round of the closing still gets it).
        std::vector<std::uint8_t> lastBytes;
    };
    zuvo::sim::FaultConfig slowAcks;
    slowAcks.ackDelayMs = 150;
    zuvo::sim::FaultConfig slowReplies;
    slowReplies.delayMs = 900;
    for (const Case& c : {Case{"send", slowAcks, {0x03}}, Case{"read", slowReplies, {0x03}},
                          Case{"update", slowReplies, {0x03, 0x04}}}) {
        SCOPED_TRACE(c.during);
        device.setFault(c.slow);
        device.clearLog();
        qputenv("ZUVO_CLOSE_DURING", c.during);
        qputenv("ZUVO_IMAGE", folder.filePath("image.BIN").toLocal8Bit());
        auto copy = startProgram(QStringLiteral(ZUVO_SENDING_COPY), {"/r"},
                                 QProcess::ForwardedErrorChannel);
        qunsetenv("ZUVO_CLOSE_DURING");
        qunsetenv("ZUVO_IMAGE");
        ASSERT_TRUE(outputLine(*copy, "CLOSING", 20000));
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(copy->waitForFinished(8000));
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy->exitCode(), 0);
        EXPECT_TRUE(outputLine(*copy, "EXIT", 0));
        const std::vector<std::uint8_t> line = device.receivedBytes();
        ASSERT_FALSE(line.empty());
        EXPECT_NE(std::find(c.lastBytes.begin(), c.lastBytes.end(), line.back()), c.lastBytes.end())
            << "the last frame is whole, not one ending in " << int(line.back());
        stop(*copy);
    }
    device.setFault({});
}
