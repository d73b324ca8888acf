// Module replacement against the simulated controller: the memory position taken from the old
// module or typed in, and written into the new one.

#include "app/service/ModuleReplacement.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "gui/SimulatedLink.h"
#include "service/PositionInput.h"
#include "widgets/ClickLabel.h"
#include "widgets/TColor.h"

#include <QAction>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using namespace zuvo;
using zuvo::test::requestsStartingWith;
using zuvo::test::runUntil;
using zuvo::test::standingStill;

namespace {

const QString kNoResponse = QStringLiteral(" !!! No response from µC !!! ");

class ModuleReplacementTest : public ::testing::Test {
protected:
    ModuleReplacementTest() : link(standingStill()) {}

    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        form.appStartup().FormCreate({});
        ASSERT_TRUE(form.link().snapshot().portOpen);
        form.link().resumePolling(10); // no two-second wait for the first poll
        // Once the block has been read, nothing overwrites the editor's values any more.
        ASSERT_TRUE(
            runUntil([this] { return !form.link().snapshot().state.ParamReadPending; }, 5000));
        setCylinder("1000", "100");
        replacement().setInputBox(
            [this](const QString& title, const QString& prompt, const QString& text) {
                asked.push_back({title, prompt, text});
                return answer;
            });
        replacement().setMessageBox([this](const QString& text) { messages.push_back(text); });
    }

    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    template <typename T> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    ModuleReplacement& replacement() { return form.moduleReplacement(); }
    ClickLabel* memoryLabel() { return control<ClickLabel>("Label27"); }
    QColor panel1Colour() { return control<QWidget>("Panel1")->palette().color(QPalette::Window); }

    void setCylinder(const char* strokeMm, const char* turns) {
        control<QLineEdit>("Laenge")->setText(strokeMm);
        control<QLineEdit>("Turns")->setText(turns);
    }

    // The user types `text` into the box opened by a right-button press on the memory label.
    void type(const QString& text) {
        answer = text;
        QTest::mousePress(memoryLabel(), Qt::RightButton);
    }

    void silence(bool on) {
        sim::FaultConfig faults;
        faults.silent = on;
        link.sim.setFault(faults);
    }

    void setPosition() { control<QAction>("SetPosiotn1")->trigger(); }

    struct Asked {
        QString title, prompt, text;
    };
    std::vector<Asked> asked;
    std::optional<QString> answer;
    std::vector<QString> messages;

    test::SimulatedLink link;
    TForm1 form;
};

TEST_F(ModuleReplacementTest, TypedPositionBecomesMemoryAndIsWrittenAsSa) {
    type("250");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Enter absolute Position");
    EXPECT_EQ(asked[0].prompt, "Position to set in zylinder [mm]: ");
    EXPECT_EQ(asked[0].text, "0,00");
    EXPECT_EQ(form.displayState().MemoryPositionCounts, 25600);
    EXPECT_EQ(memoryLabel()->text(), "Memory: 250mm");

    link.sim.clearLog();
    setPosition();
    EXPECT_EQ(requestsStartingWith(link.sim, "SA"), (std::vector<std::string>{"SA0000019"}));
    const std::vector<std::uint8_t> wire = link.sim.receivedBytes();
    const std::vector<std::uint8_t> block{0x02, 'S', 'A', '0', '0',  '0',
                                          '0',  '0', '1', '9', 0x03, 0x00};
    EXPECT_NE(std::search(wire.begin(), wire.end(), block.begin(), block.end()), wire.end());
    EXPECT_EQ(link.sim.position(), 25600);
    EXPECT_EQ(panel1Colour(), tcolor(tc::White));
    EXPECT_TRUE(control<QPushButton>("ReadParam")->isEnabled());
    EXPECT_EQ(form.link().snapshot().pollIntervalMs, ModuleReplacement::kResumeMs);
    EXPECT_TRUE(form.link().snapshot().polling);
    EXPECT_NE(form.statusBar()->currentMessage(), kNoResponse);
}

