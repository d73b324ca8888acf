// Saving the editor's values to parameter files and loading them back; block files.

#include "app/pages/ParameterFiles.h"
#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/ServiceMode.h"
#include "app/TForm1.h"
#include "app/pages/EditorControls.h"
#include "app/pages/EditorMapping.h"
#include "app/pages/ParameterTransfer.h"
#include "common/ExampleParameterFile.h"
#include "common/ScratchFile.h"
#include "gui/ParameterFilesWindow.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/RadioGroup.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <gtest/gtest.h>

#include <vector>

#include <sys/stat.h>

using namespace zuvo;
using namespace zuvo::test;

namespace {

TEST_F(ParameterFilesTest, SavesTheExampleByteForByteInADecimalCommaLocale) {
    Window w(kComma);
    w.enterExample();
    w.chosen = path("example"); // no extension: .ZDF is added
    w.form.parameterFiles().SaveToFileClick();
    EXPECT_EQ(w.dialogs, QStringList{"SaveDialog1"});
    EXPECT_TRUE(w.questions.isEmpty()); // a new file needs no question
    EXPECT_TRUE(w.messages.isEmpty());
    EXPECT_EQ(contents(path("example.ZDF")), kExampleFile);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"example.ZDF"});
}

// Parameter files are plain 8-bit text in every locale: ASCII digits and minus, the system's
// decimal point or comma, no group separator; they load back to the same pages.
TEST_F(ParameterFilesTest, SavedBytesAndTheirLoadingInEveryLocale) {
    const struct {
        QLocale locale;
        const char* hysteresis;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "0.25"},
        {QLocale(QLocale::German, QLocale::Germany), "0,25"},
        {QLocale(QLocale::Swedish, QLocale::Sweden), "0,25"},
        {QLocale(QLocale::Finnish, QLocale::Finland), "0,25"},
        {QLocale(QLocale::Arabic, QLocale::Egypt), "0.25"},
        {QLocale(QLocale::Persian, QLocale::Iran), "0.25"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        Window w(c.locale);
        w.enterExample();
        w.control<QSlider>("AnalogPos2")->setValue(500);
        const auto words = w.pageWords();
        w.chosen = path("locale");
        QFile::remove(path("locale.ZDF"));
        w.form.parameterFiles().SaveToFileClick();
        ASSERT_TRUE(w.messages.isEmpty()) << w.messages.join('\n').toStdString();
        QByteArray expected = kExampleFile;
        expected.replace("0,25", c.hysteresis);
        EXPECT_EQ(contents(path("locale.ZDF")), expected);

        Window loaded(c.locale);
        ASSERT_TRUE(loaded.form.parameterFiles().GetDataFromIni(path("locale.ZDF")));
        EXPECT_EQ(loaded.pageWords(), words);
        EXPECT_EQ(loaded.switchPosition(3)->text(), "-1");
        EXPECT_EQ(loaded.edit("Hysterese")->text(), "0" + c.locale.decimalPoint() + "25");
    }
}

// Older versions wrote U+2212 as the minus in some locales; such a "not set" is still not set.
TEST_F(ParameterFilesTest, AnOlderFilesUnicodeMinusReadsAsNotSet) {
    QByteArray old = kExampleFile;
    old.replace("Pos3=-1", "Pos3=\xE2\x88\x92"
                           "1");
    Window w(QLocale(QLocale::Swedish, QLocale::Sweden));
    ASSERT_TRUE(w.form.parameterFiles().GetDataFromIni(put("old.ZDF", old)));
    EXPECT_EQ(w.switchPosition(3)->text(), "-1");
    EXPECT_EQ(w.form.Params.SwitchPositionState[4], PositionNotSet);
    Window saver;
    saver.enterExample();
    EXPECT_EQ(w.pageWords(), saver.pageWords());
}

