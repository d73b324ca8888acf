#include "app/pages/EditorMapping.h"

#include "app/TForm1.h"
#include "app/pages/DigitalOutputPage.h"
#include "app/pages/EditorControls.h"
#include "params/ComboIndex.h"
#include "params/EditorText.h"
#include "params/StrokeAndTurns.h"
#include "params/SwitchGrid.h"
#include "params/WordFields.h"
#include "widgets/MaskedEdit.h"
#include "widgets/PictureToggleButton.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <algorithm>
#include <limits>

namespace zuvo {

namespace {

// Item index of a combo box by its text, searching its own items up to `limit`.
int comboIndex(const QComboBox* box, int limit) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return comboItemIndex(items, box->currentText(), limit);
}

// An integer edit's value where a 32-bit integer is wanted; 0 when it holds none or too large.
std::int32_t int32OfEdit(const QLineEdit* edit) {
    const std::optional<std::int64_t> value = editorInteger(edit->text());
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(*value);
}

bool strokeUsable(std::optional<std::int64_t> mm) {
    return mm && zuvo::strokeUsable(*mm);
}

bool turnsUsable(std::optional<std::int64_t> turns) {
    return turns && zuvo::turnsUsable(*turns);
}

} // namespace

EditorMapping::ShowingValues::ShowingValues(EditorMapping& mapping) : mapping_(mapping) {
    ++mapping_.showingDepth_;
}

EditorMapping::ShowingValues::~ShowingValues() {
    --mapping_.showingDepth_;
}

EditorMapping::EditorMapping(TForm1& form)
    : form_(form), controls_(form),
      fileMarks_(form, controls_, [this] { return showingValues(); }) {
    Ui::TForm1& ui = *form_.ui;
    working_ = Geometry{1000, 100};
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
    markGeometryEdits();
    QObject::connect(ui.Laenge, &QLineEdit::textChanged, &form_, [this] { LaengeChange(); });
    QObject::connect(ui.Turns, &QLineEdit::textChanged, &form_, [this] { TurnsChange(); });
    QObject::connect(ui.Hysterese, &QLineEdit::textChanged, &form_, [this] { markHysteresis(); });
    QObject::connect(ui.UpDown2, &UpDownSpinner::changing, &form_,
                     [this](bool* allow, int newValue, UpDownDirection direction) {
                         UpDown2ChangingEx(allow, newValue, direction);
                     });
    QObject::connect(ui.UpDown1, &UpDownSpinner::changing, &form_,
                     [this](bool* allow, int newValue, UpDownDirection direction) {
                         UpDown1ChangingEx(allow, newValue, direction);
                     });
}

std::optional<Geometry> EditorMapping::editedGeometry() const {
    const Geometry geometry{editorInteger(form_.ui->Laenge->text()).value_or(0),
                            editorInteger(form_.ui->Turns->text()).value_or(0)};
    if (!geometry.valid()) {
        return std::nullopt;
    }
    return geometry;
}

// An unusable stroke or turns edit turns red and the pages keep converting with the last usable
// value; sending and saving are refused until the edit is corrected (SetVars).
void EditorMapping::markGeometryEdits() {
    const std::optional<std::int64_t> stroke = editorInteger(form_.ui->Laenge->text());
    const std::optional<std::int64_t> turns = editorInteger(form_.ui->Turns->text());
    colourEdit(form_.ui->Laenge, strokeUsable(stroke), PageControl::Stroke);
    colourEdit(form_.ui->Turns, turnsUsable(turns), PageControl::Turns);
    if (strokeUsable(stroke)) {
        working_.strokeMm = *stroke;
    }
    if (turnsUsable(turns)) {
        working_.turns = *turns;
    }
}

bool EditorMapping::SetVars() {
    const ParameterValues values = pageValues();
    const std::vector<ValueField> refused = unusableFields(values);
    markGeometryEdits();
    markHysteresis();
    refusals_.clear();
    for (const ValueField field : refused) {
        if (switchPositionOf(field) != 0) {
            setEditColor(editOf(field), tc::Red);
        }
        QString reason = unusableFieldText(field, values);
        for (const FileOrigin& file : fileOrigins_) {
            if (file.field == field && editOf(field)->text() == file.shownText) {
                reason += QStringLiteral(" (") + file.origin + QLatin1Char(')');
            }
        }
        refusals_ << reason;
    }
    refusals_ << fileMarks_.refusals();
    return refusals_.isEmpty() && storeValues(values, form_.Params);
}

QString EditorMapping::refusalText() const {
    return refusals_.join(QStringLiteral("; "));
}

