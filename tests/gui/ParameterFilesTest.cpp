// Saving the editor's values to parameter files and loading them back; block files.

#include "app/pages/ParameterFiles.h"
#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/ServiceMode.h"
#include "app/TForm1.h"
#include "app/live/ReceiveDispatcher.h"
#include "app/pages/EditorControls.h"
#include "app/pages/EditorMapping.h"
#include "app/pages/ParameterTransfer.h"
#include "common/ExampleParameterFile.h"
#include "common/ScratchFile.h"
#include "device/ReplyFrames.h"
#include "gui/WindowInLocale.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/RadioGroup.h"
#include "widgets/TColor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <sys/stat.h>

using namespace zuvo;

namespace {

const QLocale kComma(QLocale::German, QLocale::Germany);
const QLocale kPoint(QLocale::English, QLocale::UnitedStates);

// The file the example set is saved as in a decimal-comma locale.
const QByteArray& kExampleFile = zuvo::test::kExampleParameterFile;

// One window in a chosen locale, its prompts answered by the test.
class Window {
public:
    explicit Window(const QLocale& locale = kComma) : previous_(QLocale()) {
        QLocale::setDefault(locale);
        ParameterFiles& files = form.parameterFiles();
        files.prompts.chooseFile = [this](QFileDialog& dialog) {
            dialogs << dialog.objectName();
            return chosen;
        };
        files.prompts.confirm = [this](const QString& text, const QString& caption) {
            questions << caption + "|" + text;
            return answerOk;
        };
        files.prompts.message = [this](const QString& text) { messages << text; };
    }
    ~Window() { QLocale::setDefault(previous_); }

    template <class T> T* control(const char* name) {
        T* c = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
    QLineEdit* switchPosition(int k) { return form.editorMapping().controls().switchPosition(k); }
    PictureToggleButton* grid(int r, int c) {
        return form.editorMapping().controls().gridButton(r, c);
    }

    // The example set: stroke 500, 60 turns, clockwise, hysteresis 0.25 mm, segment masks 1, 2,
    // flags 0x0205, delays 1.0 s and 1.2 s, 1400 RPM on the motor axis, switch positions 100 and
    // 200 mm, analog range 0..500 mm.
    void enterExample() {
        edit("Laenge")->setText("500");
        edit("Turns")->setText("60");
        // Positions first: their reactions redraw the grid and the analog box from the words.
        const char* positions[] = {"100", "200", "-1", "-1", "-1", "-1", "-1", "-1"};
        for (int k = 1; k <= 8; ++k) {
            switchPosition(k)->setText(positions[k - 1]);
        }
        control<QSlider>("AnalogPos2")->setValue(500);
        control<QSlider>("AnalogPos1")->setValue(0);
        control<QRadioButton>("TB")->setChecked(true);
        edit("Hysterese")->setText(QStringLiteral("0") + QLocale().decimalPoint() + "25");
        grid(1, 1)->setValue(1);
        grid(2, 2)->setValue(1);
        control<QComboBox>("AnalogComboBox1")->setCurrentIndex(5);
        control<RadioGroup>("AnlaufE")->setItemIndex(1);
        control<QSlider>("AnlaufZ1")->setValue(10);
        control<QSlider>("AnlaufZ2")->setValue(12);
        edit("Anlauf1")->setText("1400");
        control<RadioGroup>("AnlaufS")->setItemIndex(0);
    }

    // What the editor shows, as words: the block SetVars makes from the pages.
    std::vector<std::uint16_t> pageWords() {
        EXPECT_TRUE(form.editorMapping().SetVars());
        return {form.Params.Slots.begin() + 1, form.Params.Slots.begin() + 37};
    }

private:
    QLocale previous_;

public:
    TForm1 form;
    QString chosen;
    bool answerOk = true;
    QStringList dialogs, questions, messages;
};

class ParameterFilesTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString put(const QString& name, const QByteArray& content) const {
        return zuvo::test::writeScratchFile(path(name), content);
    }
    static QByteArray contents(const QString& file) {
        return zuvo::test::scratchFileContents(file);
    }
    QTemporaryDir dir;
};

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

// A file that cannot be read as a file is named with its reason, in the same words at start-up,
// from the menu and in zuvoctl; a pipe or a device is not even opened (it would block or never
// end).
TEST_F(ParameterFilesTest, UnusableFilesChangeNothingAndSaySo) {
    QByteArray binary(3000, '\0');
    for (int i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<char>(i * 37);
    }
    QDir(dir.path()).mkdir("folder.ZDF");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.ZDF")).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.dat")).constData(), 0600), 0);
    const QString notRegular = QStringLiteral(": it is not a regular file (a pipe or a device)  ");
    const struct {
        QString file;
        QString says; // the whole message when it names a reason of the file system
    } cases[] = {
        {put("empty.ZDF", ""), {}},
        {put("binary.ZDF", binary), {}},
        {put("huge.ZDF", "[ZYLINDER]\r\nLENGTH=500\r\n" + QByteArray(5 * 1024 * 1024, 'x')), {}},
        {put("noequals.ZDF", "LENGTH 500\r\nGEAR\r\n[ZYLINDER\r\n"), {}},
        {path("vanished.ZDF"),
         "  Cannot read the parameter file " + path("vanished.ZDF") + ": no such file  "},
        {path("vanished.dat"),
         "  Cannot read the parameter file " + path("vanished.dat") + ": no such file  "},
        {path("folder.ZDF"),
         "  Cannot read the parameter file " + path("folder.ZDF") + ": it is a folder  "},
        {path("pipe.ZDF"), "  Cannot read the parameter file " + path("pipe.ZDF") + notRegular},
        {path("pipe.dat"), "  Cannot read the parameter file " + path("pipe.dat") + notRegular},
        {"/dev/zero", "  Cannot read the parameter file /dev/zero" + notRegular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        Window w;
        w.enterExample();
        const auto words = w.pageWords();
        const auto block = w.form.Params.Slots;
        EXPECT_FALSE(w.form.parameterFiles().GetDataFromIni(c.file));
        ASSERT_EQ(w.messages.size(), 1);
        if (!c.says.isEmpty()) {
            EXPECT_EQ(w.messages[0], c.says);
        }
        EXPECT_EQ(w.form.Params.Slots, block);
        EXPECT_TRUE(w.form.link().snapshot().state.AutoReadParams);
        EXPECT_EQ(w.pageWords(), words);
    }
}