// Load, save and load again gives the same words and keeps the file's sensor position, for
// either sensor position, with the RPM on either side of the 150-RPM rule, in and out of service
// mode; a second save writes the same bytes.
TEST_F(ParameterFilesTest, LoadSaveLoadKeepsTheWordsAndTheSensorPosition) {
    const struct {
        const char* name;
        QByteArray file;
        int sensorItem;
    } files[] = {
        {"example", kExampleFile, 0},
        {"gear unit without ANLAUF", "[ANALOG]\r\nFunktion=1024\r\n", 1},
        {"gear unit, 100 RPM", "[ANALOG]\r\nFunktion=1536\r\n[ANLAUF]\r\nFunktion2=2731\r\n", 1},
        {"motor axis, 100 RPM", "[ANALOG]\r\nFunktion=0\r\n[ANLAUF]\r\nFunktion2=683\r\n", 0},
    };
    for (const auto& f : files) {
        for (const bool service : {false, true}) {
            SCOPED_TRACE(std::string(f.name) + (service ? ", service mode" : ""));
            Window w;
            w.form.serviceMode().setOn(service);
            ASSERT_TRUE(w.form.parameterFiles().GetDataFromIni(put("first.ZDF", f.file)));
            EXPECT_EQ(w.control<RadioGroup>("AnlaufS")->itemIndex(), f.sensorItem);
            const auto first = w.pageWords();
            EXPECT_EQ((first[2] >> 10) & 1, f.sensorItem); // word 3 as the file says
            w.chosen = path("second.ZDF");
            QFile::remove(w.chosen);
            w.form.parameterFiles().SaveToFileClick();

            Window again;
            again.form.serviceMode().setOn(service);
            ASSERT_TRUE(again.form.parameterFiles().GetDataFromIni(path("second.ZDF")));
            EXPECT_EQ(again.control<RadioGroup>("AnlaufS")->itemIndex(), f.sensorItem);
            EXPECT_EQ(again.pageWords(), first);
            again.chosen = path("third.ZDF");
            QFile::remove(again.chosen);
            again.form.parameterFiles().SaveToFileClick();
            EXPECT_EQ(contents(path("third.ZDF")), contents(path("second.ZDF")));
        }
    }
}

TEST_F(ParameterFilesTest, FileNameRuleAndOverwriteQuestion) {
    Window w;
    w.enterExample();
    const struct {
        const char* chosen;
        const char* written;
    } names[] = {{"a.b", "a.b.ZDF"}, {"set.abc", "set.abc"}, {"plain", "plain.ZDF"}};
    for (const auto& n : names) {
        w.chosen = path(n.chosen);
        w.form.parameterFiles().SaveToFileClick();
        EXPECT_EQ(contents(path(n.written)), kExampleFile) << n.chosen;
    }
    EXPECT_TRUE(w.questions.isEmpty());

    // An existing file: Cancel keeps it as it is, OK replaces the values.
    const QString existing = put("plain.ZDF", "[ZYLINDER]\r\nLENGTH=7\r\n");
    w.chosen = path("plain");
    w.answerOk = false;
    w.form.parameterFiles().SaveToFileClick();
    EXPECT_EQ(w.questions, QStringList{"Confirmation|  Overwrite file ?  "});
    EXPECT_EQ(contents(existing), "[ZYLINDER]\r\nLENGTH=7\r\n");
    w.answerOk = true;
    w.form.parameterFiles().SaveToFileClick();
    EXPECT_EQ(contents(existing), kExampleFile);

    // Cancel in the dialog: nothing at all.
    w.chosen.clear();
    w.form.parameterFiles().SaveToFileClick();
    EXPECT_EQ(w.questions.size(), 2);
    EXPECT_TRUE(w.messages.isEmpty());
}

TEST_F(ParameterFilesTest, SavingKeepsUnknownSectionsKeysAndComments) {
    const QString file = put("kept.ZDF", "; cylinder 4711\r\n[EXTRA]\r\nOwner=Plant 3\r\n"
                                         "[zylinder]\r\nlength=7\r\nNOTE=spare\r\n\r\n"
                                         "[POSITION]\r\nPos1=5\r\n");
    Window w;
    w.enterExample();
    w.chosen = file;
    w.form.parameterFiles().SaveToFileClick();
    const QByteArray saved = contents(file);
    EXPECT_TRUE(saved.startsWith("; cylinder 4711\r\n[EXTRA]\r\nOwner=Plant 3\r\n"
                                 "[zylinder]\r\nLENGTH=500\r\nNOTE=spare\r\nGEAR=60\r\n"
                                 "DIRECTION=1\r\n\r\n[POSITION]\r\nPos1=100\r\nPos2=200\r\n"))
        << saved.toStdString();
    EXPECT_EQ(saved.count("LENGTH"), 1);
    EXPECT_TRUE(saved.endsWith("[ANLAUF]\r\nFunktion1=3082\r\nFunktion2=9557\r\n"));
}

