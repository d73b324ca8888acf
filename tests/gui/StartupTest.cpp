// Start-up and shut-down of the main window against the simulated actuator: the port chosen from
// the stored digit and the probe, the start values, the first poll, the last grace period.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TComSelectForm.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "app/pages/ParameterFiles.h"
#include "device/RequestFrames.h"
#include "serial/PosixSerialDevice.h"
#include "session/Settings.h"
#include "sim/PtyEndpoint.h"
#include "widgets/LedIndicator.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <optional>

#include <sys/stat.h>

using namespace zuvo;
using zuvo::test::runUntil;
using zuvo::test::SimulatedLink;

namespace {

QString statusOf(TForm1& form) {
    return form.findChild<QStatusBar*>("StatusBar1")->currentMessage();
}

void mapToNothing(SimulatedLink& link, int number) {
    PortMap::global().setOverride(number, link.folder.filePath(QStringLiteral("gone")));
}

TEST(StartupTest, StartValuesAfterFormCreate) {
    SimulatedLink link;
    TForm1 form;
    // Whatever the records held before, start-up sets them.
    form.State.ZoneIndex = 3;
    form.State.MemoryPositionCounts = 12;
    form.State.LastPositionCounts = 7;
    form.State.ReplyPending = false;
    form.State.ParamReadPending = false;
    form.State.SensorCheckPhase = false;
    form.Rx.RxCount = 9;
    form.appStartup().FormCreate({"zuvotool"});

    EXPECT_TRUE(form.State.ReplyPending);
    EXPECT_TRUE(form.State.ParamReadPending);
    EXPECT_TRUE(form.State.SensorCheckPhase);
    EXPECT_TRUE(form.State.AutoReadParams);
    EXPECT_EQ(form.State.ExtraWordCount, 20);
    EXPECT_EQ(form.State.ZoneIndex, 10);
    EXPECT_EQ(form.State.LastPositionCounts, 0);
    EXPECT_EQ(form.State.MemoryPositionCounts, -99999);
    EXPECT_EQ(form.Rx.RxCount, 0u);

    EXPECT_EQ(form.ComDigit, '1');
    EXPECT_TRUE(form.ComPort1.Open());
    EXPECT_EQ(form.ComPort1.ComNumber(), 1);
    EXPECT_EQ(form.ComPort1.Baud(), 9600);
    EXPECT_TRUE(form.Timer2.isActive());
    EXPECT_EQ(form.Timer2.interval(), 2000);
    EXPECT_TRUE(statusOf(form).isEmpty());
    auto* pages = form.findChild<QTabWidget*>("PageControl1");
    EXPECT_FALSE(pages->isTabVisible(pages->indexOf(form.findChild<QWidget*>("TabSheet4"))));
}

TEST(StartupTest, TheFirstPollAsksForTheBlockTwoSecondsAfterStart) {
    SimulatedLink link;
    TForm1 form;
    form.appStartup().FormCreate({});
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(runUntil([&] { return link.sim.requestCount() > 0; }, 3000));
    EXPECT_GE(clock.elapsed(), 1950);
    EXPECT_LE(clock.elapsed(), 2300);
    EXPECT_EQ(link.sim.requests().front(), "PV");
}

struct StoredCase {
    std::optional<QString> stored;
    bool com1Present;
    char digit;
    int number;
    bool open;
    const char* status;
};

TEST(StartupTest, StoredDigitAndProbeChooseThePort) {
    const StoredCase cases[] = {
        {std::nullopt, true, '1', 1, true, ""},
        {"1", true, '1', 1, true, ""},
        // COM3 is not there: the probe finds COM1.
        {"3", true, '1', 1, true, ""},
        // Only the first character counts.
        {"12", true, '1', 1, true, ""},
        {"x", true, '1', 1, true, ""},
        // No port at all: the stored port stays chosen and the poll cycle keeps trying it.
        {"3", false, '3', 3, false, "ComPort not available"},
        // Nothing to go by: port 1.
        {"x", false, 'x', 1, false, "ComPort not available"},
    };
    for (const StoredCase& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(none)").toStdString() + (c.com1Present ? "" : " no port"));
        SimulatedLink link;
        if (c.stored) {
            ASSERT_TRUE(storeComPort(*c.stored));
        }
        if (!c.com1Present) {
            mapToNothing(link, 1);
        }
        TForm1 form;
        form.appStartup().FormCreate({});
        EXPECT_EQ(form.ComDigit, c.digit);
        EXPECT_EQ(form.ComPort1.ComNumber(), c.number);
        EXPECT_EQ(form.ComPort1.Open(), c.open);
        EXPECT_EQ(form.ComPort1.Baud(), 9600);
        EXPECT_EQ(statusOf(form), c.status);
        EXPECT_TRUE(form.Timer2.isActive());
    }
}

// A second copy started with "/r" while the first holds the port: its port does not open, and
// its lamp says so instead of "Connected", at start and on every tick that tries again, until
// the port opens.
TEST(StartupTest, TheLampOfACopyWithoutItsPortDoesNotSayConnected) {
    SimulatedLink link;
    auto first = std::make_unique<TForm1>();
    first->appStartup().FormCreate({});
    ASSERT_TRUE(first->ComPort1.Open());

    TForm1 second;
    second.appStartup().FormCreate({"zuvotool", "/r"});
    ASSERT_FALSE(second.ComPort1.Open());
    EXPECT_EQ(statusOf(second), "ComPort not available");
    auto* const lamp = second.findChild<LedIndicator*>("AbLED1");
    for (int tick = 0; tick < 2; ++tick) {
        EXPECT_FALSE(lamp->isChecked());
        EXPECT_EQ(lamp->caption(), "COM1 not available") << "tick " << tick;
        second.link().tick();
    }

    first.reset(); // the first copy ends and frees the port
    second.link().tick();
    ASSERT_TRUE(second.ComPort1.Open());
    EXPECT_EQ(lamp->caption(), "COM1 Connected");
}

// The real device, except that the port at `refusedPath` does not take the start-up rate.
class RateRefusingDevice : public SerialDevice {
public:
    explicit RateRefusingDevice(QString refusedPath) : refusedPath_(std::move(refusedPath)) {}
    void open(const QString& path) override {
        path_ = path;
        device_.open(path);
    }
    void close() override { device_.close(); }
    bool isOpen() const override { return device_.isOpen(); }
    int fd() const override { return device_.fd(); }
    int setModemLines(bool dtr, bool rts) override { return device_.setModemLines(dtr, rts); }
    int applyLine(const LineSettings& settings) override {
        if (path_ == refusedPath_ && settings.baud == AppStartup::kProbeBaud) {
            return EINVAL;
        }
        return device_.applyLine(settings);
    }
    int unsentBytes() override { return device_.unsentBytes(); }
    void flush(bool input, bool output) override { device_.flush(input, output); }
    ssize_t read(void* buf, size_t len) override { return device_.read(buf, len); }
    ssize_t write(const void* buf, size_t len) override { return device_.write(buf, len); }
    bool lineCounts(LineCounts& out) override { return device_.lineCounts(out); }

private:
    PosixSerialDevice device_;
    QString refusedPath_;
    QString path_;
};

TEST(StartupTest, APortThatCannotRunAtTheProbeRateDoesNotCount) {
    SimulatedLink link;
    sim::PtyEndpoint slowPort;
    const QString slowPath = QString::fromStdString(slowPort.slavePath());
    PortMap::global().setOverride(2, slowPath);
    ASSERT_TRUE(storeComPort("2"));
    TForm1 form;
    form.ComPort1.setDeviceFactory(
        [slowPath] { return std::make_unique<RateRefusingDevice>(slowPath); });
    form.appStartup().FormCreate({});
    EXPECT_EQ(form.ComDigit, '1');
    EXPECT_EQ(form.ComPort1.ComNumber(), 1);
    EXPECT_TRUE(form.ComPort1.Open());
}

// Answers the port-selection dialog whenever it comes up; counts how often it was asked.
class DialogAnswer {
public:
    explicit DialogAnswer(bool accept) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this, accept] {
            auto* dialog = qobject_cast<TComSelectForm*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            ++asked;
            if (accept) {
                dialog->PortsComboBox->setCurrentIndex(
                    dialog->PortsComboBox->findText(QStringLiteral("COM1"), Qt::MatchStartsWith));
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
        timer_.start();
    }
    int asked = 0;

private:
    QTimer timer_;
};

TEST(StartupTest, StoredZeroAsksTheUserForThePort) {
    {
        SCOPED_TRACE("COM1 chosen: asked again for the working port");
        SimulatedLink link;
        ASSERT_TRUE(storeComPort("05"));
        TForm1 form;
        DialogAnswer answer(true);
        form.appStartup().FormCreate({});
        EXPECT_EQ(answer.asked, 2);
        EXPECT_EQ(form.ComDigit, '0');
        EXPECT_TRUE(form.ComPort1.Open());
        EXPECT_EQ(form.ComPort1.ComNumber(), 1);
    }
    {
        SCOPED_TRACE("cancelled: the probe finds COM1");
        SimulatedLink link;
        ASSERT_TRUE(storeComPort("05"));
        TForm1 form;
        DialogAnswer answer(false);
        form.appStartup().FormCreate({});
        EXPECT_EQ(answer.asked, 1);
        EXPECT_EQ(form.ComDigit, '1');
        EXPECT_TRUE(form.ComPort1.Open());
        EXPECT_EQ(form.ComPort1.ComNumber(), 1);
    }
}

TEST(StartupTest, FirstShowPointsTheDialogAtTheStartPort) {
    SimulatedLink link;
    PortMap::global().setOverride(2, QString::fromStdString(link.sim.slavePath()));
    mapToNothing(link, 1);
    ASSERT_TRUE(storeComPort("2"));
    TForm1 form;
    TForm2 form2(&form);
    form.appStartup().setForm2(&form2);
    form.appStartup().FormCreate({});
    ASSERT_TRUE(form.ComPort1.Open());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form2.findChild<QComboBox*>("ComboBox1")->currentText(), "COM2");
    EXPECT_FALSE(form2.isVisible());
}