// Values a file holds that the pages cannot use are shown as the file says, marked red, and keep
// the set from being sent or saved; the refusal names the file's keys.
TEST_F(ParameterFilesTest, UnusableNumbersAreShownMarkedAndRefused) {
    Window w;
    const QString file = put("range.ZDF", "[ZYLINDER]\r\nLENGTH=0\r\nGEAR=1e308\r\n"
                                          "[zylinder]\r\nLENGTH=300\r\n"
                                          "[OUTPUT]\r\nHYSTERESIS=nan\r\nFunktion1=-1\r\n"
                                          "Funktion2=70000\r\nFunktion2=3\r\n"
                                          "[ANLAUF]\r\nFunktion2=-1e308\r\n"
                                          "[POSITION]\r\nPos1=1e308\r\nAnalog2=99999999999\r\n");
    ASSERT_TRUE(w.form.parameterFiles().GetDataFromIni(file));
    EXPECT_EQ(w.edit("Laenge")->text(), "0");
    EXPECT_EQ(w.edit("Turns")->text(), "100"); // GEAR is no whole number
    EXPECT_EQ(w.edit("Hysterese")->text(), "nan");
    EXPECT_EQ(w.switchPosition(1)->text(), "1e308"); // no number: an exponent is not read
    EXPECT_EQ(w.form.Params.Slots[5], 0);
    EXPECT_EQ(w.form.Params.Slots[6], 0);
    EXPECT_EQ(w.form.Params.Slots[15], 20480);
    EXPECT_EQ(w.control<QSlider>("AnalogPos2")->value(), 0);

    EXPECT_FALSE(w.form.editorMapping().SetVars());
    for (const char* name : {"Laenge", "Hysterese", "DOPos1"}) {
        EXPECT_EQ(w.edit(name)->palette().color(QPalette::Base), tcolor(tc::Red)) << name;
    }
    const QString why = w.form.editorMapping().refusalText();
    for (const char* origin :
         {"[ZYLINDER] LENGTH=\"0\" in range.ZDF", "[OUTPUT] HYSTERESIS=\"nan\" in range.ZDF",
          "[POSITION] Pos1=\"1e308\" in range.ZDF", "[ZYLINDER] GEAR=\"1e308\" in range.ZDF",
          "[OUTPUT] Funktion1=\"-1\"", "[OUTPUT] Funktion2=\"70000\"",
          "[ANLAUF] Funktion2=\"-1e308\"", "[POSITION] Analog2=\"99999999999\""}) {
        EXPECT_TRUE(why.contains(origin)) << origin << ": " << why.toStdString();
    }
    w.chosen = path("copy");
    w.form.parameterFiles().SaveToFileClick();
    ASSERT_EQ(w.messages.size(), 1);
    EXPECT_TRUE(w.messages[0].startsWith("The parameter file was not saved: the stroke"));
    EXPECT_TRUE(w.messages[0].contains("[ZYLINDER] LENGTH=\"0\" in range.ZDF"));
    EXPECT_FALSE(QFileInfo::exists(path("copy.ZDF")));

    // Typed over, a value no longer comes from the file; the values the pages could not take
    // keep refusing until their controls are set.
    w.edit("Laenge")->setText("1");
    EXPECT_FALSE(w.form.editorMapping().SetVars());
    EXPECT_FALSE(w.form.editorMapping().refusalText().contains("LENGTH"));
    w.edit("Hysterese")->setText("0");
    w.switchPosition(1)->setText("-1");
    EXPECT_FALSE(w.form.editorMapping().SetVars());
    const QString still = w.form.editorMapping().refusalText();
    EXPECT_FALSE(still.contains("HYSTERESIS") || still.contains("Pos1")) << still.toStdString();
    EXPECT_TRUE(still.contains("[ANLAUF] Funktion2")) << still.toStdString();
}

