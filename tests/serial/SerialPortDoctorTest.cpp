// The port doctor: why a port does not open and what to do, read from fake system trees and from
// a real pseudo-terminal held by another process.
#include "FakeSystemTree.h"
#include "serial/PortDoctor.h"
#include "serial/PosixSerialDevice.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace zuvo;
using zuvo::test::FakeSystemTree;

namespace {

std::string text(const PortDiagnosis& d) {
    return (d.summary + "\n---\n" + d.details).toStdString();
}

TEST(SerialPortDoctor, AMissingDeviceListsTheAdaptersPresent) {
    struct Case {
        const char* name;
        bool adapters;
        QString configured;
        int error;
        const char* summary;
    };
    const Case cases[] = {
        {"nothing plugged in", false, "/dev/ttyUSB2", ENOENT,
         "COM3 is /dev/ttyUSB2, which is not there: plug in the USB-to-serial adapter."},
        {"others plugged in", true, "/dev/ttyUSB2", ENOENT,
         "COM3 is /dev/ttyUSB2, which is not there: adapters present: /dev/ttyACM1, "
         "/dev/ttyUSB0."},
        // The node went away between the listing and the opening.
        {"gone meanwhile", true, "/dev/ttyUSB9", 0,
         "COM3 is /dev/ttyUSB9, which is not there: adapters present: /dev/ttyACM1, "
         "/dev/ttyUSB0."},
        // A node is left but no device answers behind it.
        {"node without device", true, "/dev/ttyUSB0", ENXIO,
         "COM3 is /dev/ttyUSB0, which is not there: adapters present: /dev/ttyACM1, "
         "/dev/ttyUSB0."},
        {"tied adapter unplugged", true, "/dev/serial/by-id/usb-Gone_Adapter-if00", ENOENT,
         "COM3 is tied to an adapter that is not plugged in: usb-Gone_Adapter-if00."},
    };
    for (const Case& c : cases) {
        FakeSystemTree tree;
        if (c.adapters) {
            tree.usbAdapter("ttyUSB0", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "FTDI",
                            "FT232R USB UART");
            tree.usbAdapter("ttyACM1", "", "Arduino", "Uno");
            // A by-id link that points nowhere is no adapter.
            tree.link("../../ttyUSB7", "/dev/serial/by-id/usb-Gone_Adapter-if00");
        }
        const PortDiagnosis d = diagnosePort(3, c.configured, c.error, tree.user());
        EXPECT_EQ(d.problem, PortProblem::NoDevice) << c.name;
        EXPECT_EQ(d.summary, c.summary) << c.name;
        if (c.adapters) {
            ASSERT_EQ(d.present.size(), 2u) << c.name;
            EXPECT_EQ(d.present[1].byIdPath,
                      "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
            EXPECT_TRUE(d.details.contains(
                "/dev/ttyUSB0  FTDI FT232R USB UART\n"
                "        /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"))
                << text(d);
            EXPECT_TRUE(d.details.contains("/dev/ttyACM1  Arduino Uno")) << text(d);
            EXPECT_TRUE(d.details.contains("tie COM3 to it")) << text(d);
        } else {
            EXPECT_TRUE(d.present.empty());
            EXPECT_TRUE(d.details.contains("No USB-to-serial adapter is plugged in")) << text(d);
        }
    }
}

class SerialPortDoctorPermission : public ::testing::Test {
protected:
    void SetUp() override { tree.device("/dev/ttyUSB0", 0660); }

    void groups(const QByteArray& dialoutMembers) {
        tree.write("/etc/group", "dialout:x:" + QByteArray::number(FakeSystemTree::fileGroup()) +
                                     ":" + dialoutMembers + "\nusers:x:100:\n");
        tree.write("/etc/passwd",
                   "owner:x:" + QByteArray::number(FakeSystemTree::fileOwner()) +
                       ":0::/root:/bin/sh\nanna:x:4242:4243::/home/anna:/bin/bash\n");
    }

    FakeSystemTree tree;
};

TEST_F(SerialPortDoctorPermission, NamesTheGroupAndTheCommandThatAddsTheUser) {
    groups("bert");
    // The errno of the opening, or none: the file's permissions tell the same.
    for (int error : {EACCES, 0}) {
        const PortDiagnosis d = diagnosePort(1, "/dev/ttyUSB0", error, tree.user());
        EXPECT_EQ(d.problem, PortProblem::NoPermission) << error;
        EXPECT_EQ(d.group, "dialout");
        EXPECT_EQ(d.mode, "crw-rw----");
        EXPECT_TRUE(d.groupGrantsAccess);
        EXPECT_FALSE(d.loginPending);
        EXPECT_EQ(d.summary, "No permission for /dev/ttyUSB0: add the user anna to the group "
                             "dialout, then log in again.");
        EXPECT_TRUE(d.details.contains("sudo usermod -aG dialout anna\n")) << text(d);
        EXPECT_TRUE(d.details.contains("log out and log in again")) << text(d);
    }
}

TEST_F(SerialPortDoctorPermission, AUserAddedAfterThisLoginOnlyNeedsANewLogin) {
    groups("bert,anna");
    const PortDiagnosis d = diagnosePort(1, "/dev/ttyUSB0", EACCES, tree.user());
    EXPECT_EQ(d.problem, PortProblem::NoPermission);
    EXPECT_TRUE(d.loginPending);
    EXPECT_TRUE(d.summary.contains("log out and in again")) << text(d);
    EXPECT_FALSE(d.details.contains("usermod")) << text(d);
}

TEST_F(SerialPortDoctorPermission, ADeviceOnlyItsOwnerMayOpenNeedsAnotherRule) {
    groups("");
    tree.device("/dev/ttyUSB0", 0600);
    const PortDiagnosis d = diagnosePort(1, "/dev/ttyUSB0", EACCES, tree.user());
    EXPECT_EQ(d.problem, PortProblem::NoPermission);
    EXPECT_FALSE(d.groupGrantsAccess);
    EXPECT_EQ(d.summary, "No permission for /dev/ttyUSB0: only owner may open it (crw-------).");
    EXPECT_TRUE(d.details.contains("udev rule")) << text(d);
}

TEST_F(SerialPortDoctorPermission, ARefusalTheFilePermissionsDoNotExplainIsSaidSo) {
    groups("");
    const DoctorSystem member = tree.member();
    const PortDiagnosis d = diagnosePort(1, "/dev/ttyUSB0", EACCES, member);
    EXPECT_EQ(d.problem, PortProblem::NoPermission);
    EXPECT_TRUE(d.summary.contains("although its permissions allow it")) << text(d);
    EXPECT_TRUE(d.details.contains("sandbox")) << text(d);
    // Without the errno nothing is wrong with the permissions.
    EXPECT_EQ(diagnosePort(1, "/dev/ttyUSB0", 0, member).problem, PortProblem::Free);
}

TEST(SerialPortDoctor, NamesTheProgramsThatHoldTheDevice) {
    FakeSystemTree tree;
    tree.usbAdapter("ttyUSB0", "usb-FTDI_X-if00-port0", "FTDI", "FT232R USB UART");
    tree.device("/dev/ttyUSB1");
    tree.process(1234, "minicom", {"/dev/null", "/dev/ttyUSB0"});
    tree.process(1300, "screen", {"/dev/ttyUSB1"});
    // This program itself is never the culprit.
    tree.process(FakeSystemTree::kOwnPid, "zuvotool", {"/dev/ttyUSB0"});
    // Entries that cannot be read are passed over.
    tree.write("/proc/77/fd", "not a folder");
    tree.write("/proc/78/comm", "");
    tree.write("/proc/self/comm", "bash\n");
    tree.link(tree.path("/dev/ttyUSB0"), "/proc/79/fd/4"); // no command name

    struct Case {
        QString configured;
        int error;
        std::vector<PortHolder> holders;
    };
    const Case cases[] = {
        {"/dev/ttyUSB0", EBUSY, {{79, "a program"}, {1234, "minicom"}}},
        {"/dev/serial/by-id/usb-FTDI_X-if00-port0",
         EWOULDBLOCK,
         {{79, "a program"}, {1234, "minicom"}}},
        {"/dev/ttyUSB1", 0, {{1300, "screen"}}},
    };
    for (const Case& c : cases) {
        PortDiagnosis d = diagnosePort(2, c.configured, c.error, tree.member());
        EXPECT_EQ(d.problem, PortProblem::InUse) << c.configured.toStdString();
        std::sort(d.holders.begin(), d.holders.end(),
                  [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
        EXPECT_EQ(d.holders, c.holders) << text(d);
        EXPECT_FALSE(d.modemManager);
    }
    const PortDiagnosis screen = diagnosePort(2, "/dev/ttyUSB1", EBUSY, tree.member());
    EXPECT_EQ(screen.summary, "/dev/ttyUSB1 is in use by screen (process 1300): close that "
                              "program.");
    EXPECT_TRUE(screen.details.contains("kill 1300\n")) << text(screen);
}

// Only a serial device can be in use by another program, and only the programs that hold that
// device, by whatever name, are named: not those that hold /dev/null or another adapter.
TEST(SerialPortDoctor, InUseIsSaidOnlyOfSerialDevicesAndNamesOnlyTheirHolders) {
    FakeSystemTree tree;
    tree.usbAdapter("ttyUSB0", "usb-FTDI_X-if00-port0", "FTDI", "FT232R USB UART");
    tree.device("/dev/ttyUSB1");
    tree.device("/dev/adapter-copy", 0660, makedev(188, 0)); // another node of ttyUSB0
    tree.device("/dev/null", 0666, makedev(1, 3));
    tree.write("/home/anna/notes.txt");
    tree.process(1234, "minicom", {"/dev/serial/by-id/usb-FTDI_X-if00-port0"});
    tree.process(1300, "bash", {"/dev/null", "/dev/null"});
    tree.process(1400, "screen", {"/dev/ttyUSB1"});
    tree.process(1500, "picocom", {"/dev/adapter-copy"});

    struct Case {
        QString configured;
        int error;
        PortProblem problem;
        std::vector<PortHolder> holders;
    };
    const std::vector<PortHolder> adapterHolders = {{1234, "minicom"}, {1500, "picocom"}};
    const Case cases[] = {
        {"/dev/null", ENOTTY, PortProblem::NotSerial, {}},
        {"/dev/null", EBUSY, PortProblem::NotSerial, {}},
        {"/home/anna/notes.txt", ENOTTY, PortProblem::NotSerial, {}},
        {"/dev/ttyUSB0", EBUSY, PortProblem::InUse, adapterHolders},
        {"/dev/serial/by-id/usb-FTDI_X-if00-port0", 0, PortProblem::InUse, adapterHolders},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.configured.toStdString());
        PortDiagnosis d = diagnosePort(2, c.configured, c.error, tree.member());
        EXPECT_EQ(d.problem, c.problem) << text(d);
        std::sort(d.holders.begin(), d.holders.end(),
                  [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
        EXPECT_EQ(d.holders, c.holders) << text(d);
        EXPECT_FALSE(d.summary.contains("bash")) << text(d);
    }
    EXPECT_TRUE(portHolders("/dev/null", tree.member()).empty());

    const PortDiagnosis null = diagnosePort(2, "/dev/null", ENOTTY, tree.member());
    EXPECT_EQ(null.summary,
              "/dev/null is no serial port: choose the port of the USB-to-serial adapter.");
    EXPECT_TRUE(null.details.contains("/dev/null is a device of another kind")) << text(null);
    EXPECT_TRUE(null.details.contains("/dev/ttyUSB0  FTDI FT232R USB UART")) << text(null);
    const PortDiagnosis file = diagnosePort(2, "/home/anna/notes.txt", ENOTTY, tree.member());
    EXPECT_TRUE(file.details.contains("is a plain file, not a serial port")) << text(file);
}

// The process that drives a pseudo-terminal's master side (a simulator, a device server) is the
// line's other end, even where it also holds the terminal itself; a second reader is named.
TEST(SerialPortDoctor, ThePseudoTerminalsOtherEndIsNoHolder) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));
    const int own = ::open(QFile::encodeName(slave).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(own, 0);

    QProcess reader;
    reader.start("cat", {slave});
    ASSERT_TRUE(reader.waitForStarted());
    DoctorSystem system = DoctorSystem::current();
    system.ownPid = 0; // this test is the other end here, not the program
    std::vector<PortHolder> holders;
    const QDeadlineTimer deadline(5000);
    while (holders.empty() && !deadline.hasExpired()) {
        QThread::msleep(20); // until cat has opened it
        holders = portHolders(slave, system);
    }
    EXPECT_EQ(holders, (std::vector<PortHolder>{{reader.processId(), "cat"}}));

    reader.kill();
    reader.waitForFinished();
    ::close(own);
    ::close(master);
}

TEST(SerialPortDoctor, AHolderThatCannotBeSeenIsNamedByFuser) {
    FakeSystemTree tree;
    tree.device("/dev/ttyUSB0");
    const PortDiagnosis d = diagnosePort(1, "/dev/ttyUSB0", EBUSY, tree.user());
    EXPECT_EQ(d.problem, PortProblem::InUse);
    EXPECT_TRUE(d.holders.empty());
    EXPECT_TRUE(d.details.contains("sudo fuser -v /dev/ttyUSB0")) << text(d);
}

TEST(SerialPortDoctor, ModemManagerIsNamedForTtyAcmDevicesOnly) {
    FakeSystemTree tree;
    tree.usbAdapter("ttyACM0", "usb-Arduino_Uno-if00", "Arduino", "Uno");
    tree.device("/dev/ttyUSB0");
    tree.process(812, "ModemManager", {"/dev/ttyACM0"});

    const PortDiagnosis held = diagnosePort(1, "/dev/ttyACM0", EBUSY, tree.user());
    EXPECT_EQ(held.problem, PortProblem::InUse);
    EXPECT_TRUE(held.modemManager);
    EXPECT_EQ(held.summary, "/dev/ttyACM0 is in use by ModemManager (process 812): wait a moment, "
                            "or stop ModemManager.");
    EXPECT_TRUE(held.details.contains("sudo systemctl stop ModemManager")) << text(held);

    // Through the adapter's stable name too, and when the open failed otherwise.
    const PortDiagnosis refused =
        diagnosePort(1, "/dev/serial/by-id/usb-Arduino_Uno-if00", EIO, tree.user());
    EXPECT_EQ(refused.problem, PortProblem::InUse); // it holds the device
    EXPECT_TRUE(refused.modemManager);

    const PortDiagnosis usb = diagnosePort(2, "/dev/ttyUSB0", EIO, tree.user());
    EXPECT_EQ(usb.problem, PortProblem::Refused);
    EXPECT_FALSE(usb.modemManager);
    EXPECT_FALSE(usb.details.contains("ModemManager"));
    EXPECT_TRUE(usb.summary.startsWith("/dev/ttyUSB0 is there but did not open: ")) << text(usb);
}

// A real pseudo-terminal that another process has locked, as a terminal program does.
TEST(SerialPortDoctor, ARealDeviceLockedByAnotherProcessIsTracedToIt) {
    // Not inherited by the holder: a process with the master is the line's other end.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));

    QProcess holder;
    holder.start("flock", {"--exclusive", slave, "sleep", "30"});
    ASSERT_TRUE(holder.waitForStarted());

    // Until it holds the lock; the probe sets no TIOCEXCL, which would keep it out.
    const QDeadlineTimer deadline(5000);
    bool locked = false;
    while (!locked && !deadline.hasExpired()) {
        const int fd = ::open(QFile::encodeName(slave).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        QThread::msleep(locked ? 0 : 20);
    }
    ASSERT_TRUE(locked);
    int error = 0;
    try {
        PosixSerialDevice device;
        device.open(slave);
    } catch (const ESerialError& e) {
        error = e.systemError();
    }
    ASSERT_EQ(error, EWOULDBLOCK);

    const PortDiagnosis d = diagnosePort(4, slave, error);
    EXPECT_EQ(d.problem, PortProblem::InUse) << text(d);
    EXPECT_EQ(d.reached, slave);
    const auto flock = std::find_if(d.holders.begin(), d.holders.end(), [&](const PortHolder& h) {
        return h.pid == holder.processId();
    });
    ASSERT_NE(flock, d.holders.end()) << text(d);
    EXPECT_EQ(flock->name, "flock");
    EXPECT_TRUE(d.summary.contains(QStringLiteral("flock (process %1)").arg(holder.processId())))
        << text(d);

    holder.kill();
    holder.waitForFinished();
    ::close(master);
}

} // namespace
