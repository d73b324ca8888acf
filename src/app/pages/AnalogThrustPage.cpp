#include "app/pages/AnalogThrustPage.h"

#include "app/TForm1.h"
#include "app/pages/EditorControls.h"
#include "params/AnalogRangeBar.h"
#include "params/EditorModel.h"
#include "params/EditorText.h"

#include "ui_TForm1.h"

#include <QSignalBlocker>

#include <limits>

namespace zuvo {

namespace {

constexpr int kMotorAxisRpmStep = 50;
constexpr int kGearUnitRpmStep = 1;

QString millimetreLabel(int mm) {
    return QString::number(mm) + QStringLiteral(" mm");
}

// The RPM edit's value where a 32-bit integer is wanted; 0 when it holds none or too large.
std::int32_t rpmOfEdit(const QLineEdit* edit) {
    const std::optional<std::int64_t> value = editorInteger(edit->text());
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(*value);
}

} // namespace

AnalogThrustPage::AnalogThrustPage(TForm1& form, EditorModel& model) : form_(form), model_(model) {
    Ui::TForm1& ui = *form_.ui;
    QObject::connect(ui.AnalogPos1, &QSlider::valueChanged, &form_, [this](int mm) {
        model_.setAnalogMin(mm);
        AnalogPos1Change();
    });
    QObject::connect(ui.AnalogPos2, &QSlider::valueChanged, &form_, [this](int mm) {
        model_.setAnalogMax(mm);
        AnalogPos2Change();
    });
    QObject::connect(ui.Anlauf1, &QLineEdit::textChanged, &form_, [this] { Anlauf1Change(); });
    QObject::connect(ui.AnlaufS, &RadioGroup::itemIndexChanged, &form_, [this](int item) {
        model_.setSensorOnGearUnit(item == 1);
        AnlaufSClick();
    });
    QObject::connect(ui.AnlaufE, &RadioGroup::itemIndexChanged, &form_,
                     [this](int item) { model_.setThrustOverload(item == 1); });
    QObject::connect(ui.AnlaufZ1, &QSlider::valueChanged, &form_, [this](int tenths) {
        model_.setRushInRetract(tenths);
        AnlaufZ1Change();
    });
    QObject::connect(ui.AnlaufZ2, &QSlider::valueChanged, &form_, [this](int tenths) {
        model_.setRushInExtend(tenths);
        AnlaufZ2Change();
    });
    QObject::connect(ui.ExtRef, &QCheckBox::toggled, &form_, [this] { ExtRefClick(); });
    // A user's act on a control that leaves its value ends a file's mark on it too.
    const auto touches = [this](QWidget* widget, PageControl control) {
        if (auto* slider = qobject_cast<QSlider*>(widget)) {
            QObject::connect(slider, &QSlider::actionTriggered, &form_,
                             [this, control] { model_.touched(control); });
            return;
        }
        for (QAbstractButton* button : widget->findChildren<QAbstractButton*>()) {
            QObject::connect(button, &QAbstractButton::clicked, &form_,
                             [this, control] { model_.touched(control); });
        }
    };
    touches(ui.AnalogPos1, PageControl::AnalogMin);
    touches(ui.AnalogPos2, PageControl::AnalogMax);
    touches(ui.AnlaufZ1, PageControl::RushInRetract);
    touches(ui.AnlaufZ2, PageControl::RushInExtend);
    touches(ui.AnlaufE, PageControl::ThrustOverload);
    touches(ui.AnlaufS, PageControl::SensorPosition);
    QObject::connect(&model_, &EditorModel::changed, &form_, [this] { showModel(); });
}

void AnalogThrustPage::showModel() {
    Ui::TForm1& ui = *form_.ui;
    const ParameterValues& values = model_.values();
    const int stroke = static_cast<int>(model_.workingGeometry().strokeMm);
    const int scale = ui.AnalogPos2->maximum();
    const int minimum = ui.AnalogPos1->value();
    const int maximum = ui.AnalogPos2->value();
    {
        // A bar cut to a shorter range would report a position the model does not hold.
        const QSignalBlocker quiet1(ui.AnalogPos1);
        const QSignalBlocker quiet2(ui.AnalogPos2);
        ui.AnalogPos1->setMaximum(stroke);
        ui.AnalogPos2->setMaximum(stroke);
        ui.AnalogPos2->setValue(values.analogMaxMm);
        ui.AnalogPos1->setValue(values.analogMinMm);
    }
    if (ui.AnalogPos2->value() != maximum) {
        AnalogPos2Change();
    }
    if (ui.AnalogPos1->value() != minimum) {
        AnalogPos1Change();
    }
    if (scale != stroke) {
        drawRangeBar();
    }
    if (ui.ExtRef->isChecked() != values.externalReference) {
        ui.ExtRef->setChecked(values.externalReference);
    }
    ui.P_EXT->setVisible(values.externalReference);
    ui.AnlaufE->setItemIndex(values.thrustOverload ? 1 : 0);
    ui.AnlaufS->setItemIndex(values.sensorOnGearUnit ? 1 : 0);
    ui.AnlaufZ1->setValue(values.rushInRetractTenths);
    ui.AnlaufZ2->setValue(values.rushInExtendTenths);
    if (rpmOfEdit(ui.Anlauf1) != values.thrustLimitRpm) {
        ui.Anlauf1->setText(QString::number(values.thrustLimitRpm));
    }
    ui.UpDown3->setPosition(values.thrustLimitRpm);
}

void AnalogThrustPage::drawRangeBar() {
    Ui::TForm1& ui = *form_.ui;
    const int minimum = ui.AnalogPos1->value();
    const int maximum = ui.AnalogPos2->value();
    const int scale = ui.AnalogPos2->maximum();
    ui.AnalogV->setGeometry(ui.AnalogV->x(), analogBarTop(maximum, scale), ui.AnalogV->width(),
                            analogBarHeight(minimum, maximum, scale));
}

void AnalogThrustPage::AnalogPos1Change() {
    drawRangeBar();
    form_.ui->L_LP->setText(millimetreLabel(form_.ui->AnalogPos1->value()));
}

void AnalogThrustPage::AnalogPos2Change() {
    drawRangeBar();
    form_.ui->L_UP->setText(millimetreLabel(form_.ui->AnalogPos2->value()));
}

void AnalogThrustPage::Anlauf1Change() {
    model_.setThrustLimitRpm(rpmOfEdit(form_.ui->Anlauf1));
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
    model_.setExternalReference(form_.ui->ExtRef->isChecked());
}

} // namespace zuvo
