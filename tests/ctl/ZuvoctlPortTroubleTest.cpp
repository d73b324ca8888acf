// What zuvoctl says about a port that is no serial port, and about another program that has the
// controller's port open and takes its replies.

#include "ZuvoctlFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

using zuvo::test::CtlRun;
using zuvo::test::ZuvoctlTest;

namespace {

// The open files of process `pid` include `path`.
bool holdsOpen(qint64 pid, const QString& path) {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        if (fd.symLinkTarget() == path) {
            return true;
        }
    }
    return false;
}

TEST_F(ZuvoctlTest, ADeviceThatIsNoSerialPortIsSaidSoNotBlamedOnItsUsers) {
    const CtlRun run = zuvoctl({"status", "--device", "/dev/null"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("/dev/null is no serial port")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("in use")) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
}

// Paced, every byte of a reply is a race between the two readers, so zuvoctl never gets a
// whole one.
class ZuvoctlPacedLineTest : public ZuvoctlTest {
protected:
    ZuvoctlPacedLineTest() : ZuvoctlTest(paced()) {}
    static zuvo::sim::SimOptions paced() {
        zuvo::sim::SimOptions options = standingStill();
        options.pace = true;
        return options;
    }
};

TEST_F(ZuvoctlPacedLineTest, AProgramThatReadsThePortUnlockedIsNamedWhenNoReplyComes) {
    QProcess reader;
    reader.start("cat", {simPath()});
    ASSERT_TRUE(reader.waitForStarted());
    const QDeadlineTimer opened(5000);
    while (!holdsOpen(reader.processId(), simPath()) && !opened.hasExpired()) {
        QThread::msleep(10);
    }
    ASSERT_TRUE(holdsOpen(reader.processId(), simPath()));

    const CtlRun run = zuvoctl({"status"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("another program has the port open and takes the "
                                                "replies: cat (process %1)")
                                     .arg(reader.processId())))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("power and the cable")) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();

    reader.kill();
    reader.waitForFinished();
    // Without it the controller answers again; silent, the simulator holding the line's other
    // end is no other program.
    const CtlRun alone = zuvoctl({"status"});
    EXPECT_EQ(alone.exitCode, 0) << alone.err.toStdString();
    zuvo::sim::FaultConfig faults;
    faults.silent = true;
    sim.setFault(faults);
    const CtlRun silent = zuvoctl({"status"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(silent.err.contains("check its power and the cable")) << silent.err.toStdString();
}

} // namespace
