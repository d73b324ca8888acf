#include "device/HexField.h"

namespace zuvo {

std::string hexField(std::uint32_t value, int width) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(out.size()) < width) {
        out.insert(out.begin(), static_cast<std::size_t>(width) - out.size(), '0');
    }
    return out;
}

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}
} // namespace

std::optional<std::int32_t> readHexField(std::string_view digits) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> readHexField(const std::uint8_t* data, std::size_t size,
                                         std::size_t offset, std::size_t width) {
    if (data == nullptr || offset > size || width > size - offset) {
        return std::nullopt;
    }
    return readHexField(std::string_view(reinterpret_cast<const char*>(data) + offset, width));
}

} // namespace zuvo
