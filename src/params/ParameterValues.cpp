#include "params/ParameterValues.h"

#include "params/EditorText.h"
#include "params/FileNumber.h"
#include "params/SpeedWord.h"
#include "params/StrokeAndTurns.h"
#include "params/WordFields.h"
#include "params/WordValues.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zuvo {

namespace {

// The texts a received block shows: one decimal.
QString oneDecimal(long double mm) {
    return oneDecimalText(static_cast<double>(mm), QLatin1Char('.'));
}

bool fitsCounts(std::int64_t counts) {
    return counts >= std::numeric_limits<std::int32_t>::min() &&
           counts <= std::numeric_limits<std::int32_t>::max();
}

// A value for a message: two decimals with the desktop's separator.
QString millimetres(double mm) {
    return fileNumber(mm, systemDecimalSeparator(), 2);
}

// The largest hysteresis with two decimals whose counts fit their word.
double largestHysteresis(Geometry geometry) {
    auto hundredths = static_cast<std::int64_t>(65535.5L * geometry.strokeMm * 100 /
                                                (geometry.turns * CountsPerRevolution));
    while (hundredths > 0 && !HysteresisFitsWord(static_cast<double>(hundredths) / 100, geometry)) {
        --hundredths;
    }
    return static_cast<double>(hundredths) / 100;
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

SwitchPositionCheck checkSwitchPosition(const QString& text, std::optional<Geometry> geometry) {
    const std::optional<double> mm = editorDecimal(text);
    if (!mm) {
        return SwitchPositionCheck::NoNumber;
    }
    if (*mm == NotSetMm) {
        return SwitchPositionCheck::NotSet;
    }
    if (*mm < 0) {
        return SwitchPositionCheck::Negative;
    }
    if (geometry && *mm > static_cast<double>(geometry->strokeMm)) {
        return SwitchPositionCheck::BeyondStroke;
    }
    // Beyond 32 bits of counts the controller would get a different position.
    if (geometry && !fitsCounts(*EditorCounts(*mm, *geometry))) {
        return SwitchPositionCheck::BeyondCounts;
    }
    return SwitchPositionCheck::Usable;
}

bool switchPositionUsable(SwitchPositionCheck check) {
    return check == SwitchPositionCheck::Usable || check == SwitchPositionCheck::NotSet;
}

bool hysteresisUsable(const QString& text, std::optional<Geometry> geometry) {
    const std::optional<double> mm = editorDecimal(text);
    // Counts beyond the word would be cut to a different hysteresis.
    return mm && *mm >= 0 && (!geometry || HysteresisFitsWord(*mm, *geometry));
}

std::vector<ValueField> unusableFields(const ParameterValues& values) {
    std::vector<ValueField> fields;
    if (!strokeUsable(values.strokeMm)) {
        fields.push_back(ValueField::Stroke);
    }
    if (!turnsUsable(values.turns)) {
        fields.push_back(ValueField::Turns);
    }
    const std::optional<Geometry> geometry = valuesGeometry(values);
    if (!hysteresisUsable(values.hysteresisMm, geometry)) {
        fields.push_back(ValueField::Hysteresis);
    }
    for (int k = 1; k <= SwitchPositions; ++k) {
        if (!switchPositionUsable(checkSwitchPosition(
                values.switchPositionsMm[static_cast<std::size_t>(k - 1)], geometry))) {
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
    words[Word::ThrustLimitSpeed] = RpmToSpeedWord(values.thrustLimitRpm, speedSensorOf(values));
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

    setFunctionFlags(values, words[Word::FunctionFlags]);
    setRushInDelays(values, words[Word::RushInDelays]);
    values.thrustLimitRpm = SpeedWordToRpm(words[Word::ThrustLimitSpeed], speedSensorOf(values));

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
            static_cast<std::uint8_t>(words[Word::segmentMask(c)] & SegmentOutputBits);
    }
    block.updateSwitchPositionStates();
    return values;
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

QString unusableFieldText(ValueField field, const ParameterValues& values) {
    const std::optional<Geometry> geometry = valuesGeometry(values);
    switch (field) {
    case ValueField::Stroke:
        return strokeRuleText();
    case ValueField::Turns:
        return turnsRuleText();
    case ValueField::Hysteresis: {
        const std::optional<double> mm = editorDecimal(values.hysteresisMm);
        if (mm && *mm >= 0 && geometry && !HysteresisFitsWord(*mm, *geometry)) {
            return QStringLiteral("the hysteresis of %1 mm is more counts than its word holds "
                                  "(at most %2 mm with this stroke and turns)")
                .arg(millimetres(*mm), millimetres(largestHysteresis(*geometry)));
        }
        return QStringLiteral("the hysteresis must be a number of mm (at most two decimals, "
                              "not negative)");
    }
    default:
        break;
    }
    const int k = switchPositionOf(field);
    const QString& text = values.switchPositionsMm[static_cast<std::size_t>(k - 1)];
    const std::optional<double> mm = editorDecimal(text);
    switch (checkSwitchPosition(text, geometry)) {
    case SwitchPositionCheck::Negative:
        return QStringLiteral("switch position %1 (%2 mm) must not be negative: -1 means not set")
            .arg(k)
            .arg(millimetres(*mm));
    case SwitchPositionCheck::BeyondStroke:
        return QStringLiteral("switch position %1 (%2 mm) lies beyond the stroke of %3 mm")
            .arg(k)
            .arg(millimetres(*mm))
            .arg(geometry->strokeMm);
    case SwitchPositionCheck::BeyondCounts:
        return QStringLiteral("switch position %1 (%2 mm) is more sensor counts than 32 bits hold")
            .arg(k)
            .arg(millimetres(*mm));
    case SwitchPositionCheck::NoNumber:
    case SwitchPositionCheck::NotSet:
    case SwitchPositionCheck::Usable:
        break;
    }
    return QStringLiteral("switch position %1 must be a number of mm within the stroke (at most "
                          "two decimals; -1 means not set)")
        .arg(k);
}

PageControl pageControlOf(ValueField field) {
    switch (field) {
    case ValueField::Stroke:
        return PageControl::Stroke;
    case ValueField::Turns:
        return PageControl::Turns;
    case ValueField::Hysteresis:
        return PageControl::Hysteresis;
    default:
        return switchPositionControl(switchPositionOf(field));
    }
}

std::optional<ValueField> valueFieldOf(PageControl control) {
    switch (control) {
    case PageControl::Stroke:
        return ValueField::Stroke;
    case PageControl::Turns:
        return ValueField::Turns;
    case PageControl::Hysteresis:
        return ValueField::Hysteresis;
    default:
        break;
    }
    const int k = switchPositionOf(control);
    return k != 0 ? std::optional(switchPositionField(k)) : std::nullopt;
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
