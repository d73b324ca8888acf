// The COM-port dialog on the main window: the port list of the probe, switching and storing the
// port, and the messages of what fails.

#include "SimulatedLink.h"
#include "app/PollCycle.h"
#include "app/PortTroubleLine.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "serial/FakeSystemTree.h"
#include "session/Settings.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

using namespace zuvo;
using namespace std::chrono_literals;

namespace {

TEST(ComPortDialog, ParseRule) {
    struct Case {
        QString typed;
        QString text;
        int number;
    };
    const int current = 6;
    const Case cases[] = {
        {"COM3", "3", 3},   {"com3", "3", 3},     {"COM 3", "3", 3},   {"COM123", "12", 12},
        {"COM05", "05", 5}, {"COM12 ", "12", 12}, {"COM 12", "1", 1},  {"COM0", "6", 6},
        {"COMx", "6", 6},   {"COM", "6", 6},      {"COM-1", "6", 6},   {"PORT3", "6", 6},
        {" COM3", "6", 6},  {"", "6", 6},         {"COM99", "99", 99},
    };
    for (const Case& c : cases) {
        const PortChoice choice = TForm2::parsePortChoice(c.typed, current);
        EXPECT_EQ(choice.text, c.text) << c.typed.toStdString();
        EXPECT_EQ(choice.number, c.number) << c.typed.toStdString();
    }
    EXPECT_EQ(TForm2::notAvailableText("4"), "  Comport 4 not available   ");
}

// The main window on COM1 (the simulator), its dialog, and a second simulated adapter that the
// port map calls COM3 and COM5.
class ComPortDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        other.start();
        const QString otherPath = QString::fromStdString(other.slavePath());
        PortMap::global().setOverride(3, otherPath);
        PortMap::global().setOverride(5, otherPath);
        dialog = std::make_unique<TForm2>(&form);
        dialog->setMessageFn([this](const QString& text, const QString& advice) {
            messages << text;
            advice_ << advice;
        });
        ASSERT_TRUE(form.link().openPort(1).opened);
    }

    void TearDown() override {
        dialog.reset();
        form.link().closePort();
    }

    void showDialog() {
        menuItem()->trigger();
        ASSERT_TRUE(dialog->isVisible());
    }

    void pressOk(const QString& typed) {
        combo()->setCurrentText(typed);
        ok()->click();
    }

    template <typename T> T& control(QObject& owner, const char* name) {
        T* found = owner.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    QComboBox* combo() { return &control<QComboBox>(*dialog, "ComboBox1"); }
    QPushButton* ok() { return &control<QPushButton>(*dialog, "Button1"); }
    QLabel* portView() { return &control<QLabel>(*dialog, "Image1"); }
    QComboBox* adapters() { return &control<QComboBox>(*dialog, "AdapterBox"); }
    QPushButton* tie() { return &control<QPushButton>(*dialog, "TieButton"); }
    QLabel* tieLabel() { return &control<QLabel>(*dialog, "TieLabel"); }
    QLabel* tieNote() { return &control<QLabel>(*dialog, "TieNote"); }
    QAction* menuItem() { return &control<QAction>(form, "Comport2"); }
    QStatusBar* statusBar() { return &control<QStatusBar>(form, "StatusBar1"); }

    // A plain file where the settings folder would have to be.
    void makeSettingsUnwritable() {
        QFile blocker(link.folder.filePath("blocker"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("ZUVO_SETTINGS", link.folder.filePath("blocker/ZUVO.conf").toLocal8Bit());
    }

    QString settingsText() const {
        QFile file(link.folder.filePath("ZUVO.conf"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    test::SimulatedLink link;
    sim::Simulator other;
    TForm1 form;
    std::unique_ptr<TForm2> dialog;
    QStringList messages;
    QStringList advice_;
};

TEST_F(ComPortDialogTest, ListsTheOpenablePortsAndReopensThePortInUse) {
    combo()->setCurrentText("COM7");
    showDialog();
    EXPECT_FALSE(dialog->isModal());

    QStringList items;
    for (int i = 0; i < combo()->count(); ++i) {
        items << combo()->itemText(i);
    }
    EXPECT_EQ(items, QStringList({"COM1", "COM3", "COM5"}));
    EXPECT_EQ(combo()->currentText(), "COM7"); // the edit text stays
    EXPECT_EQ(form.link().snapshot().portNumber, 1);
    EXPECT_TRUE(form.link().snapshot().portOpen);

    // The port map view names the device of every listed port.
    const QString view = portView()->text();
    EXPECT_TRUE(view.contains("COM1:  " + QString::fromStdString(link.sim.slavePath())))
        << view.toStdString();
    EXPECT_TRUE(view.contains("COM3:  " + QString::fromStdString(other.slavePath())));
    EXPECT_FALSE(view.contains("dialout"));

    // The menu item again only brings the dialog to the front.
    menuItem()->trigger();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(form.link().snapshot().portOpen);
}

// The probe closes and opens every port in turn: it holds the link meanwhile, so that no poll
// goes to the controller or to any other probed adapter, and polling goes on afterwards.
TEST_F(ComPortDialogTest, TheProbeSendsNoPoll) {
    form.link().resumePolling(10);
    ASSERT_TRUE(test::runUntil([&] { return link.sim.requestCount() > 2; }, 3000));
    test::parkPolling(form.link());
    std::this_thread::sleep_for(50ms); // what was sent has reached the simulator's log
    link.sim.clearLog();
    other.clearLog();
    form.link().resumePolling(1); // a tick is due in every event round of the probe
    showDialog();
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(link.sim.requests().empty());
    EXPECT_TRUE(other.requests().empty());
    EXPECT_TRUE(form.link().snapshot().polling);
    EXPECT_TRUE(test::runUntil([&] { return link.sim.requestCount() > 0; }, 3000));
}

TEST_F(ComPortDialogTest, ThePortMapViewNoticesAnAdapterThatWentAway) {
    showDialog();
    ASSERT_FALSE(portView()->text().contains("(gone)"));
    PortMap::global().setOverride(3, link.folder.filePath("pulled-out"));
    EXPECT_TRUE(test::runUntil([&] { return portView()->text().contains("(gone)"); },
                               3 * TForm2::kPortViewRefreshMs))
        << portView()->text().toStdString();
    EXPECT_TRUE(portView()->text().contains("COM3:  " + link.folder.filePath("pulled-out")));
}

TEST_F(ComPortDialogTest, WithNoPortToOpenTheViewSaysWhy) {
    form.link().closePort();
    const QString unplugged = link.folder.filePath("unplugged");
    for (int n : {1, 3, 5}) {
        PortMap::global().setOverride(n, unplugged);
    }
    showDialog();
    EXPECT_EQ(combo()->count(), 0);
    EXPECT_TRUE(dialog->listedPorts().isEmpty());
    ASSERT_TRUE(dialog->portInUseTrouble().has_value());
    EXPECT_EQ(dialog->portInUseTrouble()->problem, PortProblem::NoDevice);
    EXPECT_TRUE(portView()->text().contains("COM1 is " + unplugged + ", which is not there"))
        << portView()->text().toStdString();
    EXPECT_TRUE(portView()->text().contains("COM3:  " + unplugged + "  (not present)"));
    EXPECT_FALSE(form.link().snapshot().portOpen);
    EXPECT_EQ(form.link().snapshot().portNumber, 1);
}

TEST_F(ComPortDialogTest, OkWithoutAChangeOnlyHidesAndClearsTheStatusText) {
    for (const QString& typed :
         {QString("COM1"), QString("com 1"), QString("COM0"), QString("COMx"), QString("serial")}) {
        showDialog();
        statusBar()->showMessage("ComPort not available");
        pressOk(typed);
        EXPECT_FALSE(dialog->isVisible()) << typed.toStdString();
        EXPECT_TRUE(statusBar()->currentMessage().isEmpty()) << typed.toStdString();
        EXPECT_EQ(form.link().snapshot().portNumber, 1);
        EXPECT_TRUE(form.link().snapshot().portOpen);
    }
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(QFile::exists(link.folder.filePath("ZUVO.conf"))); // nothing changed
}

TEST_F(ComPortDialogTest, APortThatDoesNotOpenIsReportedAndNotStored) {
    for (const QString& typed : {QString("COM4"), QString("COM77")}) {
        showDialog();
        ASSERT_TRUE(form.link().openPort(1).opened);
        messages.clear();
        pressOk(typed);
        const QString number = typed.mid(3);
        EXPECT_EQ(messages, QStringList{"  Comport " + number + " not available   "});
        // Below the message, the doctor's advice about the device behind that number.
        ASSERT_EQ(advice_.size(), 1);
        EXPECT_TRUE(advice_.front().startsWith("COM" + QString::number(number.toInt()) + " is " +
                                               PortMap::global().devicePath(number.toInt()) +
                                               ", and that device is not there."))
            << advice_.front().toStdString();
        advice_.clear();
        EXPECT_EQ(form.link().snapshot().portNumber, number.toInt());
        EXPECT_FALSE(form.link().snapshot().portOpen); // the poll cycle keeps trying this port
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_FALSE(QFile::exists(link.folder.filePath("ZUVO.conf")));
}

TEST_F(ComPortDialogTest, SwitchingStoresTheNumberAsTyped) {
    showDialog();
    pressOk("COM05");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form.link().snapshot().portNumber, 5);
    EXPECT_TRUE(form.link().snapshot().portOpen);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(settingsText().contains("ComPort=05")) << settingsText().toStdString();
    EXPECT_EQ(readComDigit(), QChar(u'0'));
}

TEST_F(ComPortDialogTest, AnUnwritableSettingsFileKeepsTheDialogOpenUntilOkAgain) {
    makeSettingsUnwritable();

    showDialog();
    statusBar()->showMessage("USB disconnected");
    pressOk("COM3");
    EXPECT_EQ(form.link().snapshot().portNumber, 3); // the port has been switched already
    EXPECT_TRUE(form.link().snapshot().portOpen);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(statusBar()->currentMessage(), "USB disconnected");
    EXPECT_TRUE(messages.isEmpty());

    ok()->click(); // now the number is the current one
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(statusBar()->currentMessage().isEmpty());
    EXPECT_EQ(form.link().snapshot().portNumber, 3);
}

TEST_F(ComPortDialogTest, ARunningExchangeKeepsItsPort) {
    std::optional<Exchange> exchange = form.link().begin(QStringLiteral("Calibration"));
    ASSERT_TRUE(exchange);
    showDialog();
    EXPECT_TRUE(form.link().snapshot().portOpen); // no probe closed it
    EXPECT_EQ(form.link().snapshot().portNumber, 1);
    pressOk("COM3");
    EXPECT_EQ(form.link().snapshot().portNumber, 1);
    EXPECT_TRUE(dialog->isVisible()); // the click was refused, and says why
    EXPECT_EQ(statusBar()->currentMessage(), " Controller busy: Calibration is running ");
    exchange.reset();

    pressOk("COM3");
    EXPECT_EQ(form.link().snapshot().portNumber, 3);
    EXPECT_FALSE(dialog->isVisible());
}

// A fake system with one adapter that udev gave a stable name.
class ComPortDialogTieTest : public ComPortDialogTest {
protected:
    void SetUp() override {
        ComPortDialogTest::SetUp();
        tree.usbAdapter("ttyUSB0", "usb-FTDI_FT232R_A50285BI-if00-port0", "FTDI", "FT232R");
        dialog->setSystemRoot(tree.root());
    }

    void tieTo(const QString& typed, int adapterIndex) {
        combo()->setCurrentText(typed);
        adapters()->setCurrentIndex(adapterIndex);
        tie()->click();
    }

    const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0";
    test::FakeSystemTree tree;
};

TEST_F(ComPortDialogTieTest, TiesANumberToAnAdapterAndBackToItsDefault) {
    showDialog();
    ASSERT_EQ(adapters()->count(), 2);
    EXPECT_EQ(adapters()->itemText(1), "ttyUSB0  FTDI FT232R");
    combo()->setCurrentText("COM4");
    EXPECT_EQ(tieLabel()->text(), "Tie COM4 to:");
    EXPECT_EQ(adapters()->itemText(0), "its default, ttyUSB3");
    EXPECT_EQ(adapters()->currentIndex(), 0);

    tieTo("COM4", 1);
    EXPECT_EQ(PortMap::global().devicePath(4), byId);
    EXPECT_TRUE(settingsText().contains("[Ports]\n4=" + byId + "\n"))
        << settingsText().toStdString();
    EXPECT_EQ(tieNote()->text(), "COM4 now always reaches usb-FTDI_FT232R_A50285BI-if00-port0.");
    // The map shows what the number reaches now.
    EXPECT_TRUE(portView()->text().contains("COM4:  /dev/ttyUSB0  FTDI FT232R  (does not open)  "
                                            "(tied)"))
        << portView()->text().toStdString();
    // Another number shows its own choice; COM4 shows its tie again.
    combo()->setCurrentText("COM2");
    EXPECT_EQ(adapters()->currentIndex(), 0);
    combo()->setCurrentText("COM4");
    EXPECT_EQ(adapters()->currentIndex(), 1);
    // The ports in use were left alone.
    EXPECT_EQ(form.link().snapshot().portNumber, 1);
    EXPECT_TRUE(form.link().snapshot().portOpen);

    tieTo("COM4", 0);
    EXPECT_EQ(PortMap::global().devicePath(4), "/dev/ttyUSB3");
    EXPECT_TRUE(settingsText().contains("[Ports]\n4=\n")) << settingsText().toStdString();
    EXPECT_EQ(tieNote()->text(), "COM4 is /dev/ttyUSB3 again.");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ComPortDialogTieTest, TheEnvironmentStillWinsAndSaysSo) {
    qputenv("ZUVO_PORTS", "4=/dev/pts/77");
    showDialog();
    tieTo("COM4", 1);
    qunsetenv("ZUVO_PORTS");
    EXPECT_EQ(PortMap::global().devicePath(4), "/dev/pts/77");
    EXPECT_TRUE(settingsText().contains("4=" + byId)); // stored for the next start without it
    EXPECT_TRUE(tieNote()->text().endsWith("ZUVO_PORTS sets COM4 and wins until it is unset."))
        << tieNote()->text().toStdString();
}

TEST_F(ComPortDialogTieTest, ATieThatCannotBeStoredChangesNothing) {
    makeSettingsUnwritable();
    showDialog();
    const QString before = PortMap::global().devicePath(4);
    tieTo("COM4", 1);
    EXPECT_EQ(PortMap::global().devicePath(4), before);
    EXPECT_TRUE(tieNote()->text().startsWith("COM4 could not be stored in "))
        << tieNote()->text().toStdString();
}

TEST_F(ComPortDialogTieTest, TyingThePortInUseReopensItOnItsNewDevice) {
    showDialog();
    // The adapter exists only in the fake tree, so the real system cannot open it: the port
    // stays closed and the status bar says why.
    tieTo("COM1", 1);
    EXPECT_EQ(form.link().snapshot().portNumber, 1);
    EXPECT_FALSE(form.link().snapshot().portOpen);
    auto& trouble = PortTroubleLine::of(*statusBar());
    ASSERT_TRUE(trouble.diagnosis().has_value());
    EXPECT_EQ(trouble.diagnosis()->summary, "COM1 is tied to an adapter that is not plugged in: "
                                            "usb-FTDI_FT232R_A50285BI-if00-port0.");
    // Back to the simulator: open again.
    PortMap::global().setOverride(1, QString::fromStdString(link.sim.slavePath()));
    form.link().tick();
    EXPECT_TRUE(form.link().snapshot().portOpen);
}

} // namespace
