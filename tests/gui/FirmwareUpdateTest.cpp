// The firmware update against the simulated controller's bootloader.

#include "gui/FirmwareUpdateFixture.h"

using namespace zuvo;
using namespace zuvo::test;

namespace {

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

} // namespace
