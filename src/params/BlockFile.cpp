#include "params/BlockFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

namespace zuvo {

BlockFileVerdict checkBlock(std::span<const std::uint8_t> bytes) {
    BlockFileVerdict verdict;
    verdict.wordCount = std::min(bytes.size() / 2, BlockFileMaxWords);
    const std::size_t n = verdict.wordCount;
    if (n < 2) {
        return verdict;
    }
    verdict.rowLength = (n - 2) / 5;
    auto word = [&](std::size_t i) {
        return static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        sum = static_cast<std::uint16_t>(sum + word(i));
    }
    verdict.valid = n == 5 * verdict.rowLength + 2 && word(n - 1) == sum;
    return verdict;
}

BlockFileVerdict checkBlockFile(const std::filesystem::path& path) {
    std::array<std::uint8_t, 2 * BlockFileMaxWords> buffer{};
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    file.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0));
    return checkBlock(std::span(buffer.data(), got));
}

bool isBlockFileName(std::string_view fileName) {
    constexpr std::string_view extension = ".dat";
    if (fileName.size() < extension.size()) {
        return false;
    }
    const std::string_view tail = fileName.substr(fileName.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

} // namespace zuvo
