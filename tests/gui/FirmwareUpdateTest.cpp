// The firmware update against the simulated controller's bootloader.

#include "app/service/FirmwareUpdate.h"
#include "SimulatedLink.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "service/UpdateRounds.h"
#include "service/Xmodem.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

using namespace zuvo;
using zuvo::test::SimulatedLink;

namespace {

constexpr std::uint8_t kFl[] = {0x02, 'F', 'L', 0x03};

std::vector<std::uint8_t> randomImage(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::vector<std::uint8_t> image(size);
    for (auto& byte : image) {
        byte = static_cast<std::uint8_t>(random());
    }
    return image;
}

// The numbers of the blocks the program sent, in order: every SOH at a block boundary after FL.
std::vector<int> sentBlockNumbers(const std::vector<std::uint8_t>& sent) {
    std::vector<int> numbers;
    std::size_t at = sizeof kFl;
    while (at + kXmodemBlockSize <= sent.size() && sent[at] == kXmodemSoh) {
        numbers.push_back(sent[at + 1]);
        at += kXmodemBlockSize;
    }
    return numbers;
}

class FirmwareUpdateTest : public ::testing::Test {
protected:
    FirmwareUpdateTest() {
        EXPECT_TRUE(form.link().openPort(1).opened);
        // The controller's block is known, as after start-up: the update backs it up without a
        // read, so FL is the first frame.
        EXPECT_TRUE(test::readControllerBlock(form.link()));
        link.sim.clearLog();
        FirmwareUpdate::Hooks hooks;
        hooks.confirm = [this](const QString& text) {
            confirmTexts.push_back(text);
            return confirmAnswer;
        };
        hooks.chooseFile = [this] { return chosenFile; };
        hooks.message = [this](const QString& text) { messages.push_back(text); };
        update().setHooks(hooks);
    }

    FirmwareUpdate& update() { return form.firmwareUpdate(); }

    template <typename T> T* child(const char* name) const {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void chooseImage(const std::vector<std::uint8_t>& image) {
        chosenFile = link.folder.filePath(QStringLiteral("image.BIN"));
        QFile file(chosenFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    }

    // Runs `action` once, the first time `condition` holds while the update runs.
    void onceWhen(std::function<bool()> condition, std::function<void()> action) {
        auto* timer = new QTimer(&form);
        timer->setInterval(2);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, condition, action] {
            if (condition()) {
                timer->stop();
                action();
            }
        });
        timer->start();
    }

    // The bootloader goes quiet once the second block is acknowledged, before the third is sent.
    void silenceAfterSecondBlock() {
        onceWhen([this] { return labelStarts("Page: 2/") && form.link().bytesHeld() > 0; },
                 [this] {
                     sim::FaultConfig f;
                     f.silent = true;
                     link.sim.setFault(f);
                 });
    }

    bool labelIs(const char* text) const { return child<QLabel>("Label25")->text() == text; }
    bool labelStarts(const char* text) const {
        return child<QLabel>("Label25")->text().startsWith(text);
    }

    std::vector<std::uint8_t> sentAfterFl() const {
        const auto sent = link.sim.receivedBytes();
        return {sent.begin() + std::min(sent.size(), sizeof kFl), sent.end()};
    }

    // The window after every way out: normal view, parity none, polling on, nothing locked.
    void expectBackToNormal() {
        EXPECT_FALSE(form.firmwareUpdate().isRunning());
        EXPECT_EQ(form.views().current(), View::Normal);
        EXPECT_EQ(form.link().snapshot().parity, TParity::pNone);
        EXPECT_TRUE(form.link().snapshot().polling);
        EXPECT_TRUE(child<QMenuBar>("MainMenu1")->isEnabled());
        EXPECT_TRUE(child<QPushButton>("SaveParam")->isEnabled());
    }

    SimulatedLink link;
    TForm1 form;
    bool confirmAnswer = true;
    QString chosenFile;
    QStringList confirmTexts;
    QStringList messages;
};

// The file is chosen first, so that the five lines the user confirms are followed by what is
// sent and where.
TEST_F(FirmwareUpdateTest, TheConfirmationIsTheFiveLinesThenTheFileItsSizeItsPagesAndThePort) {
    chooseImage(randomImage(3 * 128 + 40));
    confirmAnswer = false;
    update().FlashUpdate1Click();
    ASSERT_EQ(confirmTexts.size(), 1);
    const QStringList lines = confirmTexts[0].split('\n');
    ASSERT_EQ(lines.size(), 9) << confirmTexts[0].toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("ACHTUNG:  Bitte alle Ausgänge abklemmen/ausstecken, um "
                                       "unkontrolliertes Fahren zu vermeiden! "));
    EXPECT_EQ(lines[1],
              QStringLiteral("Sind sie sicher das sie eine Update durchführen möchten? "));
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[3], " Caution:  please disconnect all outputs to make shure, that no unwanted "
                        "move is possible! ");
    EXPECT_EQ(lines[4], " Do you really want to execute the flash update?");
    EXPECT_EQ(lines[5], QString());
    EXPECT_EQ(lines[6], "File: " + chosenFile);
    EXPECT_EQ(lines[7], "Size: 424 bytes, 4 pages of 128 bytes");
    EXPECT_EQ(lines[8], "Port: COM1");
    EXPECT_TRUE(link.sim.receivedBytes().empty());
    expectBackToNormal();
}