TEST_F(ParameterFilesTest, LoadsTheExampleOntoThePagesInEitherNotation) {
    QByteArray withPoints = kExampleFile;
    withPoints.replace("0,25", "0.25");
    for (const QByteArray& content : {kExampleFile, withPoints}) {
        for (const QLocale& locale : {kComma, kPoint}) {
            Window w(locale);
            const QString sep = locale.decimalPoint();
            w.chosen = put("load", content); // opened as load.ZDF
            put("load.ZDF", content);
            w.form.link().setAutoReadBlock(true);
            w.control<QPushButton>("ReadParam")->setEnabled(false);
            w.form.parameterFiles().ReadFromFileClick();
            EXPECT_EQ(w.dialogs, QStringList{"OpenDialog1"});
            ASSERT_TRUE(w.messages.isEmpty()) << w.messages.join('\n').toStdString();

            EXPECT_EQ(w.edit("Laenge")->text(), "500");
            EXPECT_EQ(w.control<QLabel>("LabelLaength")->text(), "500mm");
            EXPECT_EQ(w.edit("Turns")->text(), "60");
            EXPECT_TRUE(w.control<QRadioButton>("TB")->isChecked());
            EXPECT_EQ(w.edit("Hysterese")->text(), "0" + sep + "25");
            EXPECT_EQ(w.switchPosition(1)->text(), "100");
            EXPECT_EQ(w.switchPosition(2)->text(), "200");
            EXPECT_EQ(w.switchPosition(3)->text(), "-1");
            EXPECT_EQ(w.control<QSlider>("AnalogPos2")->value(), 500);
            EXPECT_EQ(w.control<QSlider>("AnalogPos1")->value(), 0);
            EXPECT_EQ(w.control<QComboBox>("AnalogComboBox1")->currentText(), "20..4mA");
            EXPECT_EQ(w.control<RadioGroup>("AnlaufE")->itemIndex(), 1);
            EXPECT_EQ(w.control<QSlider>("AnlaufZ1")->value(), 10);
            EXPECT_EQ(w.control<QSlider>("AnlaufZ2")->value(), 12);
            EXPECT_EQ(w.edit("Anlauf1")->text(), "1400");
            EXPECT_EQ(w.grid(1, 1)->value(), 1);
            EXPECT_EQ(w.grid(2, 2)->value(), 1);
            EXPECT_EQ(w.grid(1, 3)->value(), 0);
            EXPECT_EQ(w.grid(1, 4)->value(), 2); // segment 4 follows a switch position not set
            EXPECT_TRUE(w.control<QPushButton>("ReadParam")->isEnabled());
            EXPECT_FALSE(w.form.link().snapshot().state.AutoReadParams);

            // The pages give back the words of the window that saved the file.
            Window saver(locale);
            saver.enterExample();
            EXPECT_EQ(w.pageWords(), saver.pageWords()) << locale.name().toStdString();
        }
    }
}

TEST_F(ParameterFilesTest, LoadWithoutAnlaufAndWithImpulses128) {
    const struct {
        const char* analogFunktion;
        const char* rpm;
        const char* impulses;
    } cases[] = {{"0", "3000", "32"}, {"1024", "750", "32"}, {"128", "3000", "128"}};
    for (const auto& c : cases) {
        Window w;
        const QString file =
            put("short.ZDF", QByteArray("[ANALOG]\r\nFunktion=") + c.analogFunktion + "\r\n");
        ASSERT_TRUE(w.form.parameterFiles().GetDataFromIni(file));
        EXPECT_EQ(w.control<QSlider>("AnlaufZ1")->value(), 10) << c.analogFunktion;
        EXPECT_EQ(w.control<QSlider>("AnlaufZ2")->value(), 10);
        EXPECT_EQ(w.form.Params.Slots[14], 2570);
        EXPECT_EQ(w.edit("Anlauf1")->text(), c.rpm) << c.analogFunktion;
        EXPECT_EQ(w.control<QComboBox>("ISpur")->currentText(), c.impulses);
        // Keys that are missing take their defaults.
        EXPECT_EQ(w.edit("Laenge")->text(), "1000");
        EXPECT_EQ(w.edit("Hysterese")->text(), "1");
        EXPECT_EQ(w.switchPosition(1)->text(), "-1");
    }
}