TEST_F(ParameterFilesTest, StrokeOutOfRangeAndTurnsAboveTheBound) {
    const struct {
        const char* lines;
        const char* stroke;
        const char* turns;
        bool usable;
    } cases[] = {
        {"LENGTH=70000\r\nGEAR=60", "70000", "60", false},
        {"LENGTH=500\r\nGEAR=6000", "500", "6000", true},
        {"LENGTH=500\r\nGEAR=7000", "500", "7000", false}, // as written, not cut to 6000
        {"LENGTH=500\r\nGEAR=0", "500", "0", false},
        {"LENGTH=500\r\nGEAR=-5", "500", "-5", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        Window w;
        ASSERT_TRUE(w.form.parameterFiles().GetDataFromIni(
            put("cyl.ZDF", QByteArray("[ZYLINDER]\r\n") + c.lines + "\r\n")));
        EXPECT_EQ(w.edit("Laenge")->text(), c.stroke);
        EXPECT_EQ(w.edit("Turns")->text(), c.turns);
        EXPECT_EQ(w.form.editorMapping().SetVars(), c.usable);
        if (c.usable) {
            EXPECT_EQ(w.form.Params.Slots[2], 60000);
        }
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

template <class T> T* child(TForm1& form, const char* name) {
    T* c = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// The window on the simulated actuator: what a loaded file lets "Send Parameter-Block" put on the
// line, and what "Save to File" writes.
class FileValuesOnTheLine : public test::WindowInLocale {
protected:
    void SetUp() override {
        WindowInLocale::SetUp();
        form.parameterFiles().prompts.chooseFile = [this](QFileDialog&) { return chosen; };
        link.sim.clearLog();
    }

    // An edit's own background, or the background any other control is drawn on.
    static bool red(const QWidget* widget) {
        const QPalette::ColorRole role =
            qobject_cast<const QLineEdit*>(widget) != nullptr ? QPalette::Base : QPalette::Window;
        return widget->palette().color(role) == tcolor(tc::Red);
    }
    QString load(const QByteArray& content) {
        const QString path = link.folder.filePath("site.ZDF");
        zuvo::test::writeScratchFile(path, content);
        EXPECT_TRUE(form.parameterFiles().GetDataFromIni(path));
        return path;
    }
    std::vector<std::string> wordWrites() const {
        return test::requestsStartingWith(link.sim, "SP");
    }

    QString chosen;
};

// Every value the pages cannot take as written marks its control red with a tooltip naming the
// key and the value; Send and Save refuse, naming them, and nothing reaches the line, until the
// user changes that control.
TEST_P(FileValuesOnTheLine, AValueNotUsableAsWrittenIsMarkedAndKeepsTheSetFromTheLine) {
    const QString sep = QLocale().decimalPoint();
    const struct {
        const char* from; // a line of the example file (500 mm, 60 turns)
        QByteArray to;
        const char* control;
        const char* names; // in the tooltip and the refusals
        std::function<void(TForm1&)> correct;
    } cases[] = {
        {"LENGTH=500", "LENGTH=abc", "Laenge", "LENGTH=\"abc\"",
         [](TForm1& f) { child<QLineEdit>(f, "Laenge")->setText("500"); }},
        {"LENGTH=500", QByteArray("LENGTH=10") + '\0' + "00", "Laenge", "LENGTH=\"10\\x0000\"",
         [](TForm1& f) { child<QLineEdit>(f, "Laenge")->setText("500"); }},
        {"LENGTH=500", "LENGTH=99999999999", "Laenge", "LENGTH=\"99999999999\"",
         [](TForm1& f) { child<QLineEdit>(f, "Laenge")->setText("500"); }},
        {"LENGTH=500", "LENGTH=inf", "Laenge", "LENGTH=\"inf\"",
         [](TForm1& f) { child<QLineEdit>(f, "Laenge")->setText("500"); }},
        {"GEAR=60", "GEAR=100000", "Turns", "GEAR=\"100000\"",
         [](TForm1& f) { child<QLineEdit>(f, "Turns")->setText("60"); }},
        {"GEAR=60", "GEAR=60.5", "Turns", "GEAR=\"60.5\"",
         [](TForm1& f) { child<QLineEdit>(f, "Turns")->setText("60"); }},
        {"DIRECTION=1", "DIRECTION=7", "BT", "DIRECTION=\"7\"",
         [](TForm1& f) { child<QRadioButton>(f, "TB")->click(); }},
        {"HYSTERESIS=0,25", "HYSTERESIS=100000", "Hysterese", "HYSTERESIS=\"100000\"",
         [sep](TForm1& f) { child<QLineEdit>(f, "Hysterese")->setText("0" + sep + "25"); }},
        {"Funktion1=1", "Funktion1=99999", "D31", "[OUTPUT] Funktion1=\"99999\"",
         [](TForm1& f) { child<PictureToggleButton>(f, "D31")->click(); }},
        {"Funktion1=1", "Funktion1=-3", "D11", "[OUTPUT] Funktion1=\"-3\"",
         [](TForm1& f) { child<PictureToggleButton>(f, "D11")->click(); }},
        {"Funktion=517", "Funktion=77", "AnalogComboBox1", "[ANALOG] Funktion=\"77\"",
         [](TForm1& f) {
             auto* box = child<QComboBox>(f, "AnalogComboBox1");
             QTest::keyClick(box, Qt::Key_Up);
             QTest::keyClick(box, Qt::Key_Down);
         }},
        {"Funktion1=3082", "Funktion1=70000", "AnlaufZ2", "[ANLAUF] Funktion1=\"70000\"",
         [](TForm1& f) {
             child<QSlider>(f, "AnlaufZ1")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
         }},
        {"Funktion2=9557", "Funktion2=abc", "Anlauf1", "[ANLAUF] Funktion2=\"abc\"",
         [](TForm1& f) { child<QLineEdit>(f, "Anlauf1")->setText("1400"); }},
        {"Analog2=500", "Analog2=nan", "AnalogPos2", "Analog2=\"nan\"",
         [](TForm1& f) {
             child<QSlider>(f, "AnalogPos2")->triggerAction(QAbstractSlider::SliderSingleStepSub);
         }},
        {"Analog1=0", "Analog1=-5", "AnalogPos1", "Analog1=\"-5\"",
         [](TForm1& f) {
             child<QSlider>(f, "AnalogPos1")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
         }},
        {"Pos3=-1", "Pos3=-2", "DOPos3", "Pos3=\"-2\"",
         [](TForm1& f) { child<QLineEdit>(f, "DOPos3")->setText("-1"); }},
        {"Pos3=-1", "Pos3=1200", "DOPos3", "Pos3=\"1200\"",
         [](TForm1& f) { child<QLineEdit>(f, "DOPos3")->setText("-1"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to.toStdString());
        QByteArray content = zuvo::test::kExampleParameterFile;
        ASSERT_TRUE(content.contains(c.from));
        const QString path = load(content.replace(c.from, c.to));
        QWidget* marked = control<QWidget>(c.control);
        EXPECT_TRUE(red(marked));
        EXPECT_TRUE(marked->toolTip().contains(c.names)) << marked->toolTip().toStdString();
        EXPECT_TRUE(marked->toolTip().contains("site.ZDF")) << marked->toolTip().toStdString();

        messages.clear();
        link.sim.clearLog();
        form.parameterTransfer().SaveParamClick();
        chosen = link.folder.filePath("copy.ZDF");
        form.parameterFiles().SaveToFileClick();
        EXPECT_TRUE(wordWrites().empty());
        EXPECT_EQ(messages.size(), 2);
        const QString notSent = messages.value(0);
        EXPECT_TRUE(notSent.startsWith("The Parameter-Block was not sent"))
            << notSent.toStdString();
        EXPECT_TRUE(notSent.contains(c.names)) << notSent.toStdString();
        EXPECT_TRUE(notSent.contains("site.ZDF")) << notSent.toStdString();
        const QString notSaved = messages.value(1);
        EXPECT_TRUE(notSaved.startsWith("The parameter file was not saved"))
            << notSaved.toStdString();
        EXPECT_TRUE(notSaved.contains(c.names)) << notSaved.toStdString();
        EXPECT_FALSE(QFileInfo::exists(chosen));
        QFile::remove(chosen);

        c.correct(form);
        EXPECT_FALSE(red(marked));
        EXPECT_FALSE(marked->toolTip().contains(c.names)) << marked->toolTip().toStdString();
        EXPECT_TRUE(form.editorMapping().SetVars())
            << form.editorMapping().refusalText().toStdString();
    }
    // Once corrected the set goes out.
    messages.clear();
    form.parameterTransfer().SaveParamClick();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(wordWrites().size(), 36U);
}

// The marks last until the user corrects the control, another file is loaded or the controller's
// block is shown; a switch position beyond the stroke is refused from a received block too.
TEST_P(FileValuesOnTheLine, AnotherFileOrTheControllersBlockEndsTheMarks) {
    QByteArray bad = zuvo::test::kExampleParameterFile;
    bad.replace("Funktion=517", "Funktion=77").replace("Funktion1=1", "Funktion1=64");
    load(bad);
    QWidget* box = control<QWidget>("AnalogComboBox1");
    EXPECT_TRUE(red(box));
    EXPECT_TRUE(red(control<QWidget>("D11")));
    EXPECT_FALSE(form.editorMapping().SetVars());
    const QString why = form.editorMapping().refusalText();
    EXPECT_TRUE(why.contains("they would send 69")) << why.toStdString();
    EXPECT_TRUE(why.contains("segment 1 must be a whole number of 0..63")) << why.toStdString();

    load(zuvo::test::kExampleParameterFile);
    EXPECT_FALSE(red(box));
    EXPECT_TRUE(box->toolTip().isEmpty());
    EXPECT_TRUE(form.editorMapping().SetVars());

    load(bad);
    ASSERT_TRUE(red(box));
    // The controller's block, with switch position 3 at 1200 mm on a 1000 mm stroke.
    ParameterBlockReply reply;
    reply.words.assign(36, 0xFFFF);
    for (const auto& [index, word] : std::vector<std::pair<int, std::uint16_t>>{
             {0, 0},       {1, 1000},   {2, 1000}, {3, 0},       {4, 10},      {5, 0},  {6, 0},
             {7, 0},       {8, 0},      {9, 0},    {10, 0},      {11, 0},      {12, 0}, {13, 0},
             {14, 0x0A0A}, {15, 9557},  {16, 0},   {17, 0},      {18, 0x9000}, {19, 1}, {20, 20480},
             {21, 0},      {22, 40960}, {23, 0},   {24, 0xE000}, {25, 1}}) {
        reply.words[static_cast<std::size_t>(index)] = word;
    }
    form.receiveDispatcher().applyBlock(reply);
    EXPECT_FALSE(red(box));
    EXPECT_FALSE(red(control<QWidget>("D11")));
    EXPECT_TRUE(red(control<QWidget>("DOPos3")));
    messages.clear();
    form.parameterTransfer().SaveParamClick();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("switch position 3 (1200" + QLocale().decimalPoint() +
                                     "00 mm) lies beyond the stroke of 1000 mm"))
        << messages[0].toStdString();
    EXPECT_TRUE(wordWrites().empty());
}

INSTANTIATE_TEST_SUITE_P(DecimalCommaAndPoint, FileValuesOnTheLine,
                         ::testing::Values(kComma, kPoint));

} // namespace
