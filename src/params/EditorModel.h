#pragma once
// The editor pages' model: the parameter values in the user's units, the values that cannot be
// used and why, and where each value came from (the controller, a file, typing). Showing a block
// read from the controller, loading a file and typing all change the model; the pages follow its
// `changed` signal, so no control holds the only copy of a value. A send or a save makes its
// words from values() with the same functions a command-line write uses.

#include "params/FileProblem.h"
#include "params/ParameterBlock.h"
#include "params/ParameterValues.h"
#include "params/SwitchGrid.h"
#include "params/UnitConversions.h"
#include "params/ZdfContent.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace zuvo {

enum class ValueSource {
    Start,      // the pages' values when the window opens
    Controller, // a block read from the controller
    File,       // a parameter file
    Typing,     // the user, or a rule of the pages that followed the user's change
};

struct ValueOrigin {
    ValueSource source = ValueSource::Start;
    QString fileName; // the file's name, for File

    bool operator==(const ValueOrigin&) const = default;
};

// A key of the file last shown that cannot be used as written, with that file's name.
struct NotedFileProblem {
    FileProblem problem;
    QString fileName;

    bool operator==(const NotedFileProblem&) const = default;
};

// What decoding the controller's positions and speeds needs of the pages: the stroke and turns
// as they stand (turns below 1 when they are no usable number) and where the speed sensor sits.
struct DecodingGeometry {
    double strokeMm = 1000;
    int turns = 100;
    bool sensorOnMotorAxis = true;

    bool operator==(const DecodingGeometry&) const = default;
};

// Below this speed the motor-axis sensor sees too few pulses: typing a lower thrust-limit speed
// selects the sensor at the end of the gear unit.
inline constexpr std::int32_t GearUnitBelowRpm = 150;

class EditorModel : public QObject {
    Q_OBJECT

public:
    explicit EditorModel(QObject* parent = nullptr);

    // The values as the pages show them and as a send or a save takes them: the analog range
    // lies within the stroke. Every value is kept as it was set, so a range that a shorter
    // stroke cuts comes back whole when the stroke is long enough again.
    const ParameterValues& values() const { return shown_; }
    ValueOrigin origin(PageControl control) const;

    // The stroke and turns the pages convert and draw with: the values' own, or the last usable
    // ones while the values' cannot be used.
    Geometry workingGeometry() const { return working_; }
    DecodingGeometry decodingGeometry() const;

    // The switch positions in counts and their states, as the grid greys its segments: set from
    // a shown block or file, and for one position when it is typed. Once a position is not set,
    // the later ones count as not set until they are typed again.
    const std::array<std::int64_t, PositionCount>& positionCounts() const { return counts_; }
    const std::array<std::int32_t, PositionCount>& positionStates() const { return states_; }
    // The switch grid: each segment's outputs, greyed while the segment's start is not set.
    SwitchGridValues grid() const;

    // Why the values cannot be sent or saved, for the user: every field that cannot be used
    // (naming the file's key while it still holds the file's value), then every file value the
    // pages could not take as written. Empty when they can.
    QStringList refusals() const;
    // The keys of the file last shown that cannot be used as written. One ends when the user
    // changes a value it concerns, another file is shown or a block is.
    const std::vector<NotedFileProblem>& fileProblems() const { return problems_; }
    bool marked(PageControl control) const;

    // A block read from the controller (words 0..15+E stored): receivedValues, which also
    // replaces a stroke or gear word of 0 in the block and joins its positions.
    void showReceived(ParameterBlock& block);
    // A parameter file read completely: loadedValues into `block`, and the keys the pages cannot
    // use as written (loadProblems).
    void showFile(const ZdfContent& file, const QString& fileName, ParameterBlock& block);

    // Typing: a control's new value. A value equal to the model's changes nothing.
    void setStroke(std::int64_t mm);
    void setTurns(std::int64_t turns); // more than 6000 become 6000
    void setClockwise(bool clockwise);
    // A switch position 1 that is not set becomes 0 mm when the function is switched.
    void setExternalReference(bool on);
    void setHysteresis(const QString& mm);
    // Switch position k (1..8) with a point as its decimal mark; -1 is not set.
    void setSwitchPosition(int k, const QString& mm);
    void setSegmentOutput(int segment, int output, bool on);
    void setDigitalOutput4(int item);
    void setImpulses(int item);
    void setAnalogFunction(int item);
    // Each end of the analog range drags the other along: the minimum never lies above the
    // maximum.
    void setAnalogMin(int mm);
    void setAnalogMax(int mm);
    void setThrustOverload(bool on);
    void setSensorOnGearUnit(bool gearUnit);
    // Also selects the sensor's position by GearUnitBelowRpm.
    void setThrustLimitRpm(std::int32_t rpm);
    void setRushInRetract(int tenths);
    void setRushInExtend(int tenths);
    // The user acted on a control without changing its value (chose the item it shows, stepped
    // a bar at its end): the file problems on it end all the same.
    void touched(PageControl control);

signals:
    // Values, origins or file problems changed.
    void changed();
    void decodingGeometryChanged(const zuvo::DecodingGeometry& geometry);

private:
    static constexpr std::size_t kControls =
        static_cast<std::size_t>(PageControl::SwitchPosition8) + 1;

    // The user changed `control`: its value is typed now, and the file problems on it end.
    void typed(PageControl control);
    // A rule of the pages changed `control` after the user's change.
    void followed(PageControl control);
    void setAllOrigins(const ValueOrigin& origin);
    // After every change: the working geometry, the shown values, the signals.
    void update();

    ParameterValues values_; // as set: the analog range may lie beyond the stroke
    ParameterValues shown_;
    Geometry working_{1000, 100};
    std::array<std::int64_t, PositionCount> counts_{};
    std::array<std::int32_t, PositionCount> states_{};
    std::array<ValueOrigin, kControls> origins_{};
    std::vector<NotedFileProblem> problems_;
    DecodingGeometry decoding_;
};

} // namespace zuvo
