#include "service/TestData.h"

#include <gtest/gtest.h>

#include <string>

namespace zuvo {
namespace {

std::optional<QStringList> linesOf(const std::string& bytes) {
    return testDataLines(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

TEST(TestData, LinesOfAReception) {
    struct Case {
        const char* name;
        std::string received;
        QStringList lines;
    };
    const Case cases[] = {
        {"six characters get a blank after the fourth", "123456\r", {"1234 56"}},
        {"five stay", "12345\r", {"12345"}},
        {"seven stay", "1234567\r", {"1234567"}},
        {"bytes after the last CR are dropped", "A\rB", {"A"}},
        {"no CR at all: no line", "B", {}},
        {"an empty line", "\r", {""}},
        {"a line feed belongs to the line", "12345\r\n12345\r", {"12345", "\n123 45"}},
        {"several lines", "0001FF\rTemp 25\rxy\r", {"0001 FF", "Temp 25", "xy"}},
        {"a long line is shown whole",
         "abcdefghijklmnopqrstuvwxyz0123456789\r",
         {"abcdefghijklmnopqrstuvwxyz0123456789"}},
        {"8-bit characters", "5\xB5s\r", {QStringLiteral("5µs")}},
        {"a NUL byte is a character too",
         std::string("a\0b\r", 4),
         {QString("a") + QChar(0) + "b"}},
    };
    for (const auto& c : cases) {
        const auto lines = linesOf(c.received);
        ASSERT_TRUE(lines.has_value()) << c.name;
        EXPECT_EQ(*lines, c.lines) << c.name;
    }
}

TEST(TestData, NothingReceivedKeepsTheOldLines) {
    EXPECT_FALSE(linesOf("").has_value());
}

TEST(TestData, AHugeStreamWithoutCarriageReturnGivesNoLine) {
    const auto lines = linesOf(std::string(4'000'000, 'x'));
    ASSERT_TRUE(lines.has_value());
    EXPECT_TRUE(lines->isEmpty());
}

} // namespace
} // namespace zuvo
