#include "device/RequestFrames.h"

#include "device/HexField.h"

namespace zuvo {

Frame requestFrame(std::string_view letters, std::string_view fields) {
    Frame frame;
    frame.reserve(letters.size() + fields.size() + 2);
    frame.push_back(kStx);
    frame.insert(frame.end(), letters.begin(), letters.end());
    frame.insert(frame.end(), fields.begin(), fields.end());
    frame.push_back(kEtx);
    return frame;
}

Frame pollFrame(char first, char second) {
    const char letters[] = {first, second};
    return requestFrame(std::string_view(letters, 2));
}

Frame relayTestFrame(std::uint8_t selector) {
    return requestFrame("QS", hexField(selector, 2));
}

Frame writeWordFrame(std::uint8_t index, std::uint16_t value) {
    return requestFrame("SP", hexField(index, 2) + hexField(value, 4));
}

std::uint16_t zeroPositionWord(std::uint32_t angleDigit, bool counterClockwise) {
    const auto angleBits = static_cast<std::uint16_t>((angleDigit & 0x3FFu) << 5);
    return static_cast<std::uint16_t>(angleBits | (counterClockwise ? 0x8000u : 0u));
}

Frame setPositionFrame(std::int32_t memoryCounts) {
    const auto counts = static_cast<std::uint32_t>(memoryCounts);
    Frame frame =
        requestFrame("SA", hexField(counts & 0x3FFu, 3) + hexField((counts >> 10) & 0xFFFFu, 4));
    frame.push_back(0x00);
    return frame;
}

Frame testDataFrame() {
    return requestFrame("RE");
}

Frame bootloaderFrame() {
    return requestFrame("FL");
}

} // namespace zuvo
