#pragma once
// Which words a send of the parameter block writes, what a restore sends, and the comparison of
// the words sent with the words the controller reports when the block is read back.
//
// A send writes words 1..16+E; a read reports words 0..15+E. Word 16+E is therefore only written
// and cannot be compared (unless E has grown meanwhile and the read-back reaches it).

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace zuvo {

// The indices a send writes, first..last.
struct SentWordRange {
    int first = 1;
    int last = 0;
    int count() const { return last - first + 1; }
    bool operator==(const SentWordRange&) const = default;
};

SentWordRange sentWordRange(int extraWordCount);

// The words a restore sends for indices 1..16+E, from a backup of the block as received
// (words 0..15+E: backupWords.size() must be 16 + E). They go out exactly as stored; the one word
// a read never reports, 16+E, is what a send straight after reading that block would write:
// the direction word (bit 15 of word 0) when it is word 36, else 0. Empty when the backup does
// not have 16 + E words.
std::vector<std::uint16_t> restoreWords(std::span<const std::uint16_t> backupWords,
                                        int extraWordCount);

struct WordDifference {
    int index = 0;
    std::uint16_t sent = 0;
    std::uint16_t readBack = 0;
    bool operator==(const WordDifference&) const = default;
};

struct BlockComparison {
    std::vector<WordDifference> differences;
    std::vector<int> notReported; // sent, but beyond the words the read-back reports
    bool agrees() const { return differences.empty(); }
};

// Compares the sent words (`sent[i]` is word first + i of `range`) with the block read back (word
// 0 first). Only words the read-back reports are compared.
BlockComparison compareSentWords(SentWordRange range, std::span<const std::uint16_t> sent,
                                 std::span<const std::uint16_t> readBack);

// The same for a block table indexed by word (word 0 first), such as the parameter block's slots.
BlockComparison compareSentBlock(std::span<const std::uint16_t> table, int extraWordCount,
                                 std::span<const std::uint16_t> readBack);

// One line per differing word for the message box:
// "Word 5: sent 200 (00C8), read back 201 (00C9)". Empty when the block agrees.
QString differencesText(const BlockComparison& comparison);

} // namespace zuvo
