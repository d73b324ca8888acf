#include "params/ParameterValues.h"

#include "params/EditorText.h"
#include "params/FileNumber.h"
#include "params/SpeedWord.h"
#include "params/StrokeAndTurns.h"
#include "params/WordFields.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zuvo {

namespace {

// Items of the combo boxes; an index without an item shows item 0.
constexpr int kAnalogFunctionItems = 6;
// Range of the rush-in delay track bars.
constexpr int kMinRushIn = 3;
constexpr int kMaxRushIn = 30;
// Six outputs: bits 0..5 of a segment mask.
constexpr std::uint16_t kOutputBits = 0x3F;

int comboItem(int index, int items) {
    return index < items ? index : 0;
}

SpeedSensor sensorOf(const ParameterValues& values) {
    return values.sensorOnGearUnit ? SpeedSensor::GearUnit : SpeedSensor::MotorAxis;
}

// The texts a received block shows: one decimal.
QString oneDecimal(long double mm) {
    return oneDecimalText(static_cast<double>(mm), QLatin1Char('.'));
}

// A track bar's position: clamped to 0..maximum.
int barPosition(std::int64_t mm, std::int64_t maximum) {
    const std::int64_t top = std::clamp<std::int64_t>(maximum, 0, std::numeric_limits<int>::max());
    return static_cast<int>(std::clamp<std::int64_t>(mm, 0, top));
}

// The two analog bars are set maximum first; each drags the other along, so the maximum ends at
// least at the minimum.
void setAnalogRange(ParameterValues& values, std::int64_t minimumMm, std::int64_t maximumMm,
                    std::int64_t barMaximum) {
    values.analogMinMm = barPosition(minimumMm, barMaximum);
    values.analogMaxMm = std::max(barPosition(maximumMm, barMaximum), values.analogMinMm);
}

void setFlags(ParameterValues& values, std::uint16_t word) {
    const FunctionFlags flags = FunctionFlags::fromWord(word);
    values.analogFunction = comboItem(flags.analogFunction, kAnalogFunctionItems);
    values.digitalOutput4 = flags.digitalOutput4Item();
    values.impulses = flags.impulses;
    values.externalReference = flags.externalReference;
    values.thrustOverload = flags.thrustOverload;
    values.sensorOnGearUnit = flags.sensorOnGearUnit;
}

void setRushIn(ParameterValues& values, std::uint16_t word) {
    const RushInDelays delays = RushInDelays::fromWord(word);
    values.rushInRetractTenths = std::clamp(delays.retract, kMinRushIn, kMaxRushIn);
    values.rushInExtendTenths = std::clamp(delays.extend, kMinRushIn, kMaxRushIn);
}

// A number a file holds for an edit, with the point as its mark; text that is no number as is.
QString fileEditText(const QString& stored) {
    const std::optional<double> value = parseFileNumber(stored);
    return value ? fileNumber(*value, QLatin1Char('.')) : stored;
}

bool fitsWord(std::int64_t value) {
    return value >= 0 && value <= 0xFFFF;
}

bool fitsCounts(std::int64_t counts) {
    return counts >= std::numeric_limits<std::int32_t>::min() &&
           counts <= std::numeric_limits<std::int32_t>::max();
}

bool strokeUsable(std::int64_t mm) {
    return mm >= 1 && mm <= MaxStrokeMm;
}

bool turnsUsable(std::int64_t turns) {
    return turns >= 1 && turns <= MaxTurns;
}

} // namespace

std::array<QString, SwitchPositions> ParameterValues::defaultSwitchPositions() {
    std::array<QString, SwitchPositions> positions;
    positions.fill(QStringLiteral("0.00"));
    return positions;
}

std::optional<Geometry> valuesGeometry(const ParameterValues& values) {
    const Geometry geometry{values.strokeMm, values.turns};
    return geometry.valid() ? std::optional<Geometry>(geometry) : std::nullopt;
}

std::vector<ValueField> unusableFields(const ParameterValues& values) {
    std::vector<ValueField> fields;
    if (!strokeUsable(values.strokeMm)) {
        fields.push_back(ValueField::Stroke);
    }
    if (!turnsUsable(values.turns)) {
        fields.push_back(ValueField::Turns);
    }
    const std::optional<double> hysteresis = editorDecimal(values.hysteresisMm);
    if (!hysteresis || *hysteresis < 0) {
        fields.push_back(ValueField::Hysteresis);
    }
    const std::optional<Geometry> geometry = valuesGeometry(values);
    for (int k = 1; k <= SwitchPositions; ++k) {
        const std::optional<double> mm =
            editorDecimal(values.switchPositionsMm[static_cast<std::size_t>(k - 1)]);
        // Beyond 32 bits of counts the controller would get a different position.
        if (!mm || (geometry && !fitsCounts(*EditorCounts(*mm, *geometry)))) {
            fields.push_back(switchPositionField(k));
        }
    }
    return fields;
}

