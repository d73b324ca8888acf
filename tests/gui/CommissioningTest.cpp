// The commissioning commands against the simulated controller: zero position, analog output
// calibration, relay tests and test data.

#include "app/service/Commissioning.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/live/LiveDisplay.h"
#include "gui/SimulatedLink.h"
#include "widgets/CompassGauge.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace zuvo;
using namespace std::chrono_literals;
using zuvo::test::requestsStartingWith;
using zuvo::test::runUntil;
using zuvo::test::standingStill;

namespace {

const QString kNoResponse = QStringLiteral(" !!! No response from µC !!! ");

long countOf(const sim::Simulator& sim, const std::string& request) {
    const std::vector<std::string> all = sim.requests();
    return std::count(all.begin(), all.end(), request);
}

class CommissioningTest : public ::testing::Test {
protected:
    CommissioningTest() : link(standingStill()) {}

    void SetUp() override {
        form.appStartup().FormCreate({});
        ASSERT_TRUE(seen().portOpen);
        form.link().resumePolling(10); // no two-second wait for the first poll
        // Once the block has been read, nothing overwrites the editor's values any more.
        ASSERT_TRUE(runUntil([this] { return !seen().state.ParamReadPending; }, 5000));
        ASSERT_TRUE(runUntil([this] { return !seen().state.ReplyPending; }, 2000));
    }

    LinkSnapshot seen() const { return form.link().snapshot(); }

    template <typename T> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void silence(bool on) {
        sim::FaultConfig faults;
        faults.silent = on;
        link.sim.setFault(faults);
    }

    void showTestValuesTab() { form.liveDisplay().setTestValuesTabShown(true); }

    // Sends `bytes` from the controller's side as soon as the next RE has arrived there.
    std::jthread answerNextTestDataRequest(std::vector<std::uint8_t> bytes) {
        const long before = countOf(link.sim, "RE");
        return std::jthread([this, before, bytes = std::move(bytes)] {
            if (link.sim.waitUntil([&] { return countOf(link.sim, "RE") > before; }, 10s)) {
                link.sim.sendRaw(bytes);
            }
        });
    }

