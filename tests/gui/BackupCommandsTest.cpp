// The window's writes keep the controller's settings safe: "Send Parameter-Block" and the
// firmware update back the block up first and the send reads it back; "Restore Backup..." sends
// a backup's words as stored; "Compare with File..." shows the controller beside a file.

#include "app/pages/BackupCommands.h"
#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/TForm1.h"
#include "app/live/ReceiveDispatcher.h"
#include "app/pages/ComparisonDialog.h"
#include "app/pages/ParameterFiles.h"
#include "app/pages/ParameterTransfer.h"
#include "app/service/FirmwareUpdate.h"
#include "device/HexField.h"
#include "params/BackupStore.h"
#include "params/EditorText.h"
#include "params/ParameterBlock.h"
#include "params/ZdfContent.h"
#include "widgets/TColor.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace zuvo;
using zuvo::test::SimulatedLink;

namespace {

class BackupCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::startOnQuietLink(form));
        const auto collect = [this](const QString& text) { messages << text; };
        form.parameterTransfer().prompts.message = collect;
        commands().prompts.message = collect;
        commands().prompts.confirm = [this](const QString& text, const QString&) {
            questions << text;
            return true;
        };
        commands().showComparison = [this](const std::vector<ComparisonRow>& rows, const QString&) {
            shownRows = rows;
        };
        for (int i = 1; i < 36; ++i) {
            link.sim.setParameterWord(i, static_cast<std::uint16_t>(i == 1 ? 1500 : 10 + i));
        }
        // The switch positions' high words 0: positions of a few counts, within the stroke.
        for (int i = 21; i < 36; i += 2) {
            link.sim.setParameterWord(i, 0);
        }
        link.sim.setParameterWord(2, 1000);
        ASSERT_TRUE(test::readControllerBlock(form.link()));
        link.sim.clearLog();
    }

    BackupCommands& commands() { return form.backupCommands(); }

    std::vector<std::uint16_t> controllerWords() const {
        std::vector<std::uint16_t> words;
        for (int i = 0; i < 36; ++i) {
            words.push_back(link.sim.parameterWord(i));
        }
        return words;
    }

    std::size_t writes() const { return test::requestsStartingWith(link.sim, "SP").size(); }

    std::vector<BackupEntry> backups() const { return listBackups(defaultBackupFolder()); }

    QColor panelColor() const {
        return form.findChild<QFrame*>("Panel1")->palette().color(QPalette::Window);
    }
    QString status() const { return form.findChild<QStatusBar*>("StatusBar1")->currentMessage(); }
    QLineEdit* edit(const char* name) const { return form.findChild<QLineEdit*>(name); }

    QString writeFile(const QString& name, const QByteArray& content) const {
        const QString path = link.folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    SimulatedLink link;
    TForm1 form;
    QStringList messages;
    QStringList questions;
    std::vector<ComparisonRow> shownRows;
};

TEST_F(BackupCommandsTest, ASendBacksTheOldBlockUpAndReadsTheNewOneBack) {
    const std::vector<std::uint16_t> before = controllerWords();
    edit("Laenge")->setText("800");
    QTest::mouseClick(form.findChild<QPushButton*>("SaveParam"), Qt::LeftButton);

    EXPECT_EQ(status(), "Parameter-Block sent and verified");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(panelColor(), tcolor(tc::White));
    EXPECT_EQ(link.sim.parameterWord(1), 800);
    const std::vector<std::string> requests = link.sim.requests();
    ASSERT_EQ(requests.size(), 37u);
    EXPECT_EQ(requests.back(), "PV") << "the read-back follows the last word";

    const std::vector<BackupEntry> found = backups();
    ASSERT_EQ(found.size(), 1u);
    const IniFile ini(found[0].path);
    const BlockSectionRead read = readBlockSection(ini, 36);
    ASSERT_TRUE(read) << read.problem.toStdString();
    EXPECT_EQ(read.backup->words, before);
    EXPECT_EQ(read.backup->port, 1);
    EXPECT_EQ(readZdf(ini).strokeMm, 1500) << "the editor's sections hold the old block too";
    // The pages keep what was sent.
    EXPECT_EQ(edit("Laenge")->text(), "800");
}