bool storeValues(const ParameterValues& values, ParameterBlock& block) {
    if (!unusableFields(values).empty()) {
        return false;
    }
    const Geometry geometry = *valuesGeometry(values);
    auto& words = block.Slots;
    words[Word::Stroke] = static_cast<std::uint16_t>(values.strokeMm);
    words[Word::GearTurns] = static_cast<std::uint16_t>(values.turns * 10);
    words[Word::Direction] = values.clockwise ? 0 : DirectionCounterClockwise;

    FunctionFlags flags;
    flags.analogFunction = values.analogFunction;
    flags.digitalOutput4 = values.digitalOutput4;
    flags.impulses = values.impulses;
    flags.externalReference = values.externalReference;
    flags.thrustOverload = values.thrustOverload;
    flags.sensorOnGearUnit = values.sensorOnGearUnit;
    words[Word::FunctionFlags] = flags.toWord();
    words[Word::RushInDelays] =
        RushInDelays{values.rushInRetractTenths & 0x7F, values.rushInExtendTenths & 0x7F}.toWord();
    words[Word::ThrustLimitSpeed] = RpmToSpeedWord(values.thrustLimitRpm, sensorOf(values));
    words[Word::Hysteresis] = *HysteresisCounts(*editorDecimal(values.hysteresisMm), geometry);
    for (int c = 1; c <= Segments; ++c) {
        words[Word::segmentMask(c)] = values.segmentOutputs[static_cast<std::size_t>(c - 1)];
    }

    auto& counts = block.SwitchPositionCounts;
    counts[AnalogMinEntry] = *EditorCounts(std::int64_t{values.analogMinMm}, geometry);
    counts[AnalogMaxEntry] = *EditorCounts(std::int64_t{values.analogMaxMm}, geometry);
    for (int k = 1; k <= SwitchPositions; ++k) {
        counts[switchPositionEntry(k)] = *EditorCounts(
            *editorDecimal(values.switchPositionsMm[static_cast<std::size_t>(k - 1)]), geometry);
    }
    block.splitPositions();
    return true;
}

ParameterValues receivedValues(ParameterBlock& block) {
    ParameterValues values;
    auto& words = block.Slots;
    block.joinPositions();
    const auto& counts = block.SwitchPositionCounts;

    const ReceivedGeometry geometry = receivedGeometry(words[Word::Stroke], words[Word::GearTurns]);
    words[Word::Stroke] = geometry.strokeMm;
    words[Word::GearTurns] = geometry.gearWord;
    values.strokeMm = geometry.strokeMm;
    values.turns = geometry.turns;
    values.clockwise = (words[Word::ZeroWord] & DirectionCounterClockwise) == 0;

    setFlags(values, words[Word::FunctionFlags]);
    setRushIn(values, words[Word::RushInDelays]);
    values.thrustLimitRpm = SpeedWordToRpm(words[Word::ThrustLimitSpeed], sensorOf(values));

    setAnalogRange(values, AnalogCountsToMm(counts[AnalogMinEntry], geometry),
                   AnalogCountsToMm(counts[AnalogMaxEntry], geometry), geometry.strokeMm);
    values.hysteresisMm = oneDecimal(HysteresisMm(words[Word::Hysteresis], geometry));
    for (int k = 1; k <= SwitchPositions; ++k) {
        const std::int64_t entry = counts[switchPositionEntry(k)];
        values.switchPositionsMm[static_cast<std::size_t>(k - 1)] =
            entry >= 0 ? oneDecimal(CountsToMm(entry, geometry)) : QStringLiteral("-1");
    }
    for (int c = 1; c <= Segments; ++c) {
        values.segmentOutputs[static_cast<std::size_t>(c - 1)] =
            static_cast<std::uint8_t>(words[Word::segmentMask(c)] & kOutputBits);
    }
    block.updateSwitchPositionStates();
    return values;
}

