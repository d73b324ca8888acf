#include "service/TestData.h"

#include <algorithm>

namespace zuvo {

namespace {
constexpr std::uint8_t kCarriageReturn = 13;
} // namespace

std::optional<QStringList> testDataLines(std::span<const std::uint8_t> received) {
    if (received.empty()) {
        return std::nullopt;
    }
    QStringList lines;
    auto lineStart = received.begin();
    for (auto end = std::find(lineStart, received.end(), kCarriageReturn); end != received.end();
         end = std::find(lineStart, received.end(), kCarriageReturn)) {
        QString line = QString::fromLatin1(reinterpret_cast<const char*>(&*lineStart),
                                           static_cast<qsizetype>(end - lineStart));
        if (line.size() == 6) {
            line.insert(4, QLatin1Char(' '));
        }
        lines.append(line);
        lineStart = end + 1;
    }
    return lines;
}

} // namespace zuvo