TEST_F(BackupCommandsTest, AWordStoredWronglyTurnsPanel1RedAndIsListed) {
    link.sim.setCorruptWord(3);
    form.parameterTransfer().SaveParamClick();
    EXPECT_EQ(panelColor(), tcolor(tc::Red));
    ASSERT_EQ(messages.size(), 1);
    const std::uint16_t sent = form.Params.Slots[3];
    EXPECT_TRUE(messages[0].contains(QString("Word 3: sent %1 (%2), read back %3 (%4)")
                                         .arg(sent)
                                         .arg(QString::fromStdString(hexField(sent, 4)))
                                         .arg(sent + 1)
                                         .arg(QString::fromStdString(hexField(sent + 1u, 4)))))
        << messages[0].toStdString();
    EXPECT_NE(status(), "Parameter-Block sent and verified");
}

TEST_F(BackupCommandsTest, WithoutABackupFolderNothingIsSentAndTheBlockStays) {
    const QString folder = defaultBackupFolder();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).path()));
    writeFile(QStringLiteral("data/ZUVO/backups"), "not a folder");
    edit("Laenge")->setText("800");
    const ParameterBlock before = form.Params;
    form.parameterTransfer().SaveParamClick();

    EXPECT_EQ(writes(), 0u);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("Nothing was sent")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("is a file")) << messages[0].toStdString();
    EXPECT_EQ(form.Params.Slots, before.Slots);
    EXPECT_EQ(panelColor(), tcolor(tc::White));
    EXPECT_EQ(link.sim.parameterWord(1), 1500);
}

TEST_F(BackupCommandsTest, ARestoreSendsTheBackupsWordsVerifiesAndShowsThem) {
    form.parameterTransfer().prompts.message = [](const QString&) {};
    edit("Laenge")->setText("800");
    form.parameterTransfer().SaveParamClick();
    ASSERT_EQ(link.sim.parameterWord(1), 800);
    const std::vector<BackupEntry> found = backups();
    ASSERT_EQ(found.size(), 1u);

    link.sim.clearLog();
    EXPECT_TRUE(commands().restore(found[0].path));
    ASSERT_EQ(questions.size(), 1);
    for (const char* shown : {"Port:\tCOM1", "Stroke:\t1500 mm", "Turns:\t100", "36 words"}) {
        EXPECT_TRUE(questions[0].contains(shown)) << shown << "\n" << questions[0].toStdString();
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(status(), "Parameter-Block sent and verified");
    const BlockSectionRead stored = readBlockSection(IniFile(found[0].path), 36);
    ASSERT_TRUE(stored);
    for (int i = 1; i < 36; ++i) {
        EXPECT_EQ(link.sim.parameterWord(i), stored.backup->words[static_cast<std::size_t>(i)])
            << i;
    }
    EXPECT_EQ(edit("Laenge")->text(), "1500") << "the pages show the restored block";
    // The restore backed up the block it replaced.
    EXPECT_EQ(backups().size(), 2u);
}

TEST_F(BackupCommandsTest, ABackupThatDoesNotFitIsRefusedBeforeAnythingIsAsked) {
    const QString plain = writeFile("plain.ZDF", "[ZYLINDER]\nLENGTH=100\n");
    QByteArray shortBlock = "[BLOCK]\nTime=2024-05-01T14:03:07+02:00\nPort=COM1\nDevice=/dev/x\n"
                            "FirmwareVersion=60\nWords=35\n";
    for (int i = 0; i < 35; ++i) {
        shortBlock += "Word" + QByteArray::number(i) + "=1\n";
    }
    shortBlock += "Calibration10V=1\nCalibration4mA=1\n";
    const QString short35 = writeFile("short.ZDF", shortBlock);
    for (const QString& path : {plain, short35}) {
        SCOPED_TRACE(path.toStdString());
        messages.clear();
        EXPECT_FALSE(commands().restore(path));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains("cannot be restored")) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains("Nothing was sent"));
    }
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_TRUE(link.sim.requests().empty());
}

