#pragma once
// Binary block files (*.dat): little-endian 16-bit words, five rows of c words, one further word
// and a checksum word. The program only checks them.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace zuvo {

// At most this many words of a block file are read; longer files fail the length check.
inline constexpr std::size_t BlockFileMaxWords = 514;

struct BlockFileVerdict {
    bool valid = false;
    std::size_t wordCount = 0; // whole words read (n)
    std::size_t rowLength = 0; // c = (n - 2) div 5
};

// A block is valid when n = 5c + 2 and the last word equals the sum of all words before it modulo
// 65536; a block without rows (c = 0: two words, the second equal to the first) is valid too.
// Only the first BlockFileMaxWords words count; a trailing odd byte is ignored.
BlockFileVerdict checkBlock(std::span<const std::uint8_t> bytes);

// The same for a file; one that cannot be read is an empty, invalid block.
BlockFileVerdict checkBlockFile(const std::filesystem::path& path);

// Whether a file name names a block file: its extension, lower-cased, is ".dat".
bool isBlockFileName(std::string_view fileName);

} // namespace zuvo