// 264 pages of 128 bytes: no filler, and the 256th block carries number 0 and complement 255.
TEST_F(FirmwareUpdateTest, ImageOfWholePagesArrivesIntactAndBlockNumbersWrap) {
    const auto image = randomImage(33 * 1024);
    chooseImage(image);
    bool oddWhileRunning = false;
    bool lockedWhileRunning = false;
    onceWhen([this] { return labelStarts("Page: 2/"); },
             [&] {
                 oddWhileRunning = form.link().snapshot().parity == TParity::pOdd &&
                                   form.views().current() == View::Update;
                 lockedWhileRunning = !child<QMenuBar>("MainMenu1")->isEnabled() &&
                                      !child<QPushButton>("ReadParam")->isEnabled() &&
                                      form.pollCycle().exchangeRunning();
             });
    update().FlashUpdate1Click();

    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    EXPECT_EQ(confirmTexts.size(), 1);
    EXPECT_TRUE(oddWhileRunning);
    EXPECT_TRUE(lockedWhileRunning);
    EXPECT_EQ(link.sim.receivedImage(), image);
    EXPECT_EQ(link.sim.completedUpdates(), 1);
    const auto sent = link.sim.receivedBytes();
    ASSERT_GE(sent.size(), sizeof kFl);
    EXPECT_TRUE(std::equal(std::begin(kFl), std::end(kFl), sent.begin()));
    const auto numbers = sentBlockNumbers(sent);
    ASSERT_EQ(numbers.size(), 264u);
    EXPECT_EQ(numbers[0], 1);
    EXPECT_EQ(numbers[254], 255);
    EXPECT_EQ(numbers[255], 0);
    EXPECT_EQ(sent[4 + 255 * kXmodemBlockSize + 2], 255);
    EXPECT_EQ(numbers[263], 8);
    EXPECT_EQ(sent[4 + 264 * kXmodemBlockSize], kXmodemEot);
    EXPECT_EQ(child<QLabel>("Label25")->text(), "Page: 264/264");
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->maximum(), 264);
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, LastShortPageIsFilledWithErasedFlash) {
    const auto image = randomImage(129);
    chooseImage(image);
    update().FlashUpdate1Click();

    const auto received = link.sim.receivedImage();
    ASSERT_EQ(received.size(), 256u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), received.begin()));
    EXPECT_TRUE(std::all_of(received.begin() + 129, received.end(),
                            [](std::uint8_t b) { return b == kXmodemFiller; }));
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->maximum(), 1);
    EXPECT_EQ(child<QLabel>("Label25")->text(), "Page: 2/1");
    EXPECT_TRUE(messages.isEmpty());
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, RejectedBlockShowsCrcAndGoesAgain) {
    sim::FaultConfig faults;
    faults.nakBlocks = {{2, 1}};
    link.sim.setFault(faults);
    const auto image = randomImage(3 * 128);
    chooseImage(image);
    child<QLabel>("Label26")->clear();
    update().FlashUpdate1Click();

    EXPECT_EQ(child<QLabel>("Label26")->text(), "CRC 21");
    EXPECT_EQ(sentBlockNumbers(link.sim.receivedBytes()), (std::vector<int>{1, 2, 2, 3}));
    EXPECT_EQ(link.sim.receivedImage(), image);
    expectBackToNormal();
}

TEST_F(FirmwareUpdateTest, RestartByTheBootloaderBeginsAgainAtTheFirstPage) {
    sim::FaultConfig faults;
    faults.restartBlocks = {3};
    link.sim.setFault(faults);
    const auto image = randomImage(4 * 128);
    chooseImage(image);
    update().FlashUpdate1Click();

    EXPECT_EQ(sentBlockNumbers(link.sim.receivedBytes()), (std::vector<int>{1, 2, 3, 1, 2, 3, 4}));
    EXPECT_EQ(link.sim.receivedImage(), image);
    EXPECT_TRUE(messages.isEmpty());
    expectBackToNormal();
}

