#include "params/EditorModel.h"

#include "params/EditorText.h"
#include "params/StrokeAndTurns.h"

#include <algorithm>
#include <limits>

namespace zuvo {

namespace {

bool concerns(const FileProblem& problem, PageControl control) {
    return std::find(problem.controls.begin(), problem.controls.end(), control) !=
           problem.controls.end();
}

// The count the grid greys by for a typed switch position: a text that is no number yet ("-"
// while -1 is typed) counts as not set until it is one; a send refuses it anyway.
std::int64_t typedCounts(const QString& text, Geometry geometry) {
    const std::optional<double> mm = editorDecimal(text);
    if (!mm) {
        return -1;
    }
    return EditorCounts(*mm, geometry).value_or(*mm < 0 ? -1 : 0);
}

} // namespace

EditorModel::EditorModel(QObject* parent) : QObject(parent) {
    shown_ = values_;
    decoding_ = decodingGeometry();
}

ValueOrigin EditorModel::origin(PageControl control) const {
    return origins_[static_cast<std::size_t>(control)];
}

DecodingGeometry EditorModel::decodingGeometry() const {
    DecodingGeometry geometry;
    geometry.strokeMm = static_cast<double>(values_.strokeMm);
    geometry.turns = values_.turns >= 1 && values_.turns <= std::numeric_limits<int>::max()
                         ? static_cast<int>(values_.turns)
                         : 0;
    geometry.sensorOnMotorAxis = !values_.sensorOnGearUnit;
    return geometry;
}

SwitchGridValues EditorModel::grid() const {
    return gridValues(shown_.segmentOutputs, states_);
}

QStringList EditorModel::refusals() const {
    QStringList texts;
    for (const ValueField field : unusableFields(shown_)) {
        QString reason = unusableFieldText(field, shown_);
        for (const NotedFileProblem& noted : problems_) {
            if (noted.problem.held && valueFieldOf(noted.problem.controls.front()) == field) {
                reason += QStringLiteral(" (") + fileProblemOrigin(noted.problem, noted.fileName) +
                          QLatin1Char(')');
            }
        }
        texts << reason;
    }
    // A held value refuses by its field's own rule above; the others only by their mark.
    for (const NotedFileProblem& noted : problems_) {
        if (!noted.problem.held) {
            texts << fileProblemText(noted.problem, noted.fileName);
        }
    }
    return texts;
}

bool EditorModel::marked(PageControl control) const {
    return std::any_of(problems_.begin(), problems_.end(), [control](const NotedFileProblem& n) {
        return concerns(n.problem, control);
    });
}

void EditorModel::showReceived(ParameterBlock& block) {
    values_ = receivedValues(block);
    counts_ = block.SwitchPositionCounts;
    states_ = block.SwitchPositionState;
    problems_.clear(); // the controller's values replace the file's
    setAllOrigins({ValueSource::Controller, {}});
    update();
}

void EditorModel::showFile(const ZdfContent& file, const QString& fileName, ParameterBlock& block) {
    values_ = loadedValues(file, block);
    counts_ = block.SwitchPositionCounts;
    states_ = block.SwitchPositionState;
    problems_.clear();
    for (FileProblem& problem : loadProblems(file, values_)) {
        problems_.push_back({std::move(problem), fileName});
    }
    setAllOrigins({ValueSource::File, fileName});
    update();
}

void EditorModel::setStroke(std::int64_t mm) {
    if (mm == values_.strokeMm) {
        return;
    }
    values_.strokeMm = mm;
    typed(PageControl::Stroke);
    update();
}

// Even when the bound gives the turns the model holds already, the pages hear of it: the edit
// that shows more than the bound takes the bound.
void EditorModel::setTurns(std::int64_t turns) {
    if (turns == values_.turns) {
        return;
    }
    values_.turns = turns > MaxTurns ? boundedTurns(turns) : turns;
    typed(PageControl::Turns);
    update();
}

void EditorModel::setClockwise(bool clockwise) {
    if (clockwise == values_.clockwise) {
        return;
    }
    values_.clockwise = clockwise;
    typed(PageControl::Direction);
    update();
}

void EditorModel::setExternalReference(bool on) {
    if (on == values_.externalReference) {
        return;
    }
    values_.externalReference = on;
    typed(PageControl::ExternalReference);
    QString& first = values_.switchPositionsMm[0];
    if (const std::optional<double> mm = editorDecimal(first); mm && *mm < 0) {
        first = QStringLiteral("0");
        counts_[switchPositionEntry(1)] = typedCounts(first, working_);
        updateSwitchPositionStates(counts_, states_);
        typed(PageControl::SwitchPosition1);
    }
    update();
}

void EditorModel::setHysteresis(const QString& mm) {
    if (mm == values_.hysteresisMm) {
        return;
    }
    values_.hysteresisMm = mm;
    typed(PageControl::Hysteresis);
    update();
}

void EditorModel::setSwitchPosition(int k, const QString& mm) {
    QString& text = values_.switchPositionsMm[static_cast<std::size_t>(k - 1)];
    if (mm == text) {
        return;
    }
    text = mm;
    counts_[switchPositionEntry(k)] = typedCounts(mm, working_);
    updateSwitchPositionStates(counts_, states_);
    typed(switchPositionControl(k));
    update();
}

void EditorModel::setSegmentOutput(int segment, int output, bool on) {
    std::uint8_t& outputs = values_.segmentOutputs[static_cast<std::size_t>(segment - 1)];
    const auto bit = static_cast<std::uint8_t>(1U << (output - 1));
    const auto next = static_cast<std::uint8_t>(on ? outputs | bit : outputs & ~bit);
    if (next == outputs) {
        return;
    }
    outputs = next;
    typed(segmentControl(segment));
    update();
}

void EditorModel::setDigitalOutput4(int item) {
    if (item == values_.digitalOutput4) {
        return;
    }
    values_.digitalOutput4 = item;
    typed(PageControl::DigitalOutput4);
    update();
}

void EditorModel::setImpulses(int item) {
    if (item == values_.impulses) {
        return;
    }
    values_.impulses = item;
    typed(PageControl::Impulses);
    update();
}

void EditorModel::setAnalogFunction(int item) {
    if (item == values_.analogFunction) {
        return;
    }
    values_.analogFunction = item;
    typed(PageControl::AnalogFunction);
    update();
}

// The ends are compared as shown: a bar drawn within a shorter stroke reports its clamped
// position, which is no change of the value.
void EditorModel::setAnalogMin(int mm) {
    if (mm == shown_.analogMinMm) {
        return;
    }
    values_.analogMinMm = mm;
    if (shown_.analogMaxMm < mm) {
        values_.analogMaxMm = mm;
        followed(PageControl::AnalogMax);
    }
    typed(PageControl::AnalogMin);
    update();
}

void EditorModel::setAnalogMax(int mm) {
    if (mm == shown_.analogMaxMm) {
        return;
    }
    values_.analogMaxMm = mm;
    if (mm < shown_.analogMinMm) {
        values_.analogMinMm = mm;
        followed(PageControl::AnalogMin);
    }
    typed(PageControl::AnalogMax);
    update();
}

void EditorModel::setThrustOverload(bool on) {
    if (on == values_.thrustOverload) {
        return;
    }
    values_.thrustOverload = on;
    typed(PageControl::ThrustOverload);
    update();
}

void EditorModel::setSensorOnGearUnit(bool gearUnit) {
    if (gearUnit == values_.sensorOnGearUnit) {
        return;
    }
    values_.sensorOnGearUnit = gearUnit;
    typed(PageControl::SensorPosition);
    update();
}

void EditorModel::setThrustLimitRpm(std::int32_t rpm) {
    if (rpm == values_.thrustLimitRpm) {
        return;
    }
    values_.thrustLimitRpm = rpm;
    typed(PageControl::ThrustLimit);
    const bool gearUnit = rpm < GearUnitBelowRpm;
    if (gearUnit != values_.sensorOnGearUnit) {
        values_.sensorOnGearUnit = gearUnit;
        followed(PageControl::SensorPosition);
    }
    update();
}

void EditorModel::setRushInRetract(int tenths) {
    if (tenths == values_.rushInRetractTenths) {
        return;
    }
    values_.rushInRetractTenths = tenths;
    typed(PageControl::RushInRetract);
    update();
}

void EditorModel::setRushInExtend(int tenths) {
    if (tenths == values_.rushInExtendTenths) {
        return;
    }
    values_.rushInExtendTenths = tenths;
    typed(PageControl::RushInExtend);
    update();
}

void EditorModel::touched(PageControl control) {
    if (!marked(control)) {
        return;
    }
    typed(control);
    update();
}

void EditorModel::typed(PageControl control) {
    followed(control);
    problems_.erase(std::remove_if(problems_.begin(), problems_.end(),
                                   [control](const NotedFileProblem& noted) {
                                       return concerns(noted.problem, control);
                                   }),
                    problems_.end());
}

void EditorModel::followed(PageControl control) {
    origins_[static_cast<std::size_t>(control)] = {ValueSource::Typing, {}};
}

void EditorModel::setAllOrigins(const ValueOrigin& origin) {
    origins_.fill(origin);
}

void EditorModel::update() {
    if (strokeUsable(values_.strokeMm)) {
        working_.strokeMm = values_.strokeMm;
    }
    if (turnsUsable(values_.turns)) {
        working_.turns = values_.turns;
    }
    shown_ = values_;
    const auto withinStroke = [this](int mm) {
        return static_cast<int>(std::clamp<std::int64_t>(mm, 0, working_.strokeMm));
    };
    shown_.analogMinMm = withinStroke(values_.analogMinMm);
    shown_.analogMaxMm = withinStroke(values_.analogMaxMm);

    if (const DecodingGeometry geometry = decodingGeometry(); geometry != decoding_) {
        decoding_ = geometry;
        emit decodingGeometryChanged(geometry);
    }
    emit changed();
}

} // namespace zuvo
