#pragma once
// A key of a parameter file that is present but cannot be used as written: a value that does not
// convert, or one the pages cannot hold (they would clamp, mask or replace it). Loading still
// shows the file, but such a set is never sent or saved until the value is corrected.

#include <QString>

#include <vector>

namespace zuvo {

// The page controls a file's keys are shown on.
enum class PageControl {
    Stroke,                         // Laenge
    Turns,                          // Turns
    Direction,                      // TB, BT
    Hysteresis,                     // Hysterese
    AnalogFunction,                 // AnalogComboBox1
    DigitalOutput4,                 // DIG4
    Impulses,                       // ISpur
    ExternalReference,              // ExtRef
    ThrustOverload,                 // AnlaufE
    SensorPosition,                 // AnlaufS
    RushInRetract,                  // AnlaufZ1
    RushInExtend,                   // AnlaufZ2
    ThrustLimit,                    // Anlauf1
    AnalogMin,                      // AnalogPos1
    AnalogMax,                      // AnalogPos2
    Segment1,                       // the switch grid's column 1; Segment2..Segment9 follow
    SwitchPosition1 = Segment1 + 9, // DOPos1; SwitchPosition2..SwitchPosition8 follow
    SwitchPosition8 = SwitchPosition1 + 7,
};

constexpr PageControl segmentControl(int c) {
    return static_cast<PageControl>(static_cast<int>(PageControl::Segment1) + c - 1);
}
constexpr PageControl switchPositionControl(int k) {
    return static_cast<PageControl>(static_cast<int>(PageControl::SwitchPosition1) + k - 1);
}
// 1..9 for a grid column, 0 otherwise.
constexpr int segmentOf(PageControl control) {
    const int c = static_cast<int>(control) - static_cast<int>(PageControl::Segment1) + 1;
    return c >= 1 && c <= 9 ? c : 0;
}
// 1..8 for a switch position, 0 otherwise.
constexpr int switchPositionOf(PageControl control) {
    const int k = static_cast<int>(control) - static_cast<int>(PageControl::SwitchPosition1) + 1;
    return k >= 1 && k <= 8 ? k : 0;
}

struct FileProblem {
    QString section; // as the program writes it: "ZYLINDER"
    QString key;     // "LENGTH"
    QString written; // the value as the file holds it
    QString reason;  // what it must be: "the stroke must be a whole number of 1..65535 mm"
    std::vector<PageControl> controls; // where the pages show the key
    // The pages show the value as written (an edit's text): the set stays refused for as long
    // as the edit holds it. Otherwise they show what they could make of it (the key's default,
    // a clamped or masked value), and the set stays refused until the user changes the control.
    bool held = false;

    bool operator==(const FileProblem&) const = default;
};

// Where the value stands, safe to show: [ZYLINDER] LENGTH="abc" in set.ZDF
QString fileProblemOrigin(const FileProblem& problem, const QString& fileName);

// The reason with its origin: the stroke must be ... ([ZYLINDER] LENGTH="abc" in set.ZDF)
QString fileProblemText(const FileProblem& problem, const QString& fileName);

} // namespace zuvo