// The bootloader's first answer decides; the program then sends the first block (or gives up).
TEST_F(FirmwareUpdateTest, ReadySignsWhileWaitingForTheBootloader) {
    struct Case {
        std::vector<std::uint8_t> answer;
        bool ready;
        const char* giveUp;
    };
    const Case cases[] = {
        {{'a', 'b', 'c', 'd', 'e'}, true, " No response from µC! (1) 0"},
        {{'a', 'b', 'x', 'y', 'z', 'C', 'q'}, true, " No response from µC! (1) 0"},
        {{'C', 'b', 'x', 'y', 'z', 'q', 'q'}, true, " No response from µC! (1) 0"},
        {{'a', 'b', 'x', 'y', 'z', 'q', 'q'}, false, " Wrong response from µC 7:113"},
    };
    sim::FaultConfig silent;
    silent.silent = true;
    link.sim.setFault(silent);
    update().setLimits({1, 100});
    chooseImage(randomImage(128));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.answer.begin(), c.answer.end()));
        link.sim.clearLog();
        messages.clear();
        onceWhen([this] { return labelIs("Enter Flash-Mode..1"); },
                 [&] { link.sim.sendRaw(c.answer); });
        update().FlashUpdate1Click();
        EXPECT_EQ(sentBlockNumbers(link.sim.receivedBytes()).size(), c.ready ? 1u : 0u);
        EXPECT_EQ(messages, QStringList{QString::fromUtf8(c.giveUp)});
        expectBackToNormal();
    }
}

TEST_F(FirmwareUpdateTest, DecliningSendsNothing) {
    chooseImage(randomImage(128));
    for (const bool declineConfirmation : {true, false}) {
        SCOPED_TRACE(declineConfirmation ? "confirmation" : "file dialog");
        link.sim.clearLog();
        confirmAnswer = !declineConfirmation;
        const QString file = chosenFile;
        if (!declineConfirmation) {
            chosenFile.clear();
        }
        update().FlashUpdate1Click();
        chosenFile = file;
        EXPECT_TRUE(link.sim.receivedBytes().empty());
        EXPECT_FALSE(link.sim.inBootloader());
        expectBackToNormal();
    }
}

// A file that cannot be read (a pipe or a device is not even opened), or that is no image for
// the controller, is reported before the user is asked and before anything is sent.
TEST_F(FirmwareUpdateTest, FileThatCannotBeSentIsReportedAndNothingSent) {
    const auto put = [this](const QString& name, const QByteArray& content) {
        const QString path = link.folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    };
    const QString pipe = link.folder.filePath(QStringLiteral("pipe.BIN"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const struct {
        QString path;
        const char* says;
    } cases[] = {
        {link.folder.filePath(QStringLiteral("missing.BIN")), "no such file"},
        {link.folder.path(), "it is a folder"},
        {pipe, "it is not a regular file"},
        {QStringLiteral("/dev/zero"), "it is not a regular file"},
        {put(QStringLiteral("empty.BIN"), {}), "is not sent: it is empty"},
        {put(QStringLiteral("large.BIN"), QByteArray(128 * 1024 + 1, '\x5A')),
         "is not sent: it has 131073 bytes, more than the controller's flash"},
        {put(QStringLiteral("line2.BIN"), "[ZYLINDER]\r\nLENGTH=500\r\n"),
         "is not sent: it is a parameter file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        messages.clear();
        confirmTexts.clear();
        link.sim.clearLog();
        chosenFile = c.path;
        update().FlashUpdate1Click();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(c.path)) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QLatin1String(c.says))) << messages[0].toStdString();
        EXPECT_TRUE(confirmTexts.isEmpty());
        EXPECT_TRUE(link.sim.receivedBytes().empty());
        expectBackToNormal();
    }
}

// The image is read when it is chosen: the controller gets it whole even if the file goes away.
TEST_F(FirmwareUpdateTest, FileVanishingDuringTheTransferDoesNotCutTheImage) {
    const auto image = randomImage(3 * 128 + 5);
    chooseImage(image);
    onceWhen([this] { return labelStarts("Page: 2/"); },
             [this] { ASSERT_TRUE(QFile::remove(chosenFile)); });
    update().FlashUpdate1Click();
    const auto received = link.sim.receivedImage();
    ASSERT_EQ(received.size(), 4 * 128u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), received.begin()));
    EXPECT_TRUE(messages.isEmpty());
    expectBackToNormal();
}

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
