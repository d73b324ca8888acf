// zuvoctl given what a careless script gives it: empty option values, files that are no files,
// output folders that cannot take a file, and files that are no firmware image. Each is refused
// with status 2 and one line before anything reaches the controller.

#include "ZuvoctlFixture.h"
#include "common/ExampleParameterFile.h"
#include "service/FirmwareImageCheck.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace zuvo;
using zuvo::test::CtlRun;
using zuvo::test::writeFile;
using zuvo::test::ZuvoctlTest;

namespace {

class ZuvoctlBadInputTest : public ZuvoctlTest {
protected:
    // Every row: status 2, one line on stderr that says `says`, nothing on the line, no backup.
    void expectRefused(const QStringList& arguments, const QString& says) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        sim.clearLog();
        const CtlRun run = zuvoctl(arguments, {}, 10000);
        EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(says)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_EQ(sim.bytesReceived(), 0U);
        EXPECT_FALSE(QDir(folder.filePath("data/ZUVO/backups")).exists());
    }
};

// An empty variable in a production script must not mean the stored port (COM1 here, the
// simulator) or a default.
TEST_F(ZuvoctlBadInputTest, EmptyOptionValuesAreUsageErrorsAndOpenNothing) {
    const QString good = writeFile(folder, "good.ZDF", zuvo::test::kExampleParameterFile);
    const struct {
        QStringList arguments;
        const char* option;
    } cases[] = {
        {{"write", good, "--device", ""}, "--device"},
        {{"write", good, "--port", ""}, "--port"},
        {{"write", good, "--port="}, "--port"},
        {{"write", good, "--port", "  "}, "--port"},
        {{"read", "-o", ""}, "-o"},
        {{"record", "--seconds", ""}, "--seconds"},
        {{"report", "-o", folder.filePath("r.pdf"), "--site", ""}, "--site"},
        {{"zero", "--direction", " "}, "--direction"},
    };
    for (const auto& c : cases) {
        expectRefused(c.arguments, QStringLiteral("option %1 has an empty value").arg(c.option));
    }
}

// A recording of minutes that cannot be saved is not made: the output is checked first.
TEST_F(ZuvoctlBadInputTest, AnOutputThatCannotBeWrittenIsRefusedBeforeThePortIsOpened) {
    writeFile(folder, "in-the-way", "a file where a folder should be");
    QDir(folder.path()).mkdir("report.pdf");
    const QString missing = folder.filePath("missing");
    const QString inTheWay = folder.filePath("in-the-way");
    const struct {
        QStringList arguments;
        QString says;
    } cases[] = {
        {{"record", "--seconds", "3", "-o", missing + "/WEG.txt"},
         "cannot write the recording " + missing + "/WEG.txt: the folder " + missing +
             " does not exist"},
        {{"record", "--seconds", "3", "-o", inTheWay + "/WEG.txt"},
         "cannot write the recording " + inTheWay + "/WEG.txt: " + inTheWay + " is not a folder"},
        {{"report", "-o", missing + "/r.pdf", "--record-seconds", "3"},
         "cannot write the report " + missing + "/r.pdf: the folder " + missing +
             " does not exist"},
        {{"report", "-o", folder.filePath("report.pdf")},
         "cannot write the report " + folder.filePath("report.pdf") + ": it is a folder"},
        {{"read", "-o", inTheWay + "/x.ZDF"},
         "cannot write the parameter file " + inTheWay + "/x.ZDF: " + inTheWay +
             " is not a folder"},
    };
    for (const auto& c : cases) {
        expectRefused(c.arguments, c.says);
    }
}

// A pipe would block the reader, /dev/zero never end: neither is opened, and every file zuvoctl
// reads is refused in the same words.
TEST_F(ZuvoctlBadInputTest, FilesThatAreNoRegularFilesAreRefusedUnopened) {
    const QString pipe = folder.filePath("pipe.ZDF");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QDir(folder.path()).mkdir("folder.BIN");
    const QString notRegular = QStringLiteral(": it is not a regular file (a pipe or a device)");
    const struct {
        QStringList arguments;
        QString says;
    } cases[] = {
        {{"write", pipe}, "cannot read the file " + pipe + notRegular},
        {{"diff", "/dev/zero"}, "cannot read the file /dev/zero" + notRegular},
        {{"restore", folder.filePath("gone.ZDF")},
         "cannot read the file " + folder.filePath("gone.ZDF") + ": no such file"},
        {{"flash", pipe, "--yes"}, "cannot read the firmware file " + pipe + notRegular},
        {{"flash", "/dev/zero", "--yes"}, "cannot read the firmware file /dev/zero" + notRegular},
        {{"flash", folder.filePath("folder.BIN"), "--yes"},
         "cannot read the firmware file " + folder.filePath("folder.BIN") + ": it is a folder"},
    };
    for (const auto& c : cases) {
        expectRefused(c.arguments, c.says);
    }
}

// The bootloader would take any of these after "yes".
TEST_F(ZuvoctlBadInputTest, FilesThatAreNoFirmwareImageAreNotSent) {
    const QString empty = writeFile(folder, "empty.BIN", {});
    const QString large =
        writeFile(folder, "large.BIN", QByteArray(kControllerFlashBytes + 1, '\x5A'));
    const QString zdf = writeFile(folder, "line2.BIN", zuvo::test::kExampleParameterFile);
    const struct {
        QString path;
        QString reason;
    } cases[] = {
        {empty, "it is empty"},
        {large, "it has 131073 bytes, more than the controller's flash of 131072 bytes"},
        {zdf, "it is a parameter file"},
    };
    for (const auto& c : cases) {
        expectRefused({"flash", c.path},
                      "the firmware file " + c.path + " is not sent: " + c.reason);
    }
}

// The user confirms this file on this port.
TEST_F(ZuvoctlBadInputTest, TheConfirmationNamesTheFileItsSizeItsPagesAndThePort) {
    const QString path = writeFile(folder, "image.BIN", QByteArray(3 * 128 + 40, '\x5A'));
    const CtlRun run = zuvoctl({"flash", path}, "no\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(" Do you really want to execute the flash update?\n\n"
                                 "File: " +
                                 path + "\nSize: 424 bytes, 4 pages of 128 bytes\nPort: COM1\n"))
        << run.err.toStdString();
    EXPECT_EQ(sim.bytesReceived(), 0U);
}

} // namespace
