#pragma once
// One window in a chosen locale with its parameter-file prompts answered by the test, and a
// scratch folder for the files: the fixture of the parameter-file tests.

#include "app/TForm1.h"
#include "app/pages/EditorControls.h"
#include "app/pages/EditorMapping.h"
#include "app/pages/ParameterFiles.h"
#include "common/ExampleParameterFile.h"
#include "common/ScratchFile.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/RadioGroup.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace zuvo::test {

inline const QLocale kComma(QLocale::German, QLocale::Germany);
inline const QLocale kPoint(QLocale::English, QLocale::UnitedStates);

// The file the example set is saved as in a decimal-comma locale.
inline const QByteArray& kExampleFile = zuvo::test::kExampleParameterFile;

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

} // namespace zuvo::test
