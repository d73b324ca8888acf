// Sending the parameter block word by word to the simulated actuator, and asking for it.

#include "app/pages/ParameterTransfer.h"
#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/live/ReceiveDispatcher.h"
#include "app/pages/EditorMapping.h"
#include "common/ScratchFile.h"
#include "device/HexField.h"
#include "params/SwitchGrid.h"
#include "session/BlockTransfer.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/TColor.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zuvo;
using zuvo::test::runUntil;
using zuvo::test::SimulatedLink;

namespace {

std::string spFrame(int index, std::uint16_t value) {
    return "SP" + hexField(static_cast<std::uint32_t>(index), 2) + hexField(value, 4);
}

class ParameterTransferTest : public ::testing::Test {
protected:
    explicit ParameterTransferTest(sim::SimOptions options = {}) : link(std::move(options)) {}

    void SetUp() override {
        ASSERT_TRUE(test::startOnQuietLink(form));
        form.parameterTransfer().prompts.message = [this](const QString& text) {
            messages << text;
        };
        // The controller's block is known, as after start-up: the send backs it up without a
        // read of its own.
        ASSERT_TRUE(test::readControllerBlock(form.link()));
        link.sim.clearLog();
    }

    std::vector<std::string> writes() const {
        std::vector<std::string> sp;
        for (const std::string& r : link.sim.requests()) {
            if (r.starts_with("SP")) {
                sp.push_back(r);
            }
        }
        return sp;
    }

    // The frames a send of the block as it stands in the program must have written.
    std::vector<std::string> expectedWrites(int count) const {
        std::vector<std::string> sp;
        for (int n = 1; n <= count; ++n) {
            sp.push_back(spFrame(n, form.Params.Slots[static_cast<std::size_t>(n)]));
        }
        return sp;
    }

    QColor panelColor() const { return panel1->palette().color(QPalette::Window); }
    QString status() const { return statusBar1->currentMessage(); }

    void expectPollingResumedAfterSend() {
        EXPECT_TRUE(readParam->isEnabled());
        EXPECT_TRUE(form.Timer2.isActive());
        EXPECT_EQ(form.Timer2.interval(), 1500);
        EXPECT_FALSE(form.pollCycle().exchangeRunning());
        EXPECT_FALSE(form.link().exchangeRunning());
    }

