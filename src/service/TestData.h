#pragma once
// The controller's test data: text lines ended by carriage returns, read as 8-bit characters.

#include <QStringList>

#include <cstdint>
#include <optional>
#include <span>

namespace zuvo {

// Silence that ends a test-data reception.
inline constexpr int kTestDataSilenceMs = 1728;

// The lines of one reception, or nullopt when nothing arrived (the lines shown before stay).
// A line of exactly six characters is shown as four, a blank and two. Bytes after the last
// carriage return belong to no finished line and are dropped; a line feed is part of a line.
// Lines are shown whole whatever their length.
std::optional<QStringList> testDataLines(std::span<const std::uint8_t> received);

} // namespace zuvo
