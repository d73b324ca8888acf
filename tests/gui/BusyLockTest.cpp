// While the block is being sent, the user's actions that could write to the port or change the
// values are refused: whatever is pressed, the controller receives the send's words and its
// read-back and nothing else, and stores the words that were on the pages when Send was pressed.

#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/ServiceMode.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "app/pages/BackupCommands.h"
#include "app/pages/EditorMapping.h"
#include "app/pages/ParameterFiles.h"
#include "app/pages/ParameterTransfer.h"
#include "app/service/FirmwareUpdate.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

using namespace zuvo;
using zuvo::test::runUntil;
using zuvo::test::SimulatedLink;

namespace {

constexpr std::size_t kWords = 36;
const QString Busy = QStringLiteral(" Controller busy: Send Parameter-Block is running ");

sim::SimOptions slowAcknowledges() {
    sim::SimOptions options = test::standingStill();
    options.faults.ackDelayMs = 30;
    return options;
}

class BusyLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::startOnQuietLink(form));
        ASSERT_TRUE(test::readControllerBlock(form.link()));
        // The service items are shown, so that the user can reach them.
        form.serviceMode().setOn(true);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

        // Should a refusal fail, nothing waits for a user who is not there.
        form.parameterFiles().prompts.chooseFile = [this](QFileDialog&) {
            return link.folder.filePath(QStringLiteral("other.ZDF"));
        };
        form.parameterFiles().prompts.message = [](const QString&) {};
        form.backupCommands().prompts.chooseFile = form.parameterFiles().prompts.chooseFile;
        form.backupCommands().prompts.message = [](const QString&) {};
        form.backupCommands().prompts.confirm = [](const QString&, const QString&) { return true; };
        form.parameterTransfer().prompts.message = [](const QString&) {};
        FirmwareUpdate::Hooks hooks;
        hooks.confirm = [](const QString&) { return true; };
        hooks.chooseFile = [] { return QString(); };
        hooks.message = [](const QString&) {};
        form.firmwareUpdate().setHooks(hooks);
        dialog.setMessageFn([](const QString&, const QString&) {});
        link.sim.clearLog();
    }

    template <typename T> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            found = dialog.findChild<T*>(QString::fromLatin1(name));
        }
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    SimulatedLink link{slowAcknowledges()};
    TForm1 form;
    TForm2 dialog{&form};
};

// A click with the mouse, as the user makes it.
void press(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// The item picked from its menu with the mouse.
void pick(QAction* action) {
    QMenu* menu = nullptr;
    for (QObject* shownIn : action->associatedObjects()) {
        menu = menu != nullptr ? menu : qobject_cast<QMenu*>(shownIn);
    }
    ASSERT_NE(menu, nullptr);
    menu->popup(QPoint(20, 20));
    const QRect item = menu->actionGeometry(action);
    ASSERT_TRUE(item.isValid()) << action->text().toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, item.center());
    menu->close();
}

} // namespace

TEST_F(BusyLockTest, ActionsDuringASendAreRefusedAndTheControllerGetsOnlyTheSend) {
    const std::vector<std::pair<const char*, std::function<void()>>> attempts = {
        {"Read Parameter-Block", [this] { press(control<QAbstractButton>("ReadParam")); }},
        {"Read from File", [this] { pick(control<QAction>("ReadfromINIFile1")); }},
        {"Restore Backup", [this] { pick(control<QAction>("RestoreBackup1")); }},
        {"relay 1", [this] { press(control<QAbstractButton>("Button2")); }},
        {"relay 2", [this] { press(control<QAbstractButton>("Button3")); }},
        {"Set Zero Position", [this] { press(control<QAbstractButton>("LMDButton1")); }},
        {"COM-port dialog OK", [this] { press(control<QAbstractButton>("Button1")); }},
        {"COM-port dialog Tie", [this] { press(control<QAbstractButton>("TieButton")); }},
        {"Flash Update", [this] { pick(control<QAction>("FlashUpdate1")); }},
    };
    QStatusBar* status = form.findChild<QStatusBar*>("StatusBar1");
    auto* stroke = form.findChild<QLineEdit*>("Laenge");
    int round = 0;
    for (const auto& [name, attempt] : attempts) {
        SCOPED_TRACE(name);
        // Each send writes other words than the controller holds.
        stroke->setText(QString::number(400 + 10 * ++round));
        form.editorMapping().SetVars();
        std::array<std::uint16_t, kWords + 1> onThePages{};
        for (std::size_t n = 1; n <= kWords; ++n) {
            onThePages[n] = form.Params.Slots[n];
        }
        link.sim.clearLog();
        status->clearMessage();

        // The user acts while word 3 waits for its acknowledge.
        QString said;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &form, [&] {
            if (test::requestsStartingWith(link.sim, "SP").size() >= 3) {
                watch.stop();
                attempt();
                said = status->currentMessage();
            }
        });
        watch.start(1);
        press(control<QAbstractButton>("SaveParam"));
        ASSERT_FALSE(watch.isActive()) << "the send ended before the action";
        EXPECT_EQ(said, Busy);

        // The next poll comes and goes: nothing that was asked for follows the send either.
        const std::size_t afterSend = link.sim.requestCount();
        ASSERT_TRUE(runUntil([&] { return link.sim.requestCount() > afterSend; }, 3000));
        const std::vector<std::string> requests = link.sim.requests();
        ASSERT_EQ(requests.size(), kWords + 2);
        for (std::size_t i = 0; i < kWords; ++i) {
            EXPECT_TRUE(requests[i].starts_with("SP")) << requests[i];
        }
        EXPECT_EQ(requests[kWords], "PV") << "the read-back";
        EXPECT_TRUE(requests[kWords + 1] == "RV" || requests[kWords + 1] == "RX")
            << "a poll, not " << requests[kWords + 1];
        for (std::size_t n = 1; n <= kWords; ++n) {
            EXPECT_EQ(link.sim.parameterWord(static_cast<int>(n)), onThePages[n]) << "word " << n;
        }
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(form.link().snapshot().exchangeRunning);
    }
}