    SimulatedLink link;
    TForm1 form;
    QPushButton* const saveParam = form.findChild<QPushButton*>("SaveParam");
    QPushButton* const readParam = form.findChild<QPushButton*>("ReadParam");
    QLineEdit* const laenge = form.findChild<QLineEdit*>("Laenge");
    QFrame* const panel1 = form.findChild<QFrame*>("Panel1");
    QStatusBar* const statusBar1 = form.findChild<QStatusBar*>("StatusBar1");
    QStringList messages;
};

TEST_F(ParameterTransferTest, SendsEveryWordInOrderWithTheEditorsValues) {
    // A value changed in the editor since the last read goes out changed.
    laenge->setText("500");
    readParam->setEnabled(true);
    bool readDisabledDuringSend = false;
    QTimer::singleShot(0, &form, [&] { readDisabledDuringSend = !readParam->isEnabled(); });

    QTest::mouseClick(saveParam, Qt::LeftButton);

    ASSERT_EQ(form.Params.Slots[1], 500);
    const std::vector<std::string> sent = writes();
    ASSERT_EQ(sent.size(), 36u);
    EXPECT_EQ(sent, expectedWrites(36));
    EXPECT_EQ(sent.front(), "SP0101F4");
    EXPECT_TRUE(sent.back().starts_with("SP24"));
    for (int n = 1; n <= 36; ++n) {
        EXPECT_EQ(link.sim.parameterWord(n), form.Params.Slots[static_cast<std::size_t>(n)]) << n;
    }
    EXPECT_TRUE(readDisabledDuringSend);
    EXPECT_EQ(panelColor(), tcolor(tc::White));
    expectPollingResumedAfterSend();
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ParameterTransferTest, LongerBlockSendsOneMoreWordAsZero) {
    form.State.ExtraWordCount = 21;
    form.Params.Slots[37] = 0x1234; // not filled from the pages: cleared before the send
    form.parameterTransfer().SaveParamClick();
    const std::vector<std::string> sent = writes();
    ASSERT_EQ(sent.size(), 37u);
    EXPECT_EQ(sent.back(), "SP250000");
    EXPECT_EQ(sent, expectedWrites(37));
}

TEST_F(ParameterTransferTest, SecondClickAndABlockArrivingDuringTheSendDoNotDisturbIt) {
    laenge->setText("500");
    form.parameterTransfer().SaveParamClick();
    const std::vector<std::uint8_t> undisturbed = link.sim.receivedBytes();
    const std::vector<std::string> expected = writes();
    ASSERT_EQ(expected.size(), 36u);

    // The same send again, slowed down by the controller, with a second click on the button and
    // a late parameter block (another stroke, shown as the receive side shows it) in its waits.
    link.sim.clearLog();
    form.Timer2.stop();
    form.State.ReplyPending = false;
    sim::FaultConfig slow;
    slow.delayMs = 5;
    link.sim.setFault(slow);
    int clicksDuringSend = 0;
    QTimer::singleShot(40, &form, [&] {
        ASSERT_EQ(form.link().runningExchange(), "Send Parameter-Block");
        ++clicksDuringSend;
        QTest::mouseClick(saveParam, Qt::LeftButton);
        form.Params.Slots[1] = 777;
        form.Params.Slots[5] = 0x3F;
        form.editorMapping().ShowReceivedBlock();
    });
    form.parameterTransfer().SaveParamClick();

    EXPECT_EQ(clicksDuringSend, 1);
    EXPECT_EQ(writes(), expected); // one send, not two interleaved, with the words of its click
    EXPECT_EQ(link.sim.receivedBytes(), undisturbed);
    EXPECT_EQ(link.sim.parameterWord(1), 500);
    EXPECT_EQ(link.sim.parameterWord(5), 0);
    expectPollingResumedAfterSend();
}

// The words a send writes are those of the pages when Send was pressed. Edits during its waits
// (the controller acknowledging slowly), and a file shown meanwhile, stay on the pages for the
// next send and do not reach the controller now.
TEST_F(ParameterTransferTest, PageEditsDuringTheSendDoNotReachItsWords) {
    laenge->setText("500");
    const std::optional<WordsToSend> pressed =
        valuesSend(form.editorModel().values(), form.State.ExtraWordCount);
    ASSERT_TRUE(pressed);
    QTemporaryDir folder;
    const ZdfContent late = readZdf(IniFile(test::writeScratchFile(
        folder.filePath("late.ZDF"), "[ZYLINDER]\r\nLENGTH=640\r\n[OUTPUT]\r\nFunktion9=63\r\n")));
    sim::FaultConfig slow;
    slow.delayMs = 5;
    link.sim.setFault(slow);
    bool edited = false;
    QTimer::singleShot(40, &form, [&] {
        ASSERT_EQ(form.link().runningExchange(), "Send Parameter-Block");
        laenge->setText("777");
        form.findChild<PictureToggleButton*>("D11")->click();
        form.findChild<QLineEdit*>("DOPos2")->setText("250");
        edited = true;
    });
    QTimer::singleShot(120, &form, [&] {
        ASSERT_EQ(form.link().runningExchange(), "Send Parameter-Block");
        form.editorModel().showFile(late, "late.ZDF", form.Params);
    });
    form.parameterTransfer().SaveParamClick();

    ASSERT_TRUE(edited);
    ASSERT_EQ(writes().size(), pressed->words.size());
    for (std::size_t i = 0; i < pressed->words.size(); ++i) {
        const int n = pressed->range.first + static_cast<int>(i);
        EXPECT_EQ(link.sim.parameterWord(n), pressed->words[i]) << "word " << n;
    }
    // The file shown during the send is what the pages show and send next.
    EXPECT_EQ(laenge->text(), "640");
    EXPECT_TRUE(gridButtonOn(form.findChild<PictureToggleButton*>("D69")->value()));
    link.sim.setFault({});
    form.parameterTransfer().SaveParamClick();
    EXPECT_EQ(link.sim.parameterWord(1), 640);
    EXPECT_EQ(link.sim.parameterWord(13), 63);
}

TEST_F(ParameterTransferTest, UnusableStrokeRefusesTheSendAndKeepsTheBlock) {
    form.Params.Slots[1] = 1000;
    form.Params.Slots[5] = 0x21;
    const auto before = form.Params.Slots;
    laenge->setText("0");
    form.parameterTransfer().SaveParamClick();
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(form.Params.Slots, before);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains("not sent")) << messages.front().toStdString();
    expectPollingResumedAfterSend();
}

// Whatever edit holds a value that cannot be used, nothing is sent, the edit turns red and the
// message names it; a typo never goes out as 0.
TEST_F(ParameterTransferTest, AnUnusableEditRefusesTheSendAndNamesIt) {
    const struct {
        const char* edit;
        const char* typed;
        const char* named;
    } cases[] = {
        {"Laenge", "", "the stroke"},           {"Turns", "0", "the turns"},
        {"Hysterese", ",", "the hysteresis"},   {"DOPos3", "-", "switch position 3"},
        {"DOPos5", "12a", "switch position 5"}, // put there by the program, not typed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        auto* edit = form.findChild<QLineEdit*>(c.edit);
        ASSERT_NE(edit, nullptr);
        const QString before = edit->text();
        edit->setText("");
        QTest::keyClicks(edit, c.typed);
        if (edit->text() != c.typed) {
            edit->setText(c.typed);
        }
        messages.clear();
        link.sim.clearLog();
        const auto block = form.Params.Slots;
        form.parameterTransfer().SaveParamClick();
        EXPECT_TRUE(writes().empty());
        EXPECT_EQ(form.Params.Slots, block);
        EXPECT_EQ(edit->palette().color(QPalette::Base), tcolor(tc::Red));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(
            messages.front().startsWith("The Parameter-Block was not sent: " + QString(c.named)))
            << messages.front().toStdString();
        edit->setText(before);
    }
    // Corrected, the block goes out.
    messages.clear();
    form.parameterTransfer().SaveParamClick();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(writes().empty());
}

