// zuvoctl ports and status, and how it refuses what it cannot do.

#include "ZuvoctlFixture.h"
#include "serial/PortMap.h"
#include "session/Link.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuvo;

using zuvo::test::CtlRun;
using zuvo::test::ZuvoctlTest;

namespace {

TEST_F(ZuvoctlTest, PortsListsEveryNumberWithItsDevice) {
    const CtlRun run = zuvoctl({"ports"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8);
    // Columns: number, device, adapter ("-" when the kernel names none), by-id link.
    const auto columns = [&](int i) {
        return lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    EXPECT_EQ(columns(0).mid(0, 3), (QStringList{"COM1", simPath(), "-"}));
    EXPECT_EQ(columns(1).mid(0, 4),
              (QStringList{"COM2", folder.filePath("no-such-tty"), "not", "present"}));
    EXPECT_EQ(columns(2).mid(0, 2), (QStringList{"COM3", "/dev/ttyUSB2"}));
}

TEST_F(ZuvoctlTest, StatusJsonIsTheReplyAsTheWindowShowsIt) {
    sim.setParameterWord(1, 500);    // stroke 500 mm
    sim.setParameterWord(2, 1000);   // 100 sensor turns over it
    sim.setPosition(2 * 1024 + 256); // two turns and a quarter: the angle is the low ten bits
    const CtlRun run = zuvoctl({"status", "--json", "--port", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error{};
    const QJsonObject status = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    EXPECT_EQ(status["port"].toInt(), 1);
    EXPECT_EQ(status["device"].toString(), simPath());
    EXPECT_EQ(status["position_counts"].toInt(), 2 * 1024 + 256);
    EXPECT_EQ(status["revolutions"].toInt(), 2);
    EXPECT_EQ(status["angle"].toInt(), 256);
    EXPECT_EQ(status["speed_rpm"].toInt(), 0);
    // The position in mm follows the controller's own stroke and turns, as in the window.
    EXPECT_DOUBLE_EQ(status["stroke_fraction"].toDouble(), 2304.0 / (100 * 1024));
    EXPECT_DOUBLE_EQ(status["position_mm"].toDouble(), 11.25);
    EXPECT_FALSE(status["inputs"].toObject()["temperature_warning"].toBool());
}

TEST_F(ZuvoctlTest, StatusWithoutJsonIsText) {
    const CtlRun run = zuvoctl({"status"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QRegularExpression("^Position +[0-9-]+\\.[0-9]{2}mm$",
                                                    QRegularExpression::MultilineOption)))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(
        QRegularExpression("^Speed +0 RPM$", QRegularExpression::MultilineOption)));
}

TEST_F(ZuvoctlTest, FailuresSayWhatIsWrong) {
    const struct {
        QStringList arguments;
        int exitCode;
        const char* says;
    } cases[] = {
        {{"status", "--port", "2"}, 1, "does not exist"},
        {{"status", "--port", "COM2"}, 1, "does not exist"},
        {{"status", "--colour"}, 2, "unknown option for status: --colour"},
        {{"status", "--port", "COM0"}, 2, "bad port: COM0"},
        {{"status", "--port", "1", "--device", "/dev/null"}, 2, "either --port or --device"},
        {{"frobnicate"}, 2, "unknown command: frobnicate"},
        {{}, 2, "no command given"},
        {{"flash"}, 2, "flash needs one file name"},
        {{"flash", "no-such.bin", "--yes"},
         2,
         "cannot read the firmware file no-such.bin: no such file"},
        {{"read"}, 2, "read needs -o FILE.ZDF"},
        {{"read", "-o"}, 2, "option -o needs a value"},
        {{"report", "--site", "x"}, 2, "report needs -o FILE.pdf"},
        {{"record"}, 2, "record needs --seconds N"},
        {{"record", "--seconds", "0"}, 2, "record needs --seconds N"},
        {{"zero", "extra"}, 2, "zero takes no operand: extra"},
    };
    for (const auto& c : cases) {
        const CtlRun run = zuvoctl(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.says;
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says))) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST_F(ZuvoctlTest, SilentControllerIsNoAnswer) {
    sim::FaultConfig faults;
    faults.silent = true;
    sim.setFault(faults);
    const CtlRun run = zuvoctl({"status", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("no parameter block")) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << "one line: " << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
}

// The window holds the port: the exclusive open refuses zuvoctl, which says who holds it, and
// the window's link goes on unharmed.
TEST_F(ZuvoctlTest, SecondFrontEndOnTheSamePortIsRefused) {
    PortMap::global().setOverride(1, simPath());
    Link window;
    ASSERT_TRUE(window.openPort(1, Link::kWorkingBaud).opened);

    const CtlRun run = zuvoctl({"status", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.contains(QStringLiteral("COM1 (%1) is in use by another program").arg(simPath())))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());

    std::optional<Exchange> exchange = window.begin("test");
    ASSERT_TRUE(exchange);
    EXPECT_EQ(exchange->requestStatus(2000).result, LinkResult::Replied);
    exchange.reset();
    ASSERT_TRUE(window.closePort());
    EXPECT_EQ(zuvoctl({"status"}).exitCode, 0);
    PortMap::global().clearOverrides();
}

} // namespace
