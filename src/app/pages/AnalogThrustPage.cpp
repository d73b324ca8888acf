#include "app/pages/AnalogThrustPage.h"

#include "app/TForm1.h"
#include "app/pages/EditorMapping.h"
#include "params/AnalogRangeBar.h"
#include "params/EditorText.h"

#include "ui_TForm1.h"

namespace zuvo {

namespace {

// Below this speed the motor-axis sensor sees too few pulses; the gear-unit sensor is used.
constexpr std::int64_t kGearUnitBelowRpm = 150;
constexpr int kMotorAxisRpmStep = 50;
constexpr int kGearUnitRpmStep = 1;

QString millimetreLabel(int mm) {
    return QString::number(mm) + QStringLiteral(" mm");
}

} // namespace

AnalogThrustPage::AnalogThrustPage(TForm1& form) : form_(form) {
    Ui::TForm1& ui = *form_.ui;
    form_.attachAnalogReaction(ui.AnalogPos1, [this] { AnalogPos1Change(); });
    form_.attachAnalogReaction(ui.AnalogPos2, [this] { AnalogPos2Change(); });
    QObject::connect(ui.Anlauf1, &QLineEdit::textChanged, &form_, [this] { Anlauf1Change(); });
    QObject::connect(ui.AnlaufS, &RadioGroup::itemIndexChanged, &form_, [this] { AnlaufSClick(); });
    QObject::connect(ui.AnlaufZ1, &QSlider::valueChanged, &form_, [this] { AnlaufZ1Change(); });
    QObject::connect(ui.AnlaufZ2, &QSlider::valueChanged, &form_, [this] { AnlaufZ2Change(); });
    QObject::connect(ui.ExtRef, &QCheckBox::toggled, &form_, [this] { ExtRefClick(); });
}

void AnalogThrustPage::AnalogPos1Change() {
    Ui::TForm1& ui = *form_.ui;
    const int minimum = ui.AnalogPos1->value();
    const int maximum = ui.AnalogPos2->value();
    ui.AnalogV->resize(ui.AnalogV->width(),
                       analogBarHeight(minimum, maximum, ui.AnalogPos2->maximum()));
    if (maximum < minimum) {
        ui.AnalogPos2->setValue(minimum);
    }
    ui.L_LP->setText(millimetreLabel(minimum));
}

void AnalogThrustPage::AnalogPos2Change() {
    Ui::TForm1& ui = *form_.ui;
    const int minimum = ui.AnalogPos1->value();
    const int maximum = ui.AnalogPos2->value();
    const int scale = ui.AnalogPos2->maximum();
    ui.AnalogV->setGeometry(ui.AnalogV->x(), analogBarTop(maximum, scale), ui.AnalogV->width(),
                            analogBarHeight(minimum, maximum, scale));
    if (maximum < minimum) {
        ui.AnalogPos1->setValue(maximum);
    }
    ui.L_UP->setText(millimetreLabel(maximum));
}

void AnalogThrustPage::Anlauf1Change() {
    const std::int64_t rpm = editorInteger(form_.ui->Anlauf1->text()).value_or(0);
    form_.ui->AnlaufS->setItemIndex(rpm < kGearUnitBelowRpm ? 1 : 0);
}

void AnalogThrustPage::AnlaufSClick() {
    form_.ui->UpDown3->setIncrement(form_.ui->AnlaufS->itemIndex() == 0 ? kMotorAxisRpmStep
                                                                        : kGearUnitRpmStep);
}

void AnalogThrustPage::AnlaufZ1Change() {
    form_.ui->Label19->setText(rushInDelayText(form_.ui->AnlaufZ1->value(), RushInRetractDigits,
                                               systemDecimalSeparator()));
}

void AnalogThrustPage::AnlaufZ2Change() {
    form_.ui->Label20->setText(
        rushInDelayText(form_.ui->AnlaufZ2->value(), RushInExtendDigits, systemDecimalSeparator()));
}

void AnalogThrustPage::ExtRefClick() {
    Ui::TForm1& ui = *form_.ui;
    ui.P_EXT->setVisible(ui.ExtRef->isChecked());
    QLineEdit* first = form_.editorMapping().controls().switchPosition(1);
    if (const std::optional<double> mm = editorDecimal(first->text()); mm && *mm < 0) {
        first->setText(QStringLiteral("0"));
    }
}

} // namespace zuvo
