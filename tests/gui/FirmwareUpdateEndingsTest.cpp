// The firmware update's ways out: Cancel at every step, a bootloader that gives up or goes
// silent, the views locked meanwhile, and an unplug.

#include "gui/FirmwareUpdateFixture.h"

using namespace zuvo;
using namespace zuvo::test;

namespace {

// The window returns at once; the wait itself ends with its round, as a ready sign in that
// round still gets its EOT (see below).
TEST_F(FirmwareUpdateTest, CancelWhileWaitingReturnsAtOnce) {
    sim::FaultConfig silent;
    silent.silent = true;
    link.sim.setFault(silent);
    chooseImage(randomImage(128));
    QElapsedTimer clock;
    qint64 cancelledAt = 0;
    bool normalAtOnce = false;
    onceWhen([this] { return labelIs("Enter Flash-Mode..2"); },
             [&] {
                 child<QPushButton>("Button5")->click();
                 cancelledAt = clock.elapsed();
                 normalAtOnce = form.views().current() == View::Normal;
             });
    clock.start();
    update().FlashUpdate1Click();
    EXPECT_TRUE(normalAtOnce);
    EXPECT_LT(clock.elapsed() - cancelledAt, 1300);
    EXPECT_TRUE(sentBlockNumbers(link.sim.receivedBytes()).empty());
    EXPECT_TRUE(messages.isEmpty());
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, CancelDuringTransferEndsWithEot) {
    chooseImage(randomImage(10 * 128));
    onceWhen([this] { return labelStarts("Page: 2/"); },
             [this] { child<QPushButton>("Button5")->click(); });
    update().FlashUpdate1Click();
    const auto sent = link.sim.receivedBytes();
    EXPECT_EQ(sentBlockNumbers(sent), (std::vector<int>{1, 2}));
    EXPECT_EQ(sent.at(sizeof kFl + 2 * kXmodemBlockSize), kXmodemEot);
    EXPECT_EQ(link.sim.completedUpdates(), 1);
    EXPECT_TRUE(messages.isEmpty());
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, CancelDuringThePauseAfterARejectedBlockSendsItNoMore) {
    sim::FaultConfig faults;
    faults.nakBlocks = {{2, 1}};
    link.sim.setFault(faults);
    chooseImage(randomImage(4 * 128));
    child<QLabel>("Label26")->clear();
    // The fault label is written just before the 50 ms pause.
    onceWhen([this] { return child<QLabel>("Label26")->text() == "CRC 21"; },
             [this] { child<QPushButton>("Button5")->click(); });
    update().FlashUpdate1Click();
    const auto sent = link.sim.receivedBytes();
    EXPECT_EQ(sentBlockNumbers(sent), (std::vector<int>{1, 2}));
    ASSERT_EQ(sent.size(), sizeof kFl + 2 * kXmodemBlockSize + 1);
    EXPECT_EQ(sent.back(), kXmodemEot);
    EXPECT_TRUE(messages.isEmpty());
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, CancelWhileWaitingThenAReadySignInTheSameRoundEndsWithEot) {
    sim::FaultConfig silent;
    silent.silent = true;
    link.sim.setFault(silent);
    chooseImage(randomImage(2 * 128));
    onceWhen([this] { return labelIs("Enter Flash-Mode..1"); },
             [this] {
                 child<QPushButton>("Button5")->click();
                 QTimer::singleShot(200, &form, [this] { link.sim.sendRaw({'C'}); });
             });
    update().FlashUpdate1Click();
    EXPECT_EQ(sentAfterFl(), std::vector<std::uint8_t>{kXmodemEot});
    EXPECT_TRUE(messages.isEmpty());
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, ABootloaderThatRestartsOnEveryBlockIsGivenUp) {
    sim::FaultConfig faults;
    faults.restartAlwaysFrom = 1;
    link.sim.setFault(faults);
    chooseImage(randomImage(2 * 128));
    update().FlashUpdate1Click();
    EXPECT_EQ(messages, QStringList{restartGiveUpMessage(10)});
    EXPECT_EQ(messages.value(0),
              QString::fromUtf8(" µC restarts the transfer again and again (10) "));
    // Ten times the first block, and no EOT after the give-up.
    const auto sent = link.sim.receivedBytes();
    EXPECT_EQ(sentBlockNumbers(sent), std::vector<int>(10, 1));
    EXPECT_EQ(sent.size(), sizeof kFl + 10 * kXmodemBlockSize);
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, NoViewChangeWhileTheUpdateRuns) {
    form.serviceMode().setOn(true); // the recording view opens only in service mode
    chooseImage(randomImage(4 * 128));
    View during = View::Normal;
    bool cancelShown = false;
    onceWhen([this] { return labelStarts("Page: 2/"); },
             [&] {
                 QTest::mouseDClick(child<QLabel>("APos"), Qt::LeftButton);
                 during = form.views().current();
                 cancelShown = !child<QWidget>("GroupBox2")->isHidden();
             });
    update().FlashUpdate1Click();
    EXPECT_EQ(during, View::Update);
    EXPECT_TRUE(cancelShown);
    EXPECT_TRUE(form.serviceMode().isOn());
    EXPECT_EQ(link.sim.completedUpdates(), 1);
    expectBackToNormal();
    // Afterwards the double-click works again.
    QTest::mouseDClick(child<QLabel>("APos"), Qt::LeftButton);
    EXPECT_EQ(form.views().current(), View::Recording);
}

// With the round limits shortened: each way of giving up says why and leaves without EOT.
TEST_F(FirmwareUpdateTest, GiveUpMessages) {
    const auto image = randomImage(4 * 128);
    const std::uint16_t firstCrc = xmodemBlockCrc(
        xmodemBlock(1, std::span<const std::uint8_t>(image.data(), kXmodemPageSize)));
    struct Case {
        const char* name;
        std::function<void()> arrange;
        QString message;
        const char* faultLabel;
    };
    const Case cases[] = {
        {"bootloader silent",
         [this] {
             sim::FaultConfig f;
             f.silent = true;
             link.sim.setFault(f);
         },
         QString::fromUtf8(" no response from µC (5) 0"), ""},
        {"first block silent",
         [this] {
             sim::FaultConfig f;
             f.silent = true;
             link.sim.setFault(f);
             onceWhen([this] { return labelIs("Enter Flash-Mode..1"); },
                      [this] { link.sim.sendRaw({'C'}); });
         },
         QString::fromUtf8(" No response from µC! (1) 0"), "No Response"},
        {"first block rejected every time",
         [this] {
             sim::FaultConfig f;
             f.nakBlocks = {{1, 100}};
             link.sim.setFault(f);
         },
         QString::fromUtf8(" CRC-µC: 21 0   PC :%1 %2").arg(firstCrc & 0xFF).arg(firstCrc >> 8),
         "CRC 21"},
        {"third block silent", [this] { silenceAfterSecondBlock(); },
         QString::fromUtf8(" No response from µC! (1) 0"), "No Response"},
    };
    update().setLimits({3, 2});
    chooseImage(image);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.sim.setFault({});
        link.sim.clearLog();
        messages.clear();
        child<QLabel>("Label26")->clear();
        c.arrange();
        update().FlashUpdate1Click();
        EXPECT_EQ(messages, QStringList{c.message});
        EXPECT_EQ(child<QLabel>("Label26")->text(), c.faultLabel);
        const auto sent = link.sim.receivedBytes();
        // FL and whole blocks, no EOT after them.
        EXPECT_EQ((sent.size() - sizeof kFl) % kXmodemBlockSize, 0u);
        expectBackToNormal();
    }
}

