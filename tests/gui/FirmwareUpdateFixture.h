#pragma once
// The window on the simulated controller, its update's questions answered by the test: the
// fixture of the firmware update's tests, with the images and what the bootloader received.

#include "SimulatedLink.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/service/FirmwareUpdate.h"
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
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <vector>

namespace zuvo::test {

inline constexpr std::uint8_t kFl[] = {0x02, 'F', 'L', 0x03};

inline std::vector<std::uint8_t> randomImage(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::vector<std::uint8_t> image(size);
    for (auto& byte : image) {
        byte = static_cast<std::uint8_t>(random());
    }
    return image;
}

// The numbers of the blocks the program sent, in order: every SOH at a block boundary after FL.
inline std::vector<int> sentBlockNumbers(const std::vector<std::uint8_t>& sent) {
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

} // namespace zuvo::test
