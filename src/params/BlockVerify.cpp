#include "params/BlockVerify.h"

#include "device/HexField.h"
#include "params/ParameterBlock.h"

#include <algorithm>

namespace zuvo {

namespace {

QString wordValueText(std::uint16_t value) {
    return QString::number(value) + QStringLiteral(" (") +
           QString::fromStdString(hexField(value, 4)) + QLatin1Char(')');
}

} // namespace

SentWordRange sentWordRange(int extraWordCount) {
    return {static_cast<int>(Word::Stroke), lastSentWord(extraWordCount)};
}

std::vector<std::uint16_t> restoreWords(std::span<const std::uint16_t> backupWords,
                                        int extraWordCount) {
    const SentWordRange range = sentWordRange(extraWordCount);
    if (static_cast<int>(backupWords.size()) != receivedWordCount(extraWordCount)) {
        return {};
    }
    std::vector<std::uint16_t> words(backupWords.begin() + range.first, backupWords.end());
    // The editor takes the direction after a read from bit 15 of word 0 and sends it as word 36;
    // words past 36 it sends as 0.
    const bool lastIsDirection = range.last == static_cast<int>(Word::Direction);
    words.push_back(lastIsDirection ? backupWords[Word::ZeroWord] & DirectionCounterClockwise : 0);
    return words;
}

BlockComparison compareSentWords(SentWordRange range, std::span<const std::uint16_t> sent,
                                 std::span<const std::uint16_t> readBack) {
    BlockComparison result;
    const int last = std::min(range.last, range.first + static_cast<int>(sent.size()) - 1);
    for (int index = range.first; index <= last; ++index) {
        const std::uint16_t value = sent[static_cast<std::size_t>(index - range.first)];
        if (index >= static_cast<int>(readBack.size())) {
            result.notReported.push_back(index);
        } else if (readBack[static_cast<std::size_t>(index)] != value) {
            result.differences.push_back({index, value, readBack[static_cast<std::size_t>(index)]});
        }
    }
    return result;
}

BlockComparison compareSentBlock(std::span<const std::uint16_t> table, int extraWordCount,
                                 std::span<const std::uint16_t> readBack) {
    const SentWordRange range = sentWordRange(extraWordCount);
    const auto end = std::min(table.size(), static_cast<std::size_t>(range.last) + 1);
    const auto first = static_cast<std::size_t>(range.first);
    return compareSentWords(
        range, end > first ? table.subspan(first, end - first) : std::span<const std::uint16_t>(),
        readBack);
}

QString differencesText(const BlockComparison& comparison) {
    if (comparison.agrees()) {
        return {};
    }
    const auto n = comparison.differences.size();
    QString text = QStringLiteral("After the send the controller reports other values in ") +
                   QString::number(n) +
                   (n == 1 ? QStringLiteral(" word:") : QStringLiteral(" words:"));
    for (const WordDifference& d : comparison.differences) {
        text += QStringLiteral("\nWord ") + QString::number(d.index) + QStringLiteral(": sent ") +
                wordValueText(d.sent) + QStringLiteral(", read back ") + wordValueText(d.readBack);
    }
    return text;
}

} // namespace zuvo