TEST_F(ParameterFilesTest, BlockFilesAreOnlyChecked) {
    auto words = [](std::initializer_list<std::uint16_t> list) {
        QByteArray bytes;
        for (std::uint16_t v : list) {
            bytes.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
        }
        return bytes;
    };
    const struct {
        const char* name;
        QByteArray content;
        bool valid;
    } cases[] = {
        {"good.dat", words({1, 2, 3, 4, 5, 6, 21}), true},
        {"upper.DAT", words({1, 2, 3, 4, 5, 6, 21}), true},
        {"odd.dat", words({1, 2, 3, 4, 5, 6, 21}) + "x", true},
        {"sum.dat", words({1, 2, 3, 4, 5, 6, 20}), false},
        {"eight.dat", words({1, 2, 3, 4, 5, 6, 7, 28}), false},
        {"empty.dat", QByteArray(), false},
        {"one.dat", QByteArray("\x01", 1), false},
        {"tworows0.dat", words({7, 7}), true}, // c = 0: the second word sums the first
        {"twobad.dat", words({7, 8}), false},
        {"long.dat", QByteArray(10000, '\x01'), false},
    };
    for (const auto& c : cases) {
        Window w;
        w.form.link().setAutoReadBlock(true);
        w.control<QPushButton>("ReadParam")->setEnabled(false);
        w.form.Params.Slots[1] = 1234;
        const auto before = w.form.Params.Slots;
        const QString laenge = w.edit("Laenge")->text();

        EXPECT_EQ(w.form.parameterFiles().GetDataFromIni(put(c.name, c.content)), c.valid)
            << c.name;
        EXPECT_EQ(w.messages, c.valid ? QStringList{} : QStringList{"Bad Parameterblock! "})
            << c.name;
        EXPECT_EQ(w.form.link().snapshot().state.AutoReadParams, !c.valid) << c.name;
        EXPECT_EQ(w.control<QPushButton>("ReadParam")->isEnabled(), c.valid) << c.name;
        EXPECT_EQ(w.form.Params.Slots, before) << c.name;
        EXPECT_EQ(w.edit("Laenge")->text(), laenge);
    }
}

TEST_F(ParameterFilesTest, AByteOrderMarkDoesNotHideTheFirstSection) {
    Window w;
    const QString file = put("bom.ZDF", "\xEF\xBB\xBF" + kExampleFile);
    ASSERT_TRUE(w.form.parameterFiles().GetDataFromIni(file));
    EXPECT_EQ(w.edit("Laenge")->text(), "500");
    EXPECT_EQ(w.edit("Turns")->text(), "60");
    // Saving into it keeps the mark and replaces the keys in place.
    w.chosen = file;
    w.form.parameterFiles().SaveToFileClick();
    EXPECT_EQ(contents(file), "\xEF\xBB\xBF" + kExampleFile);
}

TEST_F(ParameterFilesTest, FailedSaveSaysSoAndLeavesNoFile) {
    Window w;
    w.enterExample();
    QDir(dir.path()).mkdir("taken.ZDF");
    for (const QString& target : {path("gone/set.ZDF"), path("taken.ZDF")}) {
        w.messages.clear();
        w.chosen = target;
        w.form.parameterFiles().SaveToFileClick();
        ASSERT_EQ(w.messages.size(), 1) << target.toStdString();
        EXPECT_TRUE(w.messages.front().contains("Cannot save"));
    }
    EXPECT_FALSE(QFileInfo::exists(path("gone")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});

    // Pages that cannot make a block are not saved either.
    w.messages.clear();
    w.edit("Turns")->setText("");
    w.chosen = path("invalid");
    w.form.parameterFiles().SaveToFileClick();
    EXPECT_EQ(w.messages.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(path("invalid.ZDF")));
}

TEST_F(ParameterFilesTest, FileNamedAtStartIsShownAndNotReadOverByTheDevice) {
    const QString file = put("start.ZDF", kExampleFile);
    {
        Window w;
        w.form.parameterFiles().loadAtStart(file);
        EXPECT_FALSE(w.form.link().snapshot().state.ParamReadPending);
        EXPECT_EQ(w.edit("Laenge")->text(), "500");
        // The analog reactions ran once: their labels show the loaded range.
        EXPECT_TRUE(w.control<QLabel>("L_UP")->text().contains("500"))
            << w.control<QLabel>("L_UP")->text().toStdString();
    }
    {
        Window w;
        w.form.parameterFiles().loadAtStart(put("bad.ZDF", "garbage"));
        EXPECT_TRUE(w.form.link().snapshot().state.ParamReadPending);
        EXPECT_EQ(w.messages.size(), 1);
    }
}

} // namespace