TEST_F(BackupCommandsTest, TheComparisonMarksTheRowsThatDifferAndCopiesAsText) {
    // A file saved from the controller's block with one value changed.
    form.parameterFiles().prompts.message = [](const QString&) {};
    form.receiveDispatcher().applyBlock(*form.link().blockOfThisOpening());
    edit("Hysterese")->setText(QStringLiteral("2") + systemDecimalSeparator() + "50");
    const QString path = link.folder.filePath("site.ZDF");
    ASSERT_TRUE(form.parameterFiles().saveTo(path));

    commands().compareWith(path);
    QStringList differing;
    for (const ComparisonRow& row : shownRows) {
        if (row.differs) {
            differing << row.label;
        }
    }
    EXPECT_EQ(differing, QStringList{"Hysteresis"});
    EXPECT_TRUE(link.sim.requests().empty()) << "the block was known";

    ComparisonDialog dialog(shownRows, "site.ZDF");
    QTableWidget* table = dialog.table();
    ASSERT_EQ(table->rowCount(), static_cast<int>(shownRows.size()));
    for (int r = 0; r < table->rowCount(); ++r) {
        EXPECT_EQ(table->item(r, 1)->font().bold(), shownRows[static_cast<std::size_t>(r)].differs)
            << r;
    }
    dialog.findChild<QPushButton*>("CopyButton")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), dialog.text());
    EXPECT_TRUE(dialog.text().contains("* Hysteresis")) << dialog.text().toStdString();
}

TEST_F(BackupCommandsTest, TheUpdateBacksUpBeforeFlOrDoesNotStart) {
    const QString image = writeFile("image.BIN", QByteArray(128, '\x11'));
    QStringList updateMessages;
    QStringList confirmations;
    bool answer = false;
    FirmwareUpdate::Hooks hooks;
    hooks.confirm = [&](const QString& text) {
        confirmations << text;
        return confirmations.size() == 1 || answer;
    };
    hooks.chooseFile = [&image] { return image; };
    hooks.message = [&](const QString& text) { updateMessages << text; };
    form.firmwareUpdate().setHooks(hooks);

    // A folder that cannot take the backup: the update does not start.
    ASSERT_TRUE(QDir().mkpath(link.folder.filePath("data")));
    writeFile("data/ZUVO", "not a folder");
    form.firmwareUpdate().FlashUpdate1Click();
    ASSERT_EQ(updateMessages.size(), 1);
    EXPECT_TRUE(updateMessages[0].startsWith("The update was not started"))
        << updateMessages[0].toStdString();
    EXPECT_TRUE(link.sim.receivedBytes().empty());
    QFile::remove(link.folder.filePath("data/ZUVO"));

    // A controller that does not answer the read: the user decides; declined, nothing more.
    // The block read before is of the last opening.
    ASSERT_TRUE(form.link().reopenPort().opened);
    link.sim.setAnswersBlockRead(false);
    confirmations.clear();
    link.sim.clearLog();
    form.firmwareUpdate().FlashUpdate1Click();
    ASSERT_EQ(confirmations.size(), 2);
    EXPECT_TRUE(confirmations[1].contains("could not be saved")) << confirmations[1].toStdString();
    EXPECT_EQ(link.sim.requests(), std::vector<std::string>{"PV"});
    EXPECT_FALSE(link.sim.inBootloader());

    // Answered: the block is read and backed up, then FL goes out.
    link.sim.setAnswersBlockRead(true);
    confirmations.clear();
    link.sim.clearLog();
    form.firmwareUpdate().FlashUpdate1Click();
    ASSERT_EQ(confirmations.size(), 1);
    const std::vector<std::string> requests = link.sim.requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0], "PV");
    EXPECT_EQ(requests[1], "FL");
    EXPECT_EQ(backups().size(), 1u);
    EXPECT_EQ(link.sim.completedUpdates(), 1);
}

} // namespace
