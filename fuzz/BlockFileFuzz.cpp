// Checks block files of any content: the verdict must match a plain recount of the length rule
// and the checksum, and the same words with their checksum put right must pass whenever their
// number fits the rule.
#include "params/BlockFile.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "block file: %s\n", what);
        std::abort();
    }
}

std::vector<std::uint16_t> wordsOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i + 1 < size && words.size() < zuvo::BlockFileMaxWords; i += 2) {
        words.push_back(static_cast<std::uint16_t>(data[i] | data[i + 1] << 8));
    }
    return words;
}

bool recount(const std::vector<std::uint16_t>& words) {
    const std::size_t n = words.size();
    if (n < 2 || (n - 2) % 5 != 0) {
        return false;
    }
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        sum = static_cast<std::uint16_t>(sum + words[i]);
    }
    return words.back() == sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint16_t> words = wordsOf(data, size);
    const zuvo::BlockFileVerdict verdict = zuvo::checkBlock({data, size});
    require(verdict.wordCount == words.size(), "word count");
    require(verdict.valid == recount(words), "verdict differs from the recount");
    if (verdict.valid) {
        require(verdict.rowLength * 5 + 2 == verdict.wordCount, "row length");
    }

    // The same words with the checksum put right.
    if (words.size() >= 2 && (words.size() - 2) % 5 == 0) {
        std::vector<std::uint8_t> fixed(data, data + words.size() * 2);
        std::uint16_t sum = 0;
        for (std::size_t i = 0; i + 1 < words.size(); ++i) {
            sum = static_cast<std::uint16_t>(sum + words[i]);
        }
        fixed[fixed.size() - 2] = static_cast<std::uint8_t>(sum & 0xFF);
        fixed[fixed.size() - 1] = static_cast<std::uint8_t>(sum >> 8);
        require(zuvo::checkBlock(fixed).valid, "a block with the right checksum is refused");
    }
    return 0;
}
