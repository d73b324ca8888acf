#pragma once
// The position recording: one sample per status reply into two fixed rings, and the two trace
// segments each sample adds to the strip chart (position in red, its change in blue).

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zuvo {

struct TraceSegment {
    int x1, y1, x2, y2;
};

// What one sample draws; nothing for the first sample of a sweep.
struct SampleTraces {
    TraceSegment difference; // blue, around the middle line
    TraceSegment position;   // red, 0 at the bottom edge, the full stroke at the top
};

// The chart's size and the divider of the difference trace at the time of a sample.
struct ChartScale {
    int width = 1;
    int height = 0;
    int divider = 100; // "Diff.-Teiler"; below 1 counts as 1
};

class PositionRecord {
public:
    static constexpr int kCapacity = 20000;

    PositionRecord();

    // Takes one sample of the absolute position `counts` with `turns` sensor revolutions over the
    // stroke. After kCapacity samples the index wraps and the record starts over.
    std::optional<SampleTraces> take(std::int32_t counts, int turns, const ChartScale& scale);
    // The same with the position already as a fraction of the full stroke (0 when unknown), taken
    // `timeMs` after the recording began.
    std::optional<SampleTraces> take(std::int32_t counts, double strokeFraction,
                                     const ChartScale& scale, std::int64_t timeMs = 0);

    // Forgets the samples (the rings stay allocated).
    void clear() { count_ = 0; }

    // Samples since the last clear or wrap, oldest first.
    int count() const { return count_; }
    // Position of sample i in hundredths of a turn.
    std::int32_t hundredths(int i) const { return hundredths_[static_cast<std::size_t>(i)]; }
    // When sample i was taken, in ms after the recording began.
    std::int64_t timeMs(int i) const { return timesMs_[static_cast<std::size_t>(i)]; }
    // Position of sample i as a height in pixels of the chart it was taken for.
    std::int32_t plotHeight(int i) const { return plotHeights_[static_cast<std::size_t>(i)]; }

private:
    std::vector<std::int32_t> plotHeights_;
    std::vector<std::int32_t> hundredths_;
    std::vector<std::int64_t> timesMs_;
    int count_ = 0;
    std::int64_t previousCounts_ = 0;
    std::int64_t previousDifference_ = 0;
};

// Position in hundredths of a turn (1024 counts), truncated toward zero.
std::int32_t hundredthsOfTurn(std::int32_t counts);

// The caption of the stop/start button once recording is switched on or off.
QString recordButtonCaption(bool recording);

} // namespace zuvo
