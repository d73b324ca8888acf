#include "params/EditorMapping.h"

#include "app/TForm1.h"
#include "params/ComboIndex.h"
#include "params/EditorControls.h"
#include "params/EditorText.h"
#include "params/SpeedWord.h"
#include "params/StrokeAndTurns.h"
#include "params/SwitchGrid.h"
#include "params/WordFields.h"
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

int sliderPosition(std::int64_t mm) {
    return static_cast<int>(std::clamp<std::int64_t>(mm, 0, std::numeric_limits<int>::max()));
}

bool strokeUsable(std::optional<std::int64_t> mm) {
    return mm && *mm >= 1 && *mm <= MaxStrokeMm;
}

bool turnsUsable(std::optional<std::int64_t> turns) {
    return turns && *turns >= 1 && *turns <= MaxTurns;
}

} // namespace

EditorMapping::ShowingValues::ShowingValues(EditorMapping& mapping) : mapping_(mapping) {
    ++mapping_.showingDepth_;
}

EditorMapping::ShowingValues::~ShowingValues() {
    --mapping_.showingDepth_;
}

EditorMapping::EditorMapping(TForm1& form) : form_(form), controls_(form) {
    Ui::TForm1& ui = *form_.ui;
    working_ = Geometry{1000, 100};
    markGeometryEdits();
    QObject::connect(ui.Laenge, &QLineEdit::textChanged, &form_, [this] { LaengeChange(); });
    QObject::connect(ui.Turns, &QLineEdit::textChanged, &form_, [this] { TurnsChange(); });
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
    setEditColor(form_.ui->Laenge, strokeUsable(stroke) ? tc::White : tc::Red);
    setEditColor(form_.ui->Turns, turnsUsable(turns) ? tc::White : tc::Red);
    if (strokeUsable(stroke)) {
        working_.strokeMm = *stroke;
    }
    if (turnsUsable(turns)) {
        working_.turns = *turns;
    }
}

