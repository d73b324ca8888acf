// What a loaded parameter file lets "Send Parameter-Block" put on the line, in either decimal
// notation: values the pages cannot take as written are marked and keep the set from the line.

#include "SimulatedLink.h"
#include "app/TForm1.h"
#include "app/live/ReceiveDispatcher.h"
#include "app/pages/EditorMapping.h"
#include "app/pages/ParameterFiles.h"
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
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zuvo;

namespace {

const QLocale kComma(QLocale::German, QLocale::Germany);
const QLocale kPoint(QLocale::English, QLocale::UnitedStates);

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
