// The controller's firmware version in zuvoctl: announced in front of the first reply by a
// controller that has just started, remembered for the port, used and shown with its source.

#include "ZuvoctlFixture.h"
#include "params/BackupFile.h"
#include "params/IniFile.h"
#include "params/ZdfContent.h"
#include "session/Settings.h"

#include <QDateTime>
#include <QRegularExpression>

using namespace zuvo;
using zuvo::test::CtlRun;
using zuvo::test::ZuvoctlTest;

namespace {

// A fresh controller that glues its version frame (V61) to its first reply, whatever was asked.
class ZuvoctlJustStartedTest : public ZuvoctlTest {
protected:
    ZuvoctlJustStartedTest() : ZuvoctlTest(justStarted()) {
        sim.setParameterWord(0, 0x8000); // counter-clockwise
        sim.setParameterWord(1, 750);    // stroke 750 mm
        sim.setParameterWord(2, 1500);   // 150 turns
        sim.setPosition(2 * 1024 + 256);
    }
    static sim::SimOptions justStarted() {
        sim::SimOptions options = standingStill();
        options.version = 61;
        options.justStarted = true;
        return options;
    }
    SettingsPaths settings() const {
        const QString file = folder.filePath("ZUVO.conf");
        return {file, {file}};
    }
};

TEST_F(ZuvoctlJustStartedTest, StatusShowsTheRepliesValuesAndTheAnnouncedVersion) {
    // An older memory of this port gives way to the announcement.
    const QString key = firmwareMemoryKey(1, simPath());
    ASSERT_TRUE(storeRememberedVersion(
        key, {50, QDateTime::fromString("2020-01-01T00:00:00Z", Qt::ISODate)}, settings()));

    const CtlRun run = zuvoctl({"status", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject status = run.json();
    EXPECT_EQ(status["length"].toInt(), 24);
    EXPECT_EQ(status["position_counts"].toInt(), 2 * 1024 + 256);
    EXPECT_EQ(status["angle"].toInt(), 256);
    EXPECT_DOUBLE_EQ(status["position_mm"].toDouble(), 2304.0 * 750 / (150 * 1024));
    EXPECT_EQ(status["firmware_version"].toString(), "V61");
    EXPECT_EQ(status["firmware_version_source"].toString(), "announced");

    const std::optional<RememberedVersion> remembered = readRememberedVersion(key, settings());
    ASSERT_TRUE(remembered);
    EXPECT_EQ(remembered->version, 61);
    EXPECT_LT(std::abs(remembered->announcedAt.secsTo(QDateTime::currentDateTime())), 60);
}

TEST_F(ZuvoctlJustStartedTest, ZeroTakesTheAngleAndTheBlocksDirection) {
    const CtlRun run = zuvoctl({"zero"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("angle 256 (counter-clockwise)")) << run.out.toStdString();
    EXPECT_EQ(sim.parameterWord(0), 0x8000 | 256 << 5);
}

TEST_F(ZuvoctlJustStartedTest, ReadStoresTheBlockAndTheVersion) {
    const QString path = folder.filePath("fresh.ZDF");
    const CtlRun run = zuvoctl({"read", "-o", path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const IniFile ini(path);
    const ZdfContent content = readZdf(ini);
    EXPECT_EQ(content.strokeMm, 750);
    EXPECT_EQ(content.turns, 150);
    const BlockSectionRead block = readBlockSection(ini);
    ASSERT_TRUE(block) << block.problem.toStdString();
    ASSERT_EQ(block.backup->words.size(), 36u);
    EXPECT_EQ(block.backup->words[0], 0x8000);
    EXPECT_EQ(block.backup->firmwareVersion, 61);
}

// A moving controller that announced V61 when it started, in the first run only.
class ZuvoctlRememberedVersionTest : public ZuvoctlTest {
protected:
    ZuvoctlRememberedVersionTest() : ZuvoctlTest(announcingOnce()) {}
    static sim::SimOptions announcingOnce() {
        sim::SimOptions options;
        options.rpm = 60;
        options.version = 61;
        options.justStarted = true;
        return options;
    }
};

TEST_F(ZuvoctlRememberedVersionTest, ALaterRunUsesAndShowsTheVersionThePortLastAnnounced) {
    const CtlRun first = zuvoctl({"status", "--json"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.json()["firmware_version_source"].toString(), "announced");

    const CtlRun later = zuvoctl({"status", "--json"});
    ASSERT_EQ(later.exitCode, 0) << later.err.toStdString();
    const QJsonObject status = later.json();
    EXPECT_EQ(status["firmware_version"].toString(), "V61");
    EXPECT_EQ(status["firmware_version_source"].toString(), "remembered");
    EXPECT_TRUE(
        QDateTime::fromString(status["firmware_version_announced_at"].toString(), Qt::ISODate)
            .isValid())
        << later.out.toStdString();
    // The speed in the unit of version 61 (without it, the older unit: 996 RPM).
    EXPECT_EQ(status["speed_rpm"].toInt(), first.json()["speed_rpm"].toInt());
    EXPECT_LT(status["speed_rpm"].toInt(), 100);

    const CtlRun text = zuvoctl({"status"});
    EXPECT_TRUE(text.out.contains(QRegularExpression(
        "^Firmware version +V61 \\(remembered from [0-9-]+ [0-9:]+, not announced in this run\\)$",
        QRegularExpression::MultilineOption)))
        << text.out.toStdString();

    // A backup records it too.
    const QString path = folder.filePath("later.ZDF");
    ASSERT_EQ(zuvoctl({"read", "-o", path}).exitCode, 0);
    const BlockSectionRead block = readBlockSection(IniFile(path));
    ASSERT_TRUE(block) << block.problem.toStdString();
    EXPECT_EQ(block.backup->firmwareVersion, 61);
}

TEST_F(ZuvoctlTest, AVersionNeverAnnouncedIsNotKnown) {
    const CtlRun json = zuvoctl({"status", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    EXPECT_EQ(json.json()["firmware_version_source"].toString(), "unknown");
    EXPECT_FALSE(json.json().contains("firmware_version"));
    const CtlRun text = zuvoctl({"status"});
    EXPECT_TRUE(text.out.contains(
        QRegularExpression("^Firmware version +not known$", QRegularExpression::MultilineOption)))
        << text.out.toStdString();
}

} // namespace
