#include "SimProtocol.h"

namespace zuvo::sim {

void appendHexDigits(Bytes& out, std::uint32_t value, int width) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4) {
        out.push_back(static_cast<std::uint8_t>(kDigits[(value >> shift) & 0xF]));
    }
}

std::optional<std::uint32_t> hexDigitsValue(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : digits) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else {
            return std::nullopt;
        }
        value = value << 4 | digit;
    }
    return value;
}

std::uint16_t bootloaderCrc(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool feedback = ((crc >> 15) & 1) != ((data[i] >> bit) & 1);
            crc = static_cast<std::uint16_t>(crc << 1);
            if (feedback) {
                crc ^= 0x1021;
            }
        }
    }
    return crc;
}

} // namespace zuvo::sim
