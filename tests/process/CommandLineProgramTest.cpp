// The command line as a user runs it, without a display: --help and --version print and exit,
// --list-ports prints the port map and names the settings it had to ignore.

#include "common/ScratchFile.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CommandLineProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("ZUVO_SETTINGS", dir.filePath("ZUVO.conf"));
        environment.insert("ZUVO_RUNTIME_DIR", dir.filePath("run"));
        environment.remove("ZUVO_PORTS");
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(ZUVO_TOOL, arguments);
        EXPECT_TRUE(process.waitForFinished(30000)) << arguments.join(' ').toStdString();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QTemporaryDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

TEST_F(CommandLineProgram, HelpAndVersionPrintAndExit) {
    const Run version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_EQ(version.out, "zuvotool 1.8.4\n");

    const Run help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    for (const char* part : {"Usage: ", "[/r | file]", "--list-ports", "--version", "/r"}) {
        EXPECT_TRUE(help.out.contains(part)) << part << "\n" << help.out.toStdString();
    }

    const Run wrong = run({"--list-ports", "--bogus"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains("bogus")) << wrong.err.toStdString();
    EXPECT_TRUE(wrong.out.isEmpty());
}

TEST_F(CommandLineProgram, ListPortsPrintsTheMapAndNamesBadSettings) {
    zuvo::test::writeScratchFile(dir.filePath("ZUVO.conf"),
                                 "[Ports]\n2=/dev/serial/by-id/usb-Gone-if00\n3=COM7\n");
    environment.insert("ZUVO_PORTS", "1=/dev/null");
    const Run ports = run({"--list-ports"});
    EXPECT_EQ(ports.exitCode, 0);
    const QStringList lines = ports.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << ports.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("COM1  /dev/null  ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("COM2  /dev/serial/by-id/usb-Gone-if00  not present"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith("(tied)"));
    // The entry that is no path is ignored, so COM3 keeps its default, and said so.
    EXPECT_TRUE(lines[2].startsWith("COM3  /dev/ttyUSB2")) << lines[2].toStdString();
    EXPECT_EQ(ports.err, dir.filePath("ZUVO.conf") +
                             ": [Ports] 3=COM7 is not a device path; it is ignored.\n");
}

} // namespace
