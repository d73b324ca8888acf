#pragma once
// Records, draws and saves the position over time.

#include <cstdint>

namespace zuvo {

class TForm1;

class PositionRecording {
public:
    explicit PositionRecording(TForm1& form);

    // True while the recording view is shown and recording is on.
    bool isRecording() const;
    // One sample per status reply while recording: position in counts and stroke fraction.
    void takeSample(std::int32_t positionCounts, double strokeFraction);

private:
    TForm1& form_;
};

} // namespace zuvo
