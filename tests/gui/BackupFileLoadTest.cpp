// A backup is a parameter file with one more section: "Read from File" loads it like the same
// file without that section.

#include "EditorPagesTestFixture.h"
#include "app/pages/ParameterFiles.h"
#include "common/ScratchFile.h"

#include <QAbstractButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuvo;

namespace {

const QByteArray kEditorSections = "[ZYLINDER]\r\nLENGTH=500\r\nGEAR=60\r\nDIRECTION=0\r\n"
                                   "[OUTPUT]\r\nHYSTERESIS=0,25\r\nFunktion1=1\r\nFunktion2=2\r\n"
                                   "[ANALOG]\r\nFunktion=517\r\n"
                                   "[ANLAUF]\r\nFunktion1=3082\r\nFunktion2=9557\r\n"
                                   "[POSITION]\r\nPos1=100\r\nPos2=200,5\r\nAnalog1=10\r\n"
                                   "Analog2=400\r\n";

// Keys that a careless reader would take for the editor's.
const QByteArray kBlockSection = "[BLOCK]\r\nTime=2024-05-01T12:00:00+02:00\r\nPort=COM1\r\n"
                                 "Device=/dev/ttyUSB0\r\nFirmwareVersion=60\r\nWords=16\r\n"
                                 "Word0=0\r\nWord1=999\r\nWord2=10\r\nWord3=7\r\nWord4=1\r\n"
                                 "Word5=63\r\nWord6=0\r\nWord7=0\r\nWord8=0\r\nWord9=0\r\n"
                                 "Word10=0\r\nWord11=0\r\nWord12=0\r\nWord13=0\r\nWord14=0\r\n"
                                 "Word15=0\r\nCalibration10V=1000\r\nCalibration4mA=200\r\n"
                                 "LENGTH=7\r\nFunktion1=99\r\nPos1=3\r\nZERO=5\r\n";

// Everything a loaded file can change: the block, the position table and every editor control.
QStringList loadedState(test::EditorPages& pages) {
    QStringList state;
    const ParameterBlock& p = pages.form.Params;
    for (std::size_t i = 0; i < p.Slots.size(); ++i) {
        state << QStringLiteral("word %1 = %2").arg(i).arg(p.Slots[i]);
    }
    for (std::size_t j = 0; j < p.SwitchPositionCounts.size(); ++j) {
        state << QStringLiteral("position %1 = %2 %3")
                     .arg(j)
                     .arg(p.SwitchPositionCounts[j])
                     .arg(p.SwitchPositionState[j]);
    }
    for (const QLineEdit* e : pages.form.findChildren<QLineEdit*>()) {
        state << e->objectName() + QStringLiteral(" = ") + e->text();
    }
    for (const QSlider* s : pages.form.findChildren<QSlider*>()) {
        state << s->objectName() + QStringLiteral(" = ") + QString::number(s->value());
    }
    for (const QAbstractButton* b : pages.form.findChildren<QAbstractButton*>()) {
        state << b->objectName() + QStringLiteral(" checked ") + QString::number(b->isChecked());
    }
    for (const QComboBox* c : pages.form.findChildren<QComboBox*>()) {
        state << c->objectName() + QStringLiteral(" = ") + QString::number(c->currentIndex());
    }
    return state;
}

QStringList loadedFrom(const QString& path) {
    test::EditorPages pages;
    QStringList messages;
    pages.form.parameterFiles().prompts.message = [&](const QString& m) { messages << m; };
    EXPECT_TRUE(pages.form.parameterFiles().GetDataFromIni(path)) << path.toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    return loadedState(pages);
}

} // namespace

TEST(BackupFileLoad, ABackupLoadsLikeTheSameFileWithoutItsBlockSection) {
    QTemporaryDir dir;
    const QStringList plain = loadedFrom(
        test::writeScratchFile(dir.filePath(QStringLiteral("plain.ZDF")), kEditorSections));
    ASSERT_TRUE(plain.contains(QStringLiteral("word 1 = 500")));
    for (const QByteArray& content :
         {kEditorSections + kBlockSection, kBlockSection + kEditorSections}) {
        const QString path =
            test::writeScratchFile(dir.filePath(QStringLiteral("backup.ZDF")), content);
        EXPECT_EQ(loadedFrom(path), plain) << content.left(8).toStdString();
    }
}