// A refused send changes nothing of the editor: the file's values, their origin, the marks on
// what the file could not give, and the refusal itself stay until the user corrects them.
TEST_F(ParameterTransferTest, ARefusedSendLeavesTheEditorModelAsItWas) {
    QTemporaryDir folder;
    const ZdfContent file = readZdf(IniFile(test::writeScratchFile(
        folder.filePath("site.ZDF"),
        "[ZYLINDER]\r\nLENGTH=0\r\nGEAR=60\r\n[POSITION]\r\nPos1=100\r\nPos2=abc\r\n")));
    EditorModel& model = form.editorModel();
    model.showFile(file, "site.ZDF", form.Params);
    const ParameterValues values = model.values();
    const auto problems = model.fileProblems();
    const QStringList refusals = model.refusals();
    const auto counts = model.positionCounts();
    ASSERT_FALSE(refusals.isEmpty());
    ASSERT_FALSE(problems.empty());
    const auto block = form.Params.Slots;

    form.parameterTransfer().SaveParamClick();
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(form.Params.Slots, block);
    EXPECT_EQ(model.values(), values);
    EXPECT_EQ(model.fileProblems(), problems);
    EXPECT_EQ(model.refusals(), refusals);
    EXPECT_EQ(model.positionCounts(), counts);
    for (const PageControl control : {PageControl::Stroke, switchPositionControl(2)}) {
        EXPECT_EQ(model.origin(control), (ValueOrigin{ValueSource::File, "site.ZDF"}));
        EXPECT_TRUE(model.marked(control));
    }
    EXPECT_EQ(laenge->text(), "0");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains("LENGTH")) << messages.front().toStdString();
}

TEST_F(ParameterTransferTest, ReadButtonAsksForTheBlockUntilItArrives) {
    link.sim.setParameterWord(1, 640);
    form.parameterTransfer().ReadParamClick();
    EXPECT_TRUE(form.State.ParamReadPending);
    EXPECT_TRUE(form.Timer2.isActive());
    EXPECT_EQ(form.Timer2.interval(), 200);
    ASSERT_TRUE(runUntil([&] { return !form.State.ParamReadPending; }, 3000));
    EXPECT_EQ(link.sim.requests().front(), "PV");
    EXPECT_EQ(laenge->text(), "640");
}

TEST_F(ParameterTransferTest, ABlockReceivedDuringTheSendIsDroppedAndAWantedReadStaysWanted) {
    laenge->setText("500");
    const QString turnsBefore = form.findChild<QLineEdit*>("Turns")->text();
    // Another controller's block: stroke 777 mm.
    std::vector<std::uint8_t> block{0x02};
    for (int i = 0; i < 38; ++i) {
        const std::string word = hexField(i == 1 ? 777u : 0u, 4);
        block.insert(block.end(), word.begin(), word.end());
    }
    block.push_back(0x03);
    sim::FaultConfig slow;
    slow.delayMs = 5;
    link.sim.setFault(slow);
    form.State.ParamReadPending = true;
    bool delivered = false;
    QTimer::singleShot(40, &form, [&] {
        ASSERT_EQ(form.link().runningExchange(), "Send Parameter-Block");
        form.link().receive(block);
        delivered = true;
    });
    form.parameterTransfer().SaveParamClick();

    ASSERT_TRUE(delivered);
    EXPECT_EQ(laenge->text(), "500");
    EXPECT_EQ(form.findChild<QLineEdit*>("Turns")->text(), turnsBefore);
    EXPECT_EQ(form.Params.Slots[1], 500);
    EXPECT_TRUE(form.State.ParamReadPending);
    EXPECT_EQ(form.Rx.RxCount, 0u);
    EXPECT_EQ(writes().size(), 36u);
}

class ParameterTransferSilenceTest : public ParameterTransferTest {};

TEST_F(ParameterTransferSilenceTest, MissingAcknowledgeAfterWordFiveStopsTheSendRed) {
    sim::FaultConfig faults;
    faults.dropEvery = 6; // counted from here: the acknowledge of word 6 is lost
    link.sim.setFault(faults);
    QElapsedTimer clock;
    clock.start();
    form.parameterTransfer().SaveParamClick();
    const qint64 ms = clock.elapsed();

    const std::vector<std::string> sent = writes();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent, expectedWrites(6));
    // Words 1..5 are answered at once; the wait for word 6 runs its full 3.456 s.
    EXPECT_GE(ms, 3456);
    EXPECT_LT(ms, 3456 + 600);
    EXPECT_EQ(status(), QString::fromUtf8(" !!! No response from \u00B5C !!! "));
    EXPECT_EQ(panelColor(), tcolor(tc::Red));
    expectPollingResumedAfterSend();

    // A later send that gets through makes the panel white again.
    link.sim.setFault({});
    form.Timer2.stop();
    form.State.ReplyPending = false;
    form.parameterTransfer().SaveParamClick();
    EXPECT_EQ(panelColor(), tcolor(tc::White));
}

} // namespace
