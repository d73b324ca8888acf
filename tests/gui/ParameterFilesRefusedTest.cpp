// Parameter files the pages cannot use as written: unusable files, numbers and ranges are named,
// marked and refused, and change nothing else.

#include "QuietWindow.h"
#include "SimulatedLink.h"
#include "app/TForm1.h"
#include "app/pages/ParameterFiles.h"
#include "app/pages/ParameterTransfer.h"
#include "gui/ParameterFilesWindow.h"
#include "widgets/TColor.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace zuvo;
using namespace zuvo::test;

namespace {

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

} // namespace
