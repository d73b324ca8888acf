// The 64 KiB image the update figures send, and what the update takes at least.
#pragma once

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zuvo::bench {

inline constexpr int ImageBytes = 64 * 1024;
inline constexpr int Pages = ImageBytes / 128;
// 200 ms after every acknowledged block.
inline constexpr double AckPauseMs = 200;
// 10 bits a byte at 9600 baud.
inline constexpr double ByteMs = 10 * 1000.0 / 9600;
// Both directions paced: FL and 'C', every block and its ACK, EOT and its ACK.
inline constexpr double UpdateWireMs = ((4 + Pages * 133 + 1) + (1 + Pages + 1)) * ByteMs;

inline QByteArray benchImage() {
    QByteArray image(ImageBytes, '\0');
    for (int i = 0; i < ImageBytes; ++i) {
        image[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    }
    return image;
}

// The bootloader got the image whole.
inline bool isBenchImage(const std::vector<std::uint8_t>& received) {
    const QByteArray image = benchImage();
    return received.size() == static_cast<std::size_t>(image.size()) &&
           std::equal(received.begin(), received.end(),
                      reinterpret_cast<const std::uint8_t*>(image.constData()));
}

} // namespace zuvo::bench
