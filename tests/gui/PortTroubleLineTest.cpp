// The status bar's explanation of a port that does not open: at start-up, when the poll cycle
// fails to reopen a port whose adapter was pulled out, and gone again with the status text.

#include "app/PortTroubleLine.h"
#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "serial/SerialTypes.h"

#include <QApplication>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>

using namespace zuvo;
using zuvo::test::SimulatedLink;

namespace {

class PortTroubleLineTest : public ::testing::Test {
protected:
    QStatusBar& bar() { return *form.findChild<QStatusBar*>("StatusBar1"); }
    PortTroubleLine& line() { return PortTroubleLine::of(bar()); }

    SimulatedLink link;
    TForm1 form;
};

TEST_F(PortTroubleLineTest, StartUpSaysWhyBesideTheStatusText) {
    const QString gone = link.folder.filePath("gone");
    PortMap::global().setOverride(1, gone);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.appStartup().FormCreate({});
    ASSERT_FALSE(form.link().snapshot().portOpen);
    EXPECT_EQ(bar().currentMessage(), "ComPort not available"); // the text stays as it is
    ASSERT_TRUE(line().diagnosis().has_value());
    EXPECT_EQ(line().diagnosis()->problem, PortProblem::NoDevice);
    EXPECT_TRUE(line().isVisible());
    EXPECT_TRUE(line().text().startsWith("Why: COM1 is ")) << line().text().toStdString();
    EXPECT_EQ(line().toolTip(), line().diagnosis()->details);
    // The explanation is cut to the room beside the status text, never over it.
    QApplication::processEvents();
    EXPECT_GE(line().geometry().left(),
              bar().fontMetrics().horizontalAdvance(bar().currentMessage()));

    bar().showMessage("USB connected");
    EXPECT_FALSE(line().isVisible());
    EXPECT_FALSE(line().diagnosis().has_value());
}

TEST_F(PortTroubleLineTest, APulledOutAdapterIsExplainedUntilItIsBack) {
    form.appStartup().FormCreate({});
    ASSERT_TRUE(form.link().snapshot().portOpen);
    test::parkPolling(form.link());
    EXPECT_FALSE(line().diagnosis().has_value());

    // The adapter goes: its device node with it.
    const QString slave = PortMap::global().devicePath(1);
    ASSERT_TRUE(form.link().closePort());
    bar().showMessage("USB disconnected");
    PortMap::global().setOverride(1, link.folder.filePath("ttyUSB0"));
    form.link().tick();
    test::parkPolling(form.link());
    EXPECT_FALSE(form.link().snapshot().portOpen);
    EXPECT_EQ(bar().currentMessage(), "USB disconnected");
    ASSERT_TRUE(line().diagnosis().has_value());
    EXPECT_EQ(line().diagnosis()->problem, PortProblem::NoDevice);
    EXPECT_EQ(line().diagnosis()->devicePath, link.folder.filePath("ttyUSB0"));

    // Plugged in again: the next tick opens it and says so; the explanation goes.
    PortMap::global().setOverride(1, slave);
    form.link().tick();
    test::parkPolling(form.link());
    EXPECT_TRUE(form.link().snapshot().portOpen);
    EXPECT_EQ(bar().currentMessage(), "USB connected");
    EXPECT_FALSE(line().diagnosis().has_value());
}

TEST_F(PortTroubleLineTest, APortThatKeepsFailingIsNotLookedAtOnEveryTick) {
    bar().showMessage("ComPort not available");
    const QString first = link.folder.filePath("first");
    PortMap::global().setOverride(2, first);
    line().explain(2, ESerialError(serial_text::BadId, ENOENT));
    ASSERT_TRUE(line().diagnosis().has_value());
    EXPECT_EQ(line().diagnosis()->devicePath, first);

    // Within the pause the same failure is not diagnosed again ...
    PortMap::global().setOverride(2, link.folder.filePath("second"));
    line().explain(2, ESerialError(serial_text::BadId, ENOENT));
    EXPECT_EQ(line().diagnosis()->devicePath, first);
    // ... but another port or another error is.
    line().explain(2, ESerialError(serial_text::InUse, EACCES));
    EXPECT_EQ(line().diagnosis()->devicePath, link.folder.filePath("second"));
    // No port number: nothing to look at.
    line().explain(0, ESerialError(serial_text::NotSet));
    EXPECT_EQ(line().diagnosis()->devicePath, link.folder.filePath("second"));
}

} // namespace