TEST_F(ModuleReplacementTest, SaFieldsAreTheCountWithinATurnAndTheWholeTurns) {
    const struct {
        std::int32_t counts;
        const char* frame;
    } cases[] = {{1023, "SA3FF0000"}, {1024, "SA0000001"}, {-1, "SA3FFFFFF"}, {0, "SA0000000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        form.displayState().MemoryPositionCounts = c.counts;
        link.sim.clearLog();
        setPosition();
        EXPECT_EQ(requestsStartingWith(link.sim, "SA"), (std::vector<std::string>{c.frame}));
        EXPECT_EQ(link.sim.position(), c.counts);
    }
}

TEST_F(ModuleReplacementTest, TypedDecimalsWithPointOrComma) {
    const struct {
        const char* typed;
        std::int32_t counts;
        const char* label;
    } cases[] = {
        {"250,00", 25600, "Memory: 250,00mm"},
        {"12.345", 1263, "Memory: 12,34mm"},  // a point keeps two decimals
        {"12,345", 1264, "Memory: 12,345mm"}, // a comma keeps them all
        {" 7.5 ", 768, "Memory: 7,5mm"},
        {"-0,5", -51, "Memory: -0,5mm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        type(c.typed);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(form.displayState().MemoryPositionCounts, c.counts);
        EXPECT_EQ(memoryLabel()->text(), c.label);
    }
}

TEST_F(ModuleReplacementTest, TypedPointInADecimalPointLocale) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    type("12.345");
    EXPECT_EQ(form.displayState().MemoryPositionCounts, 1263);
    EXPECT_EQ(memoryLabel()->text(), "Memory: 12,34mm");
}

TEST_F(ModuleReplacementTest, BadInputChangesNothing) {
    type("250");
    const QString before = memoryLabel()->text();
    const char* bad[] = {
        "abc", "1234567890123456789012345678901234567890", "1.2.3", "1,2,3", "1,2.3", "", "12mm"};
    for (const char* typed : bad) {
        SCOPED_TRACE(typed);
        messages.clear();
        type(typed);
        EXPECT_EQ(messages, std::vector<QString>{" Wrong input format "});
        EXPECT_EQ(form.displayState().MemoryPositionCounts, 25600);
        EXPECT_EQ(memoryLabel()->text(), before);
    }

    // Cancelling the box and other buttons change nothing either.
    messages.clear();
    answer.reset();
    QTest::mousePress(memoryLabel(), Qt::RightButton);
    const std::size_t boxes = asked.size();
    answer = QStringLiteral("100");
    QTest::mousePress(memoryLabel(), Qt::LeftButton);
    EXPECT_EQ(asked.size(), boxes);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form.displayState().MemoryPositionCounts, 25600);
}

// Without a usable stroke and turns no millimetres can become counts: the label would claim a
// position that "Set Position" does not write. Nothing is taken, nothing is sent.
TEST_F(ModuleReplacementTest, UnusableStrokeOrTurnsRefuseThePositionAndSendNothing) {
    const char* cylinders[][2] = {{"0", "100"}, {"1000", "0"}, {"1000", ""}, {"", "100"}};
    for (const auto& cylinder : cylinders) {
        SCOPED_TRACE(std::string(cylinder[0]) + " mm, " + cylinder[1] + " turns");
        setCylinder(cylinder[0], cylinder[1]);
        messages.clear();
        type("250");
        EXPECT_EQ(messages, std::vector<QString>{kNoGeometryMessage});
        messages.clear();
        control<QAction>("GetPosition1")->trigger();
        EXPECT_EQ(messages, std::vector<QString>{kNoGeometryMessage});
        EXPECT_EQ(form.displayState().MemoryPositionCounts, kNoMemoryPosition);
        EXPECT_FALSE(memoryLabel()->isVisibleTo(&form));
        link.sim.clearLog();
        messages.clear();
        setPosition();
        EXPECT_TRUE(requestsStartingWith(link.sim, "SA").empty());
    }
    // A negative turns edit cannot even be typed; the label follows the position taken once
    // the cylinder is usable again.
    setCylinder("1000", "100");
    type("250");
    EXPECT_EQ(form.displayState().MemoryPositionCounts, 25600);
    EXPECT_EQ(memoryLabel()->text(), "Memory: 250mm");
}

