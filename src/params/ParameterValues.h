#pragma once
// The parameter set in the user's units, as the editor pages hold it, and its conversions to and
// from the controller's words and the parameter file's keys:
//
//   words of a block  --receivedValues-->  ParameterValues  --storeValues-->  words of a block
//   parameter file    --loadedValues--->   ParameterValues  --fileContent-->  parameter file
//
// The window's editor model (EditorModel.h) holds a ParameterValues and takes it from these
// functions; anything that needs the set without the window (backups, comparing two sets, a
// command-line tool) uses the same functions, so a set means the same everywhere. The block side
// is ParameterValues.cpp, the file side (loadedValues, loadProblems, usableFileValues,
// fileContent) ParameterFileValues.cpp.
//
// The number edits (stroke, turns, hysteresis, switch positions) can hold something that is no
// usable number: a file may say LENGTH=0, or Pos3=abc. Such a value is kept and shown as it is;
// unusableFields() names it, and storeValues() and fileContent() refuse the whole set, so that
// nothing unusable reaches the controller or a file. loadProblems() names every key of a file
// that cannot be used as written, the edits' values among them.

#include "params/ParameterBlock.h"
#include "params/UnitConversions.h"
#include "params/ZdfContent.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zuvo {

inline constexpr int SwitchPositions = 8;
inline constexpr int Segments = 9;

struct ParameterValues {
    // Cylinder Settings
    std::int64_t strokeMm = 1000;   // Laenge; usable 1..65535
    std::int64_t turns = 100;       // Turns: sensor revolutions over the stroke; usable 1..6000
    bool clockwise = true;          // TB ("Clockwise Direction"), else BT
    bool externalReference = false; // ExtRef

    // Digital Output Configuration. The edits' texts with a point as the decimal mark; a switch
    // position of -1 is "not set", another negative one cannot be used.
    std::array<QString, SwitchPositions> switchPositionsMm = defaultSwitchPositions(); // DOPos
    QString hysteresisMm = QStringLiteral("0.00");                                     // Hysterese
    // Per segment (column of the switch grid): bit r-1 = output r is on in that segment.
    std::array<std::uint8_t, Segments> segmentOutputs{};
    int digitalOutput4 = 0; // DIG4 item: 0 "Digital Output", 1 "PWM : 0..max", 2 "PWM : max..0"
    int impulses = 0;       // ISpur item: 0 "32", 1 "64", 2 "128", 3 "256"

    // Analog Output Configuration
    int analogFunction = 0; // AnalogComboBox1 item: "0..10V" .. "20..4mA"
    int analogMinMm = 0;    // AnalogPos1
    int analogMaxMm = 1000; // AnalogPos2

    // Thrust Overload
    bool thrustOverload = false;        // AnlaufE "Enabled"
    bool sensorOnGearUnit = false;      // AnlaufS "end of gear unit", else "directly on motor axis"
    std::int32_t thrustLimitRpm = 1400; // Anlauf1
    int rushInRetractTenths = 10;       // AnlaufZ1, 0.1 s
    int rushInExtendTenths = 10;        // AnlaufZ2, 0.1 s

    bool operator==(const ParameterValues&) const = default;

    static std::array<QString, SwitchPositions> defaultSwitchPositions();
};

// The edits whose text can be unusable.
enum class ValueField {
    Stroke,
    Turns,
    Hysteresis,
    SwitchPosition1, // .. SwitchPosition8 follow in order
};
constexpr ValueField switchPositionField(int k) {
    return static_cast<ValueField>(static_cast<int>(ValueField::SwitchPosition1) + k - 1);
}
// 1..8 for a switch position, 0 otherwise.
constexpr int switchPositionOf(ValueField field) {
    const int k = static_cast<int>(field) - static_cast<int>(ValueField::SwitchPosition1) + 1;
    return k >= 1 ? k : 0;
}

// A switch position of -1 mm is not set.
inline constexpr double NotSetMm = -1.0;

// What a switch position's text (either decimal mark) is, on a cylinder of `geometry` when it is
// known.
enum class SwitchPositionCheck {
    Usable,
    NotSet,       // -1
    NoNumber,     // no number of mm with at most two decimals
    Negative,     // below 0 but not -1
    BeyondStroke, // more than the stroke
    BeyondCounts, // more sensor counts than 32 bits hold
};
SwitchPositionCheck checkSwitchPosition(const QString& text, std::optional<Geometry> geometry);
// Usable or not set.
bool switchPositionUsable(SwitchPositionCheck check);

// A hysteresis text (either decimal mark) that is a number of mm, not negative, whose counts fit
// their word on a cylinder of `geometry` when it is known.
bool hysteresisUsable(const QString& text, std::optional<Geometry> geometry);

// The fields whose value cannot be used, in page order: a stroke outside 1..65535 mm, turns
// outside 1..6000, a hysteresis that is no number of mm with two decimals, is negative or is more
// counts than its word holds, a switch position that is not usable (checkSwitchPosition).
std::vector<ValueField> unusableFields(const ParameterValues& values);

// Stroke and turns, when both are usable.
std::optional<Geometry> valuesGeometry(const ParameterValues& values);

// What a send or a save makes of the pages (SetVars): words 1..36 and the ten positions in
// counts. False, and the block unchanged, while a field is unusable. The position states are
// left alone.
bool storeValues(const ParameterValues& values, ParameterBlock& block);

// The pages that show a block read from the controller (words 0..15+E stored and the positions
// joined). A stroke word of 0 becomes 1 and a gear word of 0 becomes 10, in the block too.
ParameterValues receivedValues(ParameterBlock& block);

// The pages that show a parameter file, and the block as loading it sets it: words 0..3 and
// 5..15 and the ten positions (the switch positions converted as loaded positions are). The
// sensor position is the file's, and the speed is converted with it. The edits' values are the
// file's as written, usable or not.
ParameterValues loadedValues(const ZdfContent& file, ParameterBlock& block);

// Every present key of a file whose value cannot be used as written: the file's own problems
// (values the pages cannot hold), then the edits' values of `loaded` (loadedValues of the file)
// that unusableFields refuses, each `held`. A set with any of them is not sent.
std::vector<FileProblem> loadProblems(const ZdfContent& file, const ParameterValues& loaded);

// The parameter set of a file's editor sections as "Read from File" shows it, when every present
// key can be used as written; otherwise each key that cannot, for the user (fileProblemText,
// naming the file's key and value). Neither for a file that holds no parameter set.
struct UsableFileValues {
    std::optional<ParameterValues> values;
    QStringList problems;
};
UsableFileValues usableFileValues(const IniFile& ini);

// The keys "Save to File" writes for the values, numbers with `decimalSeparator` (see
// FileNumber.h); nothing while a field is unusable.
std::optional<ZdfContent> fileContent(const ParameterValues& values, QChar decimalSeparator);

// The file key an edit's value is saved under (LENGTH, GEAR, HYSTERESIS, Pos1..Pos8).
QString fileKeyOf(ValueField field);

// Why a field's value in `values` cannot be used, for the user: names the field and says what it
// must be (a switch position beyond the stroke names the stroke).
QString unusableFieldText(ValueField field, const ParameterValues& values);

// The page control that shows a field, and the field an edit shows.
PageControl pageControlOf(ValueField field);
std::optional<ValueField> valueFieldOf(PageControl control);

// A page's decimal text with the point as its mark, from what an edit shows with
// `decimalSeparator`; and back. Text that is no number is kept as it is.
QString neutralDecimalText(const QString& shown, QChar decimalSeparator);
QString shownDecimalText(const QString& neutral, QChar decimalSeparator);

} // namespace zuvo
