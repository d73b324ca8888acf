#include "app/pages/EditorMapping.h"

#include "app/TForm1.h"
#include "params/ComboIndex.h"
#include "params/EditorText.h"
#include "params/StrokeAndTurns.h"
#include "params/SwitchGrid.h"
#include "widgets/MaskedEdit.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

namespace zuvo {

namespace {

// An integer edit's value as the model holds it: 0 when it holds no whole number, which is never
// usable.
std::int64_t integerOfEdit(const QLineEdit* edit) {
    return editorInteger(edit->text()).value_or(0);
}

} // namespace

EditorMapping::EditorMapping(TForm1& form, EditorModel& model)
    : form_(form), model_(model), controls_(form), fileMarks_(form, controls_) {
    Ui::TForm1& ui = *form_.ui;
    // Stroke and turns are whole numbers; switch positions have two decimals and may be -1 (not
    // set); the hysteresis has two decimals and no sign. The form's "0,00" is written with the
    // desktop's separator.
    const QChar separator = systemDecimalSeparator();
    const auto twoDecimals = [separator](QLineEdit* edit, bool negative) {
        if (auto* masked = qobject_cast<MaskedEdit*>(edit)) {
            masked->setDecimals(2);
            masked->setNegative(negative);
        }
        edit->setText(shownDecimalText(neutralDecimalText(edit->text(), separator), separator));
    };
    for (int k = 1; k <= SwitchPositions; ++k) {
        twoDecimals(controls_.switchPosition(k), true);
    }
    twoDecimals(ui.Hysterese, false);

    QObject::connect(&model_, &EditorModel::changed, &form_, [this] { showModel(); });
    QObject::connect(ui.Laenge, &QLineEdit::textChanged, &form_, [this] { LaengeChange(); });
    QObject::connect(ui.Turns, &QLineEdit::textChanged, &form_, [this] { TurnsChange(); });
    // Only the counter-clockwise button is asked: while the two swap, both can be unchecked.
    QObject::connect(ui.BT, &QRadioButton::toggled, &form_,
                     [this](bool checked) { model_.setClockwise(!checked); });
    for (int r = 1; r <= GridOutputs; ++r) {
        for (int c = 1; c <= GridSegments; ++c) {
            PictureToggleButton* button = controls_.gridButton(r, c);
            // The greying is the model's too: a button set to another one takes the model's.
            QObject::connect(button, &PictureToggleButton::valueChanged, &form_,
                             [this, button, r, c](int value) {
                                 model_.setSegmentOutput(c, r, gridButtonOn(value));
                                 button->setValue(model_.grid()[r - 1][c - 1]);
                             });
        }
    }
    QObject::connect(ui.AnalogComboBox1, &QComboBox::currentIndexChanged, &form_, [this] {
        model_.setAnalogFunction(comboIndex(form_.ui->AnalogComboBox1, AnalogFunctionSearchLimit));
    });
    // A user's act that leaves the value as it is ends a file's mark on the control too.
    for (QRadioButton* button : {ui.TB, ui.BT}) {
        QObject::connect(button, &QRadioButton::clicked, &form_,
                         [this] { model_.touched(PageControl::Direction); });
    }
    QObject::connect(ui.AnalogComboBox1, &QComboBox::activated, &form_,
                     [this] { model_.touched(PageControl::AnalogFunction); });
    QObject::connect(ui.UpDown2, &UpDownSpinner::changing, &form_,
                     [this](bool* allow, int newValue, UpDownDirection direction) {
                         UpDown2ChangingEx(allow, newValue, direction);
                     });
    QObject::connect(ui.UpDown1, &UpDownSpinner::changing, &form_,
                     [this](bool* allow, int newValue, UpDownDirection direction) {
                         UpDown1ChangingEx(allow, newValue, direction);
                     });
    showModel();
}

std::optional<Geometry> EditorMapping::editedGeometry() const {
    return valuesGeometry(model_.values());
}

void EditorMapping::showModel() {
    Ui::TForm1& ui = *form_.ui;
    const ParameterValues& values = model_.values();
    fileMarks_.show(model_.fileProblems());
    if (integerOfEdit(ui.Laenge) != values.strokeMm) {
        ui.Laenge->setText(QString::number(values.strokeMm));
    }
    if (integerOfEdit(ui.Turns) != values.turns) {
        ui.Turns->setText(QString::number(values.turns));
    }
    if (ui.BT->isChecked() == values.clockwise) {
        (values.clockwise ? ui.TB : ui.BT)->setChecked(true);
    }
    // An unusable stroke leaves the label at the last usable one.
    const QString strokeLabel = QString::number(workingGeometry().strokeMm) + QStringLiteral("mm");
    if (ui.LabelLaength->text() != strokeLabel) {
        ui.LabelLaength->setText(strokeLabel);
    }
    colourEdit(ui.Laenge, strokeUsable(values.strokeMm), PageControl::Stroke);
    colourEdit(ui.Turns, turnsUsable(values.turns), PageControl::Turns);
    GetVars();
}

bool EditorMapping::checkPages() {
    const ParameterValues& values = model_.values();
    refusals_ = model_.refusals();
    for (const ValueField field : unusableFields(values)) {
        if (switchPositionOf(field) != 0) {
            setEditColor(editOf(field), tc::Red);
        }
    }
    return refusals_.isEmpty();
}

bool EditorMapping::SetVars() {
    return checkPages() && storeValues(model_.values(), form_.Params);
}

QString EditorMapping::refusalText() const {
    return refusals_.join(QStringLiteral("; "));
}

QLineEdit* EditorMapping::editOf(ValueField field) const {
    switch (field) {
    case ValueField::Stroke:
        return form_.ui->Laenge;
    case ValueField::Turns:
        return form_.ui->Turns;
    case ValueField::Hysteresis:
        return form_.ui->Hysterese;
    default:
        return controls_.switchPosition(switchPositionOf(field));
    }
}

void EditorMapping::colourEdit(QLineEdit* edit, bool usable, PageControl control) {
    setEditColor(edit, usable && !model_.marked(control) ? tc::White : tc::Red);
}

void EditorMapping::GetVars() {
    const SwitchGridValues grid = model_.grid();
    for (int r = 1; r <= GridOutputs; ++r) {
        for (int c = 1; c <= GridSegments; ++c) {
            controls_.gridButton(r, c)->setValue(grid[r - 1][c - 1]);
        }
    }
    QComboBox* analog = form_.ui->AnalogComboBox1;
    if (comboIndex(analog, AnalogFunctionSearchLimit) != model_.values().analogFunction) {
        showComboItem(analog, model_.values().analogFunction);
    }
}

void EditorMapping::ShowReceivedBlock() {
    model_.showReceived(form_.Params);
}

void EditorMapping::LaengeChange() {
    model_.setStroke(integerOfEdit(form_.ui->Laenge));
}

void EditorMapping::TurnsChange() {
    model_.setTurns(integerOfEdit(form_.ui->Turns));
}

void EditorMapping::UpDown2ChangingEx(bool*, int newValue, UpDownDirection) {
    const bool up = newValue > form_.ui->UpDown2->position();
    const std::int64_t stroke =
        editorInteger(form_.ui->Laenge->text()).value_or(workingGeometry().strokeMm);
    form_.ui->Laenge->setText(QString::number(strokeAfterSpin(stroke, up)));
}

// The spinner is bound to the edit but would step within its own wider range; the edit is set
// here with the turns' own bounds and the spinner's step is declined so it cannot overwrite it.
void EditorMapping::UpDown1ChangingEx(bool* allowChange, int newValue, UpDownDirection) {
    const bool up = newValue > form_.ui->UpDown1->position();
    const std::int64_t turns =
        editorInteger(form_.ui->Turns->text()).value_or(workingGeometry().turns);
    const std::int64_t next = turnsAfterSpin(turns, up);
    *allowChange = false;
    form_.ui->Turns->setText(QString::number(next));
    form_.ui->UpDown1->setPosition(static_cast<int>(next));
}

} // namespace zuvo