// The memory is a count; when the cylinder changes, the label shows what that count now is in mm,
// which is what "Set Position" writes.
TEST_F(ModuleReplacementTest, TheLabelFollowsTheCylinderItIsShownFor) {
    type("250");
    setCylinder("500", "100");
    EXPECT_EQ(memoryLabel()->text(), "Memory: 125,00mm");
    setCylinder("", "100"); // while typing: the last usable cylinder stays
    EXPECT_EQ(memoryLabel()->text(), "Memory: 125,00mm");
    link.sim.clearLog();
    setPosition();
    EXPECT_EQ(requestsStartingWith(link.sim, "SA"), (std::vector<std::string>{"SA0000019"}));
}

TEST_F(ModuleReplacementTest, MemoryPositionTakenFromTheOldModule) {
    link.sim.setPosition(25600 + 512);
    ASSERT_TRUE(runUntil(
        [this] { return form.link().snapshot().state.LastPositionCounts == 25600 + 512; }, 2000));
    EXPECT_FALSE(memoryLabel()->isVisibleTo(&form));
    control<QAction>("GetPosition1")->trigger();
    EXPECT_EQ(form.displayState().MemoryPositionCounts, 25600 + 512);
    EXPECT_EQ(memoryLabel()->text(), "Memory: 255,00mm");
    EXPECT_TRUE(memoryLabel()->isVisibleTo(&form));
}

TEST_F(ModuleReplacementTest, NothingMemorisedSendsNothing) {
    link.sim.clearLog();
    setPosition();
    EXPECT_EQ(messages, std::vector<QString>{noMemoryPositionMessage()});
    runUntil([this] { return link.sim.requestCount() > 3; }, 2000);
    EXPECT_TRUE(requestsStartingWith(link.sim, "SA").empty());
}

TEST_F(ModuleReplacementTest, NoAcknowledgeTurnsThePanelRed) {
    form.displayState().MemoryPositionCounts = 2048;
    silence(true);
    link.sim.clearLog();
    setPosition();
    EXPECT_EQ(requestsStartingWith(link.sim, "SA"), (std::vector<std::string>{"SA0000002"}));
    EXPECT_EQ(form.statusBar()->currentMessage(), kNoResponse);
    EXPECT_EQ(panel1Colour(), tcolor(tc::Red));
    EXPECT_EQ(form.displayState().MemoryPositionCounts, 2048);
    EXPECT_TRUE(control<QPushButton>("ReadParam")->isEnabled());
    EXPECT_EQ(form.link().snapshot().pollIntervalMs, ModuleReplacement::kResumeMs);

    // Another try once the module answers: the panel is white again.
    silence(false);
    setPosition();
    EXPECT_EQ(panel1Colour(), tcolor(tc::White));
    EXPECT_EQ(link.sim.position(), 2048);
}

TEST_F(ModuleReplacementTest, OtherCommandsAreRefusedWhileTheWriteWaits) {
    form.displayState().MemoryPositionCounts = 5;
    silence(true);
    link.sim.clearLog();
    QTimer::singleShot(300, &form, [this] {
        for (const char* name : {"LMDButton1", "Kalibrierung", "Button10", "Button2"}) {
            control<QPushButton>(name)->click();
        }
        setPosition();
    });
    setPosition();
    silence(false);
    ASSERT_TRUE(runUntil([this] { return link.sim.requestCount() > 4; }, 3000));
    std::vector<std::string> commands;
    for (const std::string& r : link.sim.requests()) {
        if (r != "RV" && r != "RX" && r != "PV" && r != "PX") {
            commands.push_back(r);
        }
    }
    EXPECT_EQ(commands, (std::vector<std::string>{"SA0050000"}));
}

} // namespace
