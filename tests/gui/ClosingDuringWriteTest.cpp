// Closing the window while the block is being written to the controller: the send stops before
// its next word, says so with the words that went out and the backup, and then the window goes.

#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/TForm1.h"
#include "app/pages/ParameterTransfer.h"
#include "device/HexField.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zuvo;
using zuvo::test::runUntil;
using zuvo::test::SimulatedLink;

namespace {

sim::SimOptions slowAcknowledges() {
    sim::SimOptions options = test::standingStill();
    options.faults.ackDelayMs = 40;
    return options;
}

class ClosingDuringWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::startOnQuietLink(form));
        ASSERT_TRUE(test::readControllerBlock(form.link()));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        link.sim.clearLog();
    }

    // Closes the window once `words` word frames have gone out, during the send that follows.
    void closeAfterWords(std::size_t words) {
        QObject::connect(&watch_, &QTimer::timeout, &form, [this, words] {
            if (test::requestsStartingWith(link.sim, "SP").size() >= words) {
                watch_.stop();
                closedAtOnce = form.close();
            }
        });
        watch_.start(1);
    }
    bool closed() const { return !watch_.isActive(); }

    SimulatedLink link{slowAcknowledges()};
    TForm1 form;
    bool closedAtOnce = true;

private:
    QTimer watch_;
};

TEST_F(ClosingDuringWriteTest, TheSendStopsAtAWordAndSaysSoBeforeTheWindowGoes) {
    std::vector<std::uint16_t> before;
    for (int n = 0; n <= 36; ++n) {
        before.push_back(link.sim.parameterWord(n));
    }

    QStringList messages;
    bool shownWithTheWindow = false;
    form.parameterTransfer().prompts.message = [&](const QString& text) {
        messages << text;
        shownWithTheWindow = form.isVisible();
    };
    form.findChild<QLineEdit*>("Laenge")->setText("500");
    // The user closes the window while word 7 waits for its acknowledge.
    closeAfterWords(7);
    form.parameterTransfer().SaveParamClick();
    ASSERT_TRUE(closed()) << "the send ended before the window was closed";
    EXPECT_FALSE(closedAtOnce) << "the window waits for the send to stop";
    EXPECT_TRUE(runUntil([&] { return !form.isVisible(); }, 2000)) << "then it goes";
    EXPECT_FALSE(form.link().snapshot().portOpen);

    // The word that was on its way when the window closed is acknowledged; no word follows it.
    const std::vector<std::string> sent = test::requestsStartingWith(link.sim, "SP");
    const int written = static_cast<int>(sent.size());
    ASSERT_GE(written, 7);
    ASSERT_LT(written, 36);
    for (int n = 1; n <= 36; ++n) {
        const std::uint16_t expected =
            n <= written ? form.Params.Slots[static_cast<std::size_t>(n)] : before[n];
        EXPECT_EQ(link.sim.parameterWord(n), expected) << "word " << n;
    }

    ASSERT_EQ(messages.size(), 1);
    const QString text = messages.front();
    EXPECT_TRUE(shownWithTheWindow);
    EXPECT_TRUE(text.contains("The window was closed during the send")) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("words 1..%1 of 36").arg(written)))
        << text.toStdString();
    EXPECT_FALSE(text.contains("port was lost")) << text.toStdString();
    const QRegularExpressionMatch backup =
        QRegularExpression(QStringLiteral("saved in (\\S+\\.ZDF)")).match(text);
    ASSERT_TRUE(backup.hasMatch()) << text.toStdString();
    EXPECT_TRUE(QFile::exists(backup.captured(1)));
    EXPECT_TRUE(text.contains("Restore Backup")) << text.toStdString();
}

// With the message in a real box, the window waits until the user has read it.
TEST_F(ClosingDuringWriteTest, TheWindowGoesOnceTheMessageHasBeenRead) {
    form.parameterTransfer().prompts.message = UserPrompts::showMessage;
    QString boxText;
    bool hiddenWithTheBox = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &form, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxText = box->text();
            hiddenWithTheBox = hiddenWithTheBox || !form.isVisible();
            // Events run for a while with the box open (longer than the closing's grace): the
            // window must not go meanwhile.
            if (!box->property("answering").toBool()) {
                box->setProperty("answering", true);
                QTimer::singleShot(800, box, [box] { box->accept(); });
            }
        }
    });
    answer.start(5);
    closeAfterWords(3);
    form.parameterTransfer().SaveParamClick();
    ASSERT_TRUE(closed());
    EXPECT_TRUE(runUntil([&] { return !form.isVisible(); }, 2000));
    answer.stop();
    EXPECT_TRUE(boxText.startsWith("The window was closed during the send"))
        << boxText.toStdString();
    EXPECT_FALSE(hiddenWithTheBox);
    EXPECT_FALSE(form.link().snapshot().portOpen);
}

} // namespace