ParameterValues loadedValues(const ZdfContent& file, ParameterBlock& block) {
    ParameterValues values;
    auto& words = block.Slots;

    words[Word::ZeroWord] = file.zeroWord;
    values.strokeMm = file.strokeMm;
    words[Word::Stroke] = fitsWord(file.strokeMm) ? static_cast<std::uint16_t>(file.strokeMm) : 0;
    values.clockwise = file.clockwise;
    values.turns = boundedTurns(file.turns);
    // The gear word keeps the file's tenths where it can; turns beyond the edit's bound give
    // the word of the turns the edit shows.
    const double gearWord = std::trunc(file.gear * 10);
    if (gearWord >= 0 && gearWord <= 0xFFFF) {
        words[Word::GearTurns] = static_cast<std::uint16_t>(gearWord);
    } else {
        words[Word::GearTurns] =
            fitsWord(values.turns * 10) ? static_cast<std::uint16_t>(values.turns * 10) : 0;
    }

    words[Word::FunctionFlags] = file.functionFlags;
    setFlags(values, file.functionFlags);
    values.hysteresisMm = fileEditText(file.hysteresis);
    for (int c = 1; c <= Segments; ++c) {
        const std::uint16_t mask = file.segmentMasks[static_cast<std::size_t>(c - 1)];
        words[Word::segmentMask(c)] = mask;
        values.segmentOutputs[static_cast<std::size_t>(c - 1)] =
            static_cast<std::uint8_t>(mask & kOutputBits);
    }
    // An unusable stroke leaves the bars' range as it was; only their lower end is certain.
    const std::int64_t barMaximum =
        strokeUsable(file.strokeMm) ? file.strokeMm : std::numeric_limits<int>::max();
    setAnalogRange(values, file.analogMinMm, file.analogMaxMm, barMaximum);
    for (int k = 1; k <= SwitchPositions; ++k) {
        values.switchPositionsMm[static_cast<std::size_t>(k - 1)] =
            fileEditText(file.switchPositions[static_cast<std::size_t>(k - 1)]);
    }

    const Geometry geometry{values.strokeMm, values.turns};
    auto& counts = block.SwitchPositionCounts;
    counts[AnalogMinEntry] = EditorCounts(std::int64_t{values.analogMinMm}, geometry).value_or(-1);
    counts[AnalogMaxEntry] = EditorCounts(std::int64_t{values.analogMaxMm}, geometry).value_or(-1);
    for (int k = 1; k <= SwitchPositions; ++k) {
        const std::optional<double> mm =
            editorDecimal(values.switchPositionsMm[static_cast<std::size_t>(k - 1)]);
        counts[switchPositionEntry(k)] =
            mm ? FileCounts(*mm, geometry).value_or(-1) : std::int64_t{-1};
    }

    words[Word::RushInDelays] = file.rushInDelays;
    setRushIn(values, file.rushInDelays);
    words[Word::ThrustLimitSpeed] = file.thrustLimitSpeed;
    values.thrustLimitRpm = SpeedWordToRpm(file.thrustLimitSpeed, sensorOf(values));
    block.updateSwitchPositionStates();
    return values;
}

std::optional<ZdfContent> fileContent(const ParameterValues& values, QChar decimalSeparator) {
    ParameterBlock block;
    if (!storeValues(values, block)) {
        return std::nullopt;
    }
    const auto& words = block.Slots;
    ZdfContent file;
    file.strokeMm = values.strokeMm;
    file.gear = static_cast<double>(values.turns);
    file.turns = values.turns;
    file.clockwise = values.clockwise;
    file.hysteresis = fileNumber(*editorDecimal(values.hysteresisMm), decimalSeparator);
    for (int c = 1; c <= Segments; ++c) {
        file.segmentMasks[static_cast<std::size_t>(c - 1)] = words[Word::segmentMask(c)];
    }
    file.functionFlags = words[Word::FunctionFlags];
    file.rushInDelays = words[Word::RushInDelays];
    file.thrustLimitSpeed = words[Word::ThrustLimitSpeed];
    for (int k = 1; k <= SwitchPositions; ++k) {
        file.switchPositions[static_cast<std::size_t>(k - 1)] =
            fileNumber(*editorDecimal(values.switchPositionsMm[static_cast<std::size_t>(k - 1)]),
                       decimalSeparator);
    }
    file.analogMinMm = values.analogMinMm;
    file.analogMaxMm = values.analogMaxMm;
    return file;
}

QString fileKeyOf(ValueField field) {
    switch (field) {
    case ValueField::Stroke:
        return QStringLiteral("LENGTH");
    case ValueField::Turns:
        return QStringLiteral("GEAR");
    case ValueField::Hysteresis:
        return QStringLiteral("HYSTERESIS");
    default:
        return QStringLiteral("Pos%1").arg(switchPositionOf(field));
    }
}

QString unusableFieldText(ValueField field) {
    switch (field) {
    case ValueField::Stroke:
        return QStringLiteral("the stroke must be a whole number of 1..65535 mm");
    case ValueField::Turns:
        return QStringLiteral("the turns must be a whole number of 1..6000");
    case ValueField::Hysteresis:
        return QStringLiteral("the hysteresis must be a number of mm (at most two decimals, "
                              "not negative)");
    default:
        return QStringLiteral("switch position %1 must be a number of mm within the cylinder's "
                              "reach (at most two decimals, -1 = not set)")
            .arg(switchPositionOf(field));
    }
}

QString neutralDecimalText(const QString& shown, QChar decimalSeparator) {
    if (shown.trimmed().isEmpty() || !editorDecimal(shown)) {
        return shown;
    }
    QString neutral = shown;
    for (QChar& c : neutral) {
        if (c == QLatin1Char(',') || c == decimalSeparator) {
            c = QLatin1Char('.');
        }
    }
    return neutral;
}

QString shownDecimalText(const QString& neutral, QChar decimalSeparator) {
    if (neutral.trimmed().isEmpty() || !editorDecimal(neutral)) {
        return neutral;
    }
    QString shown = neutral;
    shown.replace(QLatin1Char('.'), decimalSeparator);
    return shown;
}

} // namespace zuvo