TEST_F(FirmwareUpdateTest, LaterBlockSaysNoResponseOnlyAfterSilentRoundsInARow) {
    update().setLimits({4, 3});
    chooseImage(randomImage(4 * 128));
    QStringList labelsSeen;
    child<QLabel>("Label26")->clear();
    silenceAfterSecondBlock();
    onceWhen([this] { return labelIs("Page: 3/4 : 3"); },
             [&] { labelsSeen << child<QLabel>("Label26")->text(); });
    onceWhen([this] { return labelIs("Page: 3/4 : 4"); },
             [&] { labelsSeen << child<QLabel>("Label26")->text(); });
    update().FlashUpdate1Click();
    // Two silent rounds say nothing; the third in a row does.
    EXPECT_EQ(labelsSeen, (QStringList{"", "No Response"}));
    EXPECT_EQ(messages, QStringList{QString::fromUtf8(" No response from µC! (1) 0")});
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, UnplugDuringTransferEndsTheUpdate) {
    chooseImage(randomImage(6 * 128));
    onceWhen([this] { return labelStarts("Page: 3/"); }, [this] { link.sim.hangUp(); });
    QElapsedTimer clock;
    clock.start();
    update().FlashUpdate1Click();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(child<QStatusBar>("StatusBar1")->currentMessage(), "USB disconnected");
    EXPECT_FALSE(update().isRunning());
    EXPECT_EQ(form.views().current(), View::Normal);
    EXPECT_EQ(form.link().snapshot().parity, TParity::pNone);
}

} // namespace