TEST(StartupTest, ClosingTheWindowStopsPollingAndClosesThePort) {
    sim::SimOptions silent;
    silent.faults.silent = true;
    SimulatedLink link(silent);
    TForm1 form;
    form.appStartup().FormCreate({});
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(form.ComPort1.Open());
    QElapsedTimer clock;
    clock.start();
    form.close();
    // Nobody answers, so the whole grace period passes.
    EXPECT_GE(clock.elapsed(), AppStartup::kShutdownGraceMs - 5);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(form.ComPort1.Open());
    EXPECT_FALSE(form.Timer2.isActive());
}

TEST(StartupTest, AStatusReplyEndsTheClosingGraceEarly) {
    SimulatedLink link;
    TForm1 form;
    form.appStartup().FormCreate({});
    ASSERT_TRUE(form.ComPort1.Open());
    // A status poll just went out when the window closes.
    form.State.ParamReadPending = false;
    form.State.ReplyPending = true;
    ASSERT_EQ(form.link().begin(QStringLiteral("poll"))->send(pollFrame('R', 'V')),
              LinkResult::Sent);
    QElapsedTimer clock;
    clock.start();
    form.appStartup().FormDestroy();
    EXPECT_LT(clock.elapsed(), AppStartup::kShutdownGraceMs - 100);
    EXPECT_FALSE(form.State.ReplyPending);
    EXPECT_FALSE(form.ComPort1.Open());
    EXPECT_FALSE(form.Timer2.isActive()) << "nothing restarts polling once the window closes";
}

