// The firmware transfer checked by an independent XMODEM receiver: lrzsz's rx takes the image
// from the program over a pseudo-terminal, started by a relay when the program sends FL.

#include "SimulatedLink.h"
#include "app/TForm1.h"
#include "app/service/FirmwareUpdate.h"
#include "common/RxRelay.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuvo;
using zuvo::test::RxRelay;

namespace {

TEST(FirmwareUpdateLrzsz, RxReceivesTheImagePaddedWithErasedFlash) {
    const QString rx = QStandardPaths::findExecutable(QStringLiteral("rx"));
    if (rx.isEmpty()) {
        GTEST_SKIP() << "rx (Debian package lrzsz, installed by scripts/deps) is not installed";
    }
    QTemporaryDir folder;
    const QString received = folder.filePath(QStringLiteral("received.bin"));
    RxRelay relay(rx.toStdString(), folder.path().toStdString(), "received.bin");
    PortMap::global().setOverride(1, QString::fromStdString(relay.programSide()));

    QByteArray image;
    for (int i = 0; i < 3 * 128 + 40; ++i) {
        image.append(static_cast<char>((i * 37 + 11) & 0xFF));
    }
    const QString imagePath = folder.filePath(QStringLiteral("image.BIN"));
    {
        QFile file(imagePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(image);
    }

    QStringList messages;
    {
        TForm1 form;
        EXPECT_TRUE(form.link().openPort(1).opened);
        FirmwareUpdate::Hooks hooks;
        hooks.confirm = [](const QString&) { return true; };
        hooks.chooseFile = [&] { return imagePath; };
        hooks.message = [&](const QString& text) { messages << text; };
        form.firmwareUpdate().setHooks(hooks);
        // A receiver that never answers fails the test in seconds, not after 1000 rounds.
        form.firmwareUpdate().setLimits({10, 100});
        form.firmwareUpdate().FlashUpdate1Click();
        EXPECT_TRUE(test::runUntil([&] { return relay.finished(); }, 10000));
    }
    PortMap::global().clearOverrides();

    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    ASSERT_TRUE(relay.finished());
    EXPECT_TRUE(WIFEXITED(relay.exitStatus()) && WEXITSTATUS(relay.exitStatus()) == 0)
        << "rx status " << relay.exitStatus();
    QFile file(received);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray padded = image;
    padded.append(4 * 128 - image.size(), static_cast<char>(0xFF));
    EXPECT_EQ(file.readAll(), padded);
}

} // namespace