    test::SimulatedLink link;
    TForm1 form;
};

TEST_F(CommissioningTest, ZeroPositionCarriesAngleAndShownCounterClockwiseDirection) {
    link.sim.setPosition(1023); // the angle field is the position's low ten bits
    ASSERT_TRUE(runUntil([this] { return seen().state.LastPositionCounts == 1023; }, 2000));
    struct Case {
        bool counterClockwise;
        bool directionHidden;
        const char* frame;
    };
    const Case cases[] = {
        {true, false, "SP00FFE0"},
        {false, false, "SP007FE0"},
        {true, true, "SP007FE0"}, // a hidden direction button does not count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        control<QRadioButton>("BT")->setVisible(!c.directionHidden);
        (c.counterClockwise ? control<QRadioButton>("BT") : control<QRadioButton>("TB"))
            ->setChecked(true);
        EXPECT_EQ(control<CompassGauge>("Winkel")->value(), 1023.0);
        link.sim.clearLog();
        control<QPushButton>("LMDButton1")->click();
        EXPECT_EQ(seen().pollIntervalMs, 100);
        EXPECT_TRUE(seen().polling);
        EXPECT_TRUE(runUntil([&] { return countOf(link.sim, c.frame) == 1; }, 2000));
        EXPECT_EQ(requestsStartingWith(link.sim, "SP").size(), 1u);
    }
}

TEST_F(CommissioningTest, ZeroPositionAwaitsNoAcknowledge) {
    silence(true);
    link.sim.clearLog();
    QElapsedTimer clock;
    clock.start();
    control<QPushButton>("LMDButton1")->click();
    EXPECT_LT(clock.elapsed(), Link::kAckWaitMs);
    EXPECT_TRUE(
        runUntil([this] { return requestsStartingWith(link.sim, "SP00").size() == 1; }, 2000));
    EXPECT_NE(control<QStatusBar>("StatusBar1")->currentMessage(), kNoResponse);
}

TEST_F(CommissioningTest, CalibrationSendsBothPointsEachAcknowledged) {
    // The labels show the track bars' positions from the start, not only after a move.
    EXPECT_EQ(control<QLabel>("K1")->text(),
              QString::number(control<QSlider>("Kali_4mA")->value()));
    EXPECT_EQ(control<QLabel>("K2")->text(),
              QString::number(control<QSlider>("Kali_10V")->value()));
    control<QSlider>("Kali_10V")->setValue(999);
    control<QSlider>("Kali_4mA")->setValue(5);
    control<QSlider>("Kali_4mA")->setValue(0);
    control<QSlider>("Kali_10V")->setValue(1000);
    EXPECT_EQ(control<QLabel>("K1")->text(), "0");
    EXPECT_EQ(control<QLabel>("K2")->text(), "1000");

    link.sim.clearLog();
    control<QPushButton>("Kalibrierung")->click();
    EXPECT_EQ(requestsStartingWith(link.sim, "SP3"),
              (std::vector<std::string>{"SP3203E8", "SP330000"}));
    EXPECT_TRUE(control<QPushButton>("ReadParam")->isEnabled());
    EXPECT_EQ(seen().pollIntervalMs, 1500);
    EXPECT_TRUE(seen().polling);
    EXPECT_NE(control<QStatusBar>("StatusBar1")->currentMessage(), kNoResponse);
}

TEST_F(CommissioningTest, CalibrationStopsWhenTheFirstPointIsNotAcknowledged) {
    control<QSlider>("Kali_10V")->setValue(1000);
    silence(true);
    link.sim.clearLog();
    bool readParamEnabledWhileWaiting = true;
    QTimer::singleShot(1000, &form, [&] {
        readParamEnabledWhileWaiting = control<QPushButton>("ReadParam")->isEnabled();
    });
    control<QPushButton>("Kalibrierung")->click();
    EXPECT_FALSE(readParamEnabledWhileWaiting);
    EXPECT_EQ(control<QStatusBar>("StatusBar1")->currentMessage(), kNoResponse);
    EXPECT_TRUE(control<QPushButton>("ReadParam")->isEnabled());
    EXPECT_EQ(seen().pollIntervalMs, 1500);
    runUntil([] { return false; }, 300); // a late second frame would arrive by now
    EXPECT_EQ(requestsStartingWith(link.sim, "SP3"), (std::vector<std::string>{"SP3203E8"}));
}

TEST_F(CommissioningTest, RelayButtonsSendOneRelayFrameWithTheNextTick) {
    const struct {
        QPushButton* button;
        const char* frame;
    } cases[] = {{control<QPushButton>("Button2"), "QS01"},
                 {control<QPushButton>("Button3"), "QS02"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        link.sim.clearLog();
        c.button->click();
        c.button->click();
        // Two polls after the relay frame show that it was sent once only.
        ASSERT_TRUE(runUntil(
            [&] {
                const std::vector<std::string> all = link.sim.requests();
                const auto relay = std::find(all.begin(), all.end(), c.frame);
                return relay != all.end() && all.end() - relay > 2;
            },
            3000));
        EXPECT_EQ(countOf(link.sim, c.frame), 1);
        EXPECT_EQ(seen().state.PollSelector, 0);
    }
}

TEST_F(CommissioningTest, TestDataShowsTheControllersLines) {
    showTestValuesTab();
    control<QPushButton>("Button10")->click();
    const QStringList lines =
        control<QPlainTextEdit>("Memo4")->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4) << control<QPlainTextEdit>("Memo4")->toPlainText().toStdString();
    EXPECT_TRUE(lines[0].startsWith("STRK ")) << lines[0].toStdString();
    EXPECT_EQ(lines[0].size(), 7);
    EXPECT_EQ(lines.mid(1), (QStringList{"OVLD 00", "TMAX 41", "ZUVO SIM"}));
    EXPECT_EQ(seen().pollIntervalMs, 200);
    EXPECT_TRUE(seen().polling);
}

TEST_F(CommissioningTest, TestDataLineRulesAndASilentSecondReading) {
    showTestValuesTab();
    silence(true);
    const std::string sent = "123456\r12345\r1234567\rA\r"
                             "a line far longer than nineteen characters\rB";
    {
        auto answer = answerNextTestDataRequest({sent.begin(), sent.end()});
        control<QPushButton>("Button10")->click();
    }
    const QString shown = "1234 56\n12345\n1234567\nA\na line far longer than nineteen characters";
    EXPECT_EQ(control<QPlainTextEdit>("Memo4")->toPlainText(), shown);

    // Nothing comes: the lines of the first reading stay.
    link.sim.clearLog();
    control<QPushButton>("Button10")->click();
    EXPECT_EQ(countOf(link.sim, "RE"), 1);
    EXPECT_EQ(control<QPlainTextEdit>("Memo4")->toPlainText(), shown);
}

TEST_F(CommissioningTest, TestDataStreamOfMegabytesWithoutCarriageReturnEnds) {
    showTestValuesTab();
    control<QPlainTextEdit>("Memo4")->setPlainText("old line");
    silence(true);
    {
        auto answer = answerNextTestDataRequest(std::vector<std::uint8_t>(2 << 20, 'x'));
        control<QPushButton>("Button10")->click();
    }
    // Something came, but no finished line: nothing of it is shown.
    EXPECT_EQ(control<QPlainTextEdit>("Memo4")->toPlainText(), "");
    EXPECT_LE(form.link().bytesHeld(), kRxBufferSize);

    // The link is usable again: status replies are decoded.
    silence(false);
    link.sim.setPosition(4321);
    EXPECT_TRUE(runUntil([this] { return seen().state.LastPositionCounts == 4321; }, 5000));
}

} // namespace