TEST(StartupTest, AParameterFileNamedAsTheFirstArgumentIsLoaded) {
    SimulatedLink link;
    const QString file = link.folder.filePath("start.ZDF");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[ZYLINDER]\r\nLENGTH=500\r\n");
    }
    {
        TForm1 form;
        form.appStartup().FormCreate({"zuvotool", file});
        EXPECT_FALSE(form.State.ParamReadPending) << "the device's block must not overwrite it";
        EXPECT_FALSE(form.State.AutoReadParams);
        EXPECT_TRUE(form.ComPort1.Open());
    }
    // A file that cannot be used is named with its reason (a pipe or a device is not opened);
    // the program runs on and reads the block from the device. "/r" names no file.
    const QString pipe = link.folder.filePath("pipe.ZDF");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString notRegular = QStringLiteral(": it is not a regular file (a pipe or a device)");
    const struct {
        QString argument;
        QString says;
    } cases[] = {
        {link.folder.path(), link.folder.path() + ": it is a folder"},
        {link.folder.filePath("missing.ZDF"),
         link.folder.filePath("missing.ZDF") + ": no such file"},
        {pipe, pipe + notRegular},
        {"/dev/zero", "/dev/zero" + notRegular},
        {"/r", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument.toStdString());
        TForm1 form;
        QStringList messages;
        form.parameterFiles().prompts.message = [&messages](const QString& text) {
            messages << text;
        };
        form.appStartup().FormCreate({"zuvotool", c.argument});
        if (c.says.isEmpty()) {
            EXPECT_TRUE(messages.isEmpty());
        } else {
            EXPECT_EQ(messages, QStringList{"  Cannot read the parameter file " + c.says + "  "});
        }
        EXPECT_TRUE(form.State.ParamReadPending);
        EXPECT_TRUE(form.State.AutoReadParams);
        EXPECT_TRUE(form.ComPort1.Open());
    }
}

} // namespace
