#pragma once
// Records, draws and saves the position over time.

#include "service/PositionRecord.h"

#include <QElapsedTimer>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

namespace zuvo {

class TForm1;

class PositionRecording {
public:
    // A modal message the user must acknowledge.
    using MessageFn = std::function<void(const QString&)>;

    explicit PositionRecording(TForm1& form);

    // True while the recording view is shown and recording is on.
    bool isRecording() const;
    // One sample per status reply while recording: position in counts and stroke fraction.
    void takeSample(std::int32_t positionCounts, double strokeFraction);

    // APos double-click: in service mode, leaves it and opens the recording view.
    void enter();
    void Button6Click(); // Clear
    void Button8Click(); // Stop / START
    void Button7Click(); // Save
    void Button9Click(); // Exit

    const PositionRecord& record() const { return record_; }
    // The samples now, or those cleared last when there are none now (the report plots them).
    const PositionRecord& lastRecording() const { return record_.count() > 0 ? record_ : last_; }
    // Replaces the message box (tests).
    void setMessageFn(MessageFn show) { showMessage_ = std::move(show); }

private:
    // The drawing surface at the panel's size; a resized panel keeps what was drawn.
    QImage& chart();
    void clearChart();
    // Forgets the samples, keeping them as the last recording.
    void clearRecord();

    TForm1& form_;
    PositionRecord record_;
    PositionRecord last_; // the samples before the last clear
    QElapsedTimer clock_; // from the first sample since the last clear
    bool recording_ = true;
    MessageFn showMessage_;
};

} // namespace zuvo
