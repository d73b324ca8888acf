#pragma once
// The main window's editor pages in a chosen locale (the pages show and read numbers with its
// decimal separator).

#include "app/TForm1.h"
#include "app/pages/EditorMapping.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/TColor.h"

#include "widgets/RadioGroup.h"
#include "widgets/UpDownSpinner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>
#include <gtest/gtest.h>

namespace zuvo::test {

inline const QLocale kDecimalComma(QLocale::German, QLocale::Germany);
inline const QLocale kDecimalPoint(QLocale::English, QLocale::UnitedStates);

class EditorPages {
public:
    explicit EditorPages(const QLocale& locale = kDecimalComma) : previous_(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~EditorPages() { QLocale::setDefault(previous_); }
    EditorPages(const EditorPages&) = delete;
    EditorPages& operator=(const EditorPages&) = delete;

    QLineEdit* switchPosition(int k) { return form.editorMapping().controls().switchPosition(k); }
    PictureToggleButton* grid(int r, int c) {
        return form.editorMapping().controls().gridButton(r, c);
    }
    static QColor background(const QLineEdit* edit) {
        return edit->palette().color(QPalette::Base);
    }
    // Types the switch positions 1..8 in order.
    void setSwitchPositions(const QStringList& texts) {
        for (int k = 1; k <= 8; ++k) {
            switchPosition(k)->setText(texts[k - 1]);
        }
    }

private:
    QLocale previous_;

public:
    TForm1 form;
    ParameterBlock& block = form.Params;
    EditorModel& model = form.editorModel();

    // The pages' controls by their component names.
    template <typename T> T* control(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    struct Controls {
        QLineEdit* Laenge;
        QLineEdit* Turns;
        UpDownSpinner* UpDown1;
        UpDownSpinner* UpDown2;
        QLabel* LabelLaength;
        QRadioButton* TB;
        QRadioButton* BT;
        QCheckBox* ExtRef;
        QLabel* P_EXT;
        QComboBox* AnalogComboBox1;
        QComboBox* DIG4;
        QComboBox* ISpur;
        RadioGroup* AnlaufE;
        RadioGroup* AnlaufS;
        QLineEdit* Anlauf1;
        UpDownSpinner* UpDown3;
        QSlider* AnlaufZ1;
        QSlider* AnlaufZ2;
        QLabel* Label19;
        QLabel* Label20;
        QLineEdit* Hysterese;
        QSlider* AnalogPos1;
        QSlider* AnalogPos2;
        QWidget* AnalogV;
        QLabel* L_LP;
        QLabel* L_UP;
    };
    Controls ui{control<QLineEdit>("Laenge"),      control<QLineEdit>("Turns"),
                control<UpDownSpinner>("UpDown1"), control<UpDownSpinner>("UpDown2"),
                control<QLabel>("LabelLaength"),   control<QRadioButton>("TB"),
                control<QRadioButton>("BT"),       control<QCheckBox>("ExtRef"),
                control<QLabel>("P_EXT"),          control<QComboBox>("AnalogComboBox1"),
                control<QComboBox>("DIG4"),        control<QComboBox>("ISpur"),
                control<RadioGroup>("AnlaufE"),    control<RadioGroup>("AnlaufS"),
                control<QLineEdit>("Anlauf1"),     control<UpDownSpinner>("UpDown3"),
                control<QSlider>("AnlaufZ1"),      control<QSlider>("AnlaufZ2"),
                control<QLabel>("Label19"),        control<QLabel>("Label20"),
                control<QLineEdit>("Hysterese"),   control<QSlider>("AnalogPos1"),
                control<QSlider>("AnalogPos2"),    control<QWidget>("AnalogV"),
                control<QLabel>("L_LP"),           control<QLabel>("L_UP")};
};

} // namespace zuvo::test