ParameterValues EditorMapping::pageValues() const {
    const Ui::TForm1& ui = *form_.ui;
    const QChar separator = systemDecimalSeparator();
    ParameterValues values;
    // An integer edit that holds no whole number gives 0, which is never usable.
    values.strokeMm = editorInteger(ui.Laenge->text()).value_or(0);
    values.turns = editorInteger(ui.Turns->text()).value_or(0);
    values.clockwise = !ui.BT->isChecked();
    values.externalReference = ui.ExtRef->isChecked();

    for (int k = 1; k <= SwitchPositions; ++k) {
        values.switchPositionsMm[static_cast<std::size_t>(k - 1)] =
            neutralDecimalText(controls_.switchPosition(k)->text(), separator);
    }
    values.hysteresisMm = neutralDecimalText(ui.Hysterese->text(), separator);
    SwitchGridValues grid{};
    for (int r = 1; r <= GridOutputs; ++r) {
        for (int c = 1; c <= GridSegments; ++c) {
            grid[r - 1][c - 1] = controls_.gridButton(r, c)->value();
        }
    }
    const auto masks = segmentMasks(grid);
    for (int c = 1; c <= GridSegments; ++c) {
        values.segmentOutputs[static_cast<std::size_t>(c - 1)] =
            static_cast<std::uint8_t>(masks[static_cast<std::size_t>(c - 1)]);
    }
    values.digitalOutput4 = comboIndex(ui.DIG4, DigitalOutput4SearchLimit);
    values.impulses = comboIndex(ui.ISpur, ImpulseSearchLimit);

    values.analogFunction = comboIndex(ui.AnalogComboBox1, AnalogFunctionSearchLimit);
    values.analogMinMm = ui.AnalogPos1->value();
    values.analogMaxMm = ui.AnalogPos2->value();

    values.thrustOverload = ui.AnlaufE->itemIndex() == 1;
    values.sensorOnGearUnit = ui.AnlaufS->itemIndex() == 1;
    values.thrustLimitRpm = int32OfEdit(ui.Anlauf1);
    values.rushInRetractTenths = ui.AnlaufZ1->value();
    values.rushInExtendTenths = ui.AnlaufZ2->value();
    return values;
}

void EditorMapping::showValues(const ParameterValues& values) {
    Ui::TForm1& ui = *form_.ui;
    const QChar separator = systemDecimalSeparator();
    // The stroke label and the track bars follow the stroke even when its edit already shows it
    // (and so has no change to react to); an unusable stroke leaves them as they are.
    if (values.strokeMm >= 1 && values.strokeMm <= MaxStrokeMm) {
        ui.LabelLaength->setText(QString::number(values.strokeMm) + QStringLiteral("mm"));
        ui.AnalogPos1->setMaximum(static_cast<int>(values.strokeMm));
        ui.AnalogPos2->setMaximum(static_cast<int>(values.strokeMm));
    }
    ui.Turns->setText(QString::number(values.turns));
    (values.clockwise ? ui.TB : ui.BT)->setChecked(true);

    showComboItem(ui.AnalogComboBox1, values.analogFunction);
    showComboItem(ui.DIG4, values.digitalOutput4);
    ui.ExtRef->setChecked(values.externalReference);
    showComboItem(ui.ISpur, values.impulses);
    ui.P_EXT->setVisible(ui.ExtRef->isChecked());
    ui.AnlaufE->setItemIndex(values.thrustOverload ? 1 : 0);
    const int sensorItem = values.sensorOnGearUnit ? 1 : 0;
    ui.AnlaufS->setItemIndex(sensorItem);
    ui.AnlaufZ1->setValue(values.rushInRetractTenths);
    ui.AnlaufZ2->setValue(values.rushInExtendTenths);
    // The RPM's own reaction picks the sensor position by the 150-RPM rule; the values' sensor
    // position is what the RPM was converted with, so it is selected again.
    ui.Anlauf1->setText(QString::number(values.thrustLimitRpm));
    ui.UpDown3->setPosition(values.thrustLimitRpm);
    ui.AnlaufS->setItemIndex(sensorItem);

    ui.AnalogPos2->setValue(values.analogMaxMm);
    ui.AnalogPos1->setValue(values.analogMinMm);

    ui.Hysterese->setText(shownDecimalText(values.hysteresisMm, separator));
    for (int k = 1; k <= SwitchPositions; ++k) {
        controls_.switchPosition(k)->setText(
            shownDecimalText(values.switchPositionsMm[static_cast<std::size_t>(k - 1)], separator));
    }
    for (int r = 1; r <= GridOutputs; ++r) {
        for (int c = 1; c <= GridSegments; ++c) {
            PictureToggleButton* button = controls_.gridButton(r, c);
            const int on = (values.segmentOutputs[static_cast<std::size_t>(c - 1)] >> (r - 1)) & 1;
            button->setValue((button->value() & ~1) | on);
        }
    }
    ui.Laenge->setText(QString::number(values.strokeMm));
    form_.digitalOutputPage().PaintL();
}