bool EditorMapping::SetVars() {
    const std::optional<Geometry> geometry = editedGeometry();
    if (!geometry) {
        markGeometryEdits();
        return false;
    }
    Ui::TForm1& ui = *form_.ui;
    ParameterBlock& block = form_.Params;
    auto& words = block.Slots;

    words[Word::Stroke] = static_cast<std::uint16_t>(geometry->strokeMm);
    words[Word::GearTurns] = static_cast<std::uint16_t>(geometry->turns * 10);
    words[Word::Direction] = ui.BT->isChecked() ? DirectionCounterClockwise : 0;

    FunctionFlags flags;
    flags.analogFunction = comboIndex(ui.AnalogComboBox1, AnalogFunctionSearchLimit);
    flags.externalReference = ui.ExtRef->isChecked();
    flags.thrustOverload = ui.AnlaufE->itemIndex() == 1;
    flags.sensorOnGearUnit = ui.AnlaufS->itemIndex() == 1;
    words[Word::RushInDelays] =
        RushInDelays{ui.AnlaufZ1->value() & 0x7F, ui.AnlaufZ2->value() & 0x7F}.toWord();
    words[Word::ThrustLimitSpeed] =
        RpmToSpeedWord(int32OfEdit(ui.Anlauf1),
                       flags.sensorOnGearUnit ? SpeedSensor::GearUnit : SpeedSensor::MotorAxis);
    flags.digitalOutput4 = comboIndex(ui.DIG4, DigitalOutput4SearchLimit);
    flags.impulses = comboIndex(ui.ISpur, ImpulseSearchLimit);
    words[Word::FunctionFlags] = flags.toWord();

    words[Word::Hysteresis] = *HysteresisCounts(editorNumber(ui.Hysterese->text()), *geometry);

    SwitchGridValues grid{};
    for (int r = 1; r <= GridOutputs; ++r) {
        for (int c = 1; c <= GridSegments; ++c) {
            grid[r - 1][c - 1] = controls_.gridButton(r, c)->value();
        }
    }
    const auto masks = segmentMasks(grid);
    for (int c = 1; c <= GridSegments; ++c) {
        words[Word::segmentMask(c)] = masks[c - 1];
    }

    auto& counts = block.SwitchPositionCounts;
    counts[AnalogMinEntry] = *EditorCounts(std::int64_t{ui.AnalogPos1->value()}, *geometry);
    counts[AnalogMaxEntry] = *EditorCounts(std::int64_t{ui.AnalogPos2->value()}, *geometry);
    for (int k = 1; k <= 8; ++k) {
        counts[switchPositionEntry(k)] =
            *EditorCounts(editorNumber(controls_.switchPosition(k)->text()), *geometry);
    }
    block.splitPositions();
    return true;
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

// Every control set here runs its own change reaction, in this order, as a user's change would.
void EditorMapping::ShowReceivedBlock() {
    const ShowingValues showing(*this);
    Ui::TForm1& ui = *form_.ui;
    ParameterBlock& block = form_.Params;
    auto& words = block.Slots;
    const QChar separator = systemDecimalSeparator();

    block.joinPositions();
    // The switch-position edits' reactions rewrite the table as the texts go in; what is shown
    // is what arrived, and the table is what arrived once the pages are filled.
    const auto received = block.SwitchPositionCounts;

    const ReceivedGeometry geometry = receivedGeometry(words[Word::Stroke], words[Word::GearTurns]);
    words[Word::Stroke] = geometry.strokeMm;
    words[Word::GearTurns] = geometry.gearWord;
    ui.LabelLaength->setText(QString::number(geometry.strokeMm) + QStringLiteral("mm"));
    ui.AnalogPos1->setMaximum(geometry.strokeMm);
    ui.AnalogPos2->setMaximum(geometry.strokeMm);
    ui.Turns->setText(QString::number(geometry.turns));

    const FunctionFlags flags = FunctionFlags::fromWord(words[Word::FunctionFlags]);
    showComboItem(ui.AnalogComboBox1, flags.analogFunction);
    showComboItem(ui.DIG4, flags.digitalOutput4Item());
    ui.ExtRef->setChecked(flags.externalReference);
    showComboItem(ui.ISpur, flags.impulses);
    ui.P_EXT->setVisible(ui.ExtRef->isChecked());
    ui.AnlaufE->setItemIndex(flags.thrustOverload ? 1 : 0);
    const int sensorItem = flags.sensorOnGearUnit ? 1 : 0;
    ui.AnlaufS->setItemIndex(sensorItem);

    const RushInDelays delays = RushInDelays::fromWord(words[Word::RushInDelays]);
    ui.AnlaufZ1->setValue(delays.retract);
    ui.AnlaufZ2->setValue(delays.extend);

    // The RPM is converted with the received sensor position, and that position is selected
    // again after the RPM's own reaction may have chosen the other one, so the two agree.
    const std::int32_t rpm =
        SpeedWordToRpm(words[Word::ThrustLimitSpeed],
                       flags.sensorOnGearUnit ? SpeedSensor::GearUnit : SpeedSensor::MotorAxis);
    ui.Anlauf1->setText(QString::number(rpm));
    ui.UpDown3->setPosition(rpm);
    ui.AnlaufS->setItemIndex(sensorItem);

    ui.AnalogPos2->setValue(sliderPosition(AnalogCountsToMm(received[AnalogMaxEntry], geometry)));
    ui.AnalogPos1->setValue(sliderPosition(AnalogCountsToMm(received[AnalogMinEntry], geometry)));

    ui.Hysterese->setText(oneDecimalText(
        static_cast<double>(HysteresisMm(words[Word::Hysteresis], geometry)), separator));
    for (int k = 1; k <= 8; ++k) {
        const std::int64_t entry = received[switchPositionEntry(k)];
        controls_.switchPosition(k)->setText(
            entry >= 0 ? oneDecimalText(static_cast<double>(CountsToMm(entry, geometry)), separator)
                       : QStringLiteral("-1"));
    }

    ui.Laenge->setText(QString::number(geometry.strokeMm));
    block.SwitchPositionCounts = received;
    GetVars();
    if ((words[Word::ZeroWord] & DirectionCounterClockwise) != 0) {
        ui.BT->setChecked(true);
    } else {
        ui.TB->setChecked(true);
    }
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
    if (turns && *turns > MaxTurns) {
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
