#pragma once
// Fixed-width hexadecimal fields of the controller protocol.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zuvo {

// Upper-case digits, padded on the left with '0' to at least `width` digits.
std::string hexField(std::uint32_t value, int width);

// Reads a field the way the controller's fields are read back: as "0x" + digits converted to a
// 32-bit integer. Upper- and lower-case digits are taken; up to 8 significant digits give the
// 32-bit two's-complement value (FFFFFFFF reads as -1). An empty field, any other character or
// a value wider than 32 bits is a conversion error (nullopt).
std::optional<std::int32_t> readHexField(std::string_view digits);

// The same for a field at `offset` of `width` bytes inside a received frame; a field that runs
// past the end of the data is a conversion error too.
std::optional<std::int32_t> readHexField(const std::uint8_t* data, std::size_t size,
                                         std::size_t offset, std::size_t width);

} // namespace zuvo