void EditorMapping::noteFileOrigin(ValueField field, const QString& origin) {
    fileOrigins_.erase(std::remove_if(fileOrigins_.begin(), fileOrigins_.end(),
                                      [field](const FileOrigin& o) { return o.field == field; }),
                       fileOrigins_.end());
    fileOrigins_.push_back({field, editOf(field)->text(), origin});
}

void EditorMapping::noteFileProblems(const std::vector<FileProblem>& problems,
                                     const QString& fileName) {
    for (const FileProblem& problem : problems) {
        const std::optional<ValueField> field = valueFieldOf(problem.controls.front());
        if (problem.held && field) {
            noteFileOrigin(*field, fileProblemOrigin(problem, fileName));
        }
        fileMarks_.note(problem, fileName);
    }
}

void EditorMapping::clearFileProblems() {
    fileMarks_.clear();
    fileOrigins_.clear();
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

void EditorMapping::markHysteresis() {
    colourEdit(form_.ui->Hysterese, hysteresisUsable(form_.ui->Hysterese->text(), working_),
               PageControl::Hysteresis);
}

void EditorMapping::colourEdit(QLineEdit* edit, bool usable, PageControl control) {
    setEditColor(edit, usable && !fileMarks_.marks(control) ? tc::White : tc::Red);
}

void EditorMapping::GetVars() {
    ParameterBlock& block = form_.Params;
    block.updateSwitchPositionStates();
    const SwitchGridValues grid = gridValues(block);
    for (int r = 1; r <= GridOutputs; ++r) {
        for (int c = 1; c <= GridSegments; ++c) {
            controls_.gridButton(r, c)->setValue(grid[r - 1][c - 1]);
        }
    }
    showComboItem(form_.ui->AnalogComboBox1,
                  FunctionFlags::fromWord(block.Slots[Word::FunctionFlags]).analogFunction);
}

// The controls' reactions rewrite the position table as the texts go in; what is shown is what
// arrived, and the table is what arrived once the pages are filled.
void EditorMapping::ShowReceivedBlock() {
    const ShowingValues showing(*this);
    clearFileProblems(); // the controller's values replace the file's
    ParameterBlock& block = form_.Params;
    const ParameterValues values = receivedValues(block);
    const auto received = block.SwitchPositionCounts;
    showValues(values);
    block.SwitchPositionCounts = received;
    GetVars();
}

void EditorMapping::LaengeChange() {
    markGeometryEdits();
    Ui::TForm1& ui = *form_.ui;
    ui.LabelLaength->setText(QString::number(working_.strokeMm) + QStringLiteral("mm"));
    ui.AnalogPos1->setMaximum(static_cast<int>(working_.strokeMm));
    ui.AnalogPos2->setMaximum(static_cast<int>(working_.strokeMm));
    if (!showingValues()) {
        SetVars();
    }
}

void EditorMapping::TurnsChange() {
    const std::optional<std::int64_t> turns = editorInteger(form_.ui->Turns->text());
    // Typed turns are bounded; shown ones stay as they are, so a file's are refused as written.
    if (turns && *turns > MaxTurns && !showingValues()) {
        form_.ui->Turns->setText(QString::number(boundedTurns(*turns)));
        return; // the new text runs this reaction again
    }
    markGeometryEdits();
}

void EditorMapping::UpDown2ChangingEx(bool*, int newValue, UpDownDirection) {
    const bool up = newValue > form_.ui->UpDown2->position();
    const std::int64_t stroke = editorInteger(form_.ui->Laenge->text()).value_or(working_.strokeMm);
    form_.ui->Laenge->setText(QString::number(strokeAfterSpin(stroke, up)));
}

// The spinner is bound to the edit but would step within its own wider range; the edit is set
// here with the turns' own bounds and the spinner's step is declined so it cannot overwrite it.
void EditorMapping::UpDown1ChangingEx(bool* allowChange, int newValue, UpDownDirection) {
    const bool up = newValue > form_.ui->UpDown1->position();
    const std::int64_t turns = editorInteger(form_.ui->Turns->text()).value_or(working_.turns);
    const std::int64_t next = turnsAfterSpin(turns, up);
    *allowChange = false;
    form_.ui->Turns->setText(QString::number(next));
    form_.ui->UpDown1->setPosition(static_cast<int>(next));
}

} // namespace zuvo
