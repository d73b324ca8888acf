#include "device/ReplyFrames.h"

#include "device/FrameBytes.h"
#include "device/HexField.h"

#include <algorithm>

namespace zuvo {

namespace {

template <typename T>
std::optional<T> readField(const std::uint8_t* data, std::size_t size, std::size_t offset,
                           std::size_t width) {
    const auto value = readHexField(data, size, offset, width);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<T>(*value);
}

std::uint16_t wordOrZero(const std::uint8_t* data, std::size_t size, std::size_t offset) {
    return readField<std::uint16_t>(data, size, offset, 4).value_or(0);
}

bool lastByteIs(const std::uint8_t* data, std::size_t size, std::uint8_t byte) {
    return data != nullptr && size > 0 && data[size - 1] == byte;
}

} // namespace

bool isFramed(const std::uint8_t* data, std::size_t size) {
    return size >= 2 && data != nullptr && data[0] == kStx && data[size - 1] == kEtx;
}

bool isSensorWordsReply(const std::uint8_t* data, std::size_t size) {
    return size == kSensorWordsReplyLength && isFramed(data, size);
}

std::optional<SensorWords> decodeSensorWords(const std::uint8_t* data, std::size_t size) {
    SensorWords words{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto word = readField<std::uint16_t>(data, size, 1 + 4 * i, 4);
        if (!word) {
            return std::nullopt;
        }
        words[i] = *word;
    }
    std::sort(words.begin(), words.end());
    return words;
}

bool isStatusReply(const std::uint8_t* data, std::size_t size) {
    return size >= kStatusReplyMinLength && size <= kStatusReplyMaxLength && isFramed(data, size);
}

StatusReply decodeStatusReply(const std::uint8_t* data, std::size_t size) {
    StatusReply reply;
    reply.length = size;
    reply.statusByte = readField<std::uint8_t>(data, size, 1, 2);
    reply.reedState = readField<std::uint8_t>(data, size, 3, 2);
    reply.angleField = readField<std::uint16_t>(data, size, 5, 4);
    reply.speedRaw = readField<std::uint16_t>(data, size, 9, 4);
    reply.position = readField<std::int32_t>(data, size, 13, 8);
    const bool withTurnCount = size == kStatusReplyWithTurnCountLength;
    if (withTurnCount) {
        reply.reedTurnCount = readField<std::uint16_t>(data, size, 21, 4);
    }
    reply.inputs = readField<std::uint8_t>(data, size, withTurnCount ? 25 : 21, 2);
    return reply;
}

std::size_t parameterBlockReplyLength(std::uint8_t extraWordCount) {
    return 74 + 4 * static_cast<std::size_t>(extraWordCount);
}

BlockReplyForm matchParameterBlockReply(const std::uint8_t* data, std::size_t size,
                                        std::uint8_t extraWordCount) {
    if (data == nullptr || size == 0 || data[0] != kStx) {
        return BlockReplyForm::None;
    }
    const std::size_t expected = parameterBlockReplyLength(extraWordCount);
    if (size >= expected && data[expected - 1] == kEtx) {
        return BlockReplyForm::Expected;
    }
    if (extraWordCount < kMaxExtraWordCount && size == expected + 4 && data[size - 1] == kEtx) {
        return BlockReplyForm::OneWordLonger;
    }
    return BlockReplyForm::None;
}

std::optional<ParameterBlockReply>
decodeParameterBlockReply(const std::uint8_t* data, std::size_t size, std::uint8_t extraWordCount) {
    const BlockReplyForm form = matchParameterBlockReply(data, size, extraWordCount);
    if (form == BlockReplyForm::None) {
        return std::nullopt;
    }
    ParameterBlockReply reply;
    reply.extraWordCount =
        form == BlockReplyForm::OneWordLonger ? extraWordCount + 1 : extraWordCount;
    const std::size_t wordCount = 16 + static_cast<std::size_t>(reply.extraWordCount);
    reply.words.resize(wordCount);
    for (std::size_t i = 0; i < wordCount; ++i) {
        reply.words[i] = wordOrZero(data, size, 1 + 4 * i);
    }
    reply.kali10V = wordOrZero(data, size, 1 + 4 * wordCount);
    reply.kali4mA = wordOrZero(data, size, 5 + 4 * wordCount);
    return reply;
}

bool endsWithAcknowledge(const std::uint8_t* data, std::size_t size) {
    return lastByteIs(data, size, kAcknowledge);
}

bool endsWithTextLine(const std::uint8_t* data, std::size_t size) {
    return lastByteIs(data, size, kCarriageReturn);
}

std::string captionText(const std::uint8_t* data, std::size_t size) {
    if (!endsWithTextLine(data, size) || size < 2) {
        return {}; // a lone CR is the blank and the end at once
    }
    std::string text(1, ' ');
    for (std::size_t i = 1; i + 1 < size && data[i] != 0x00; ++i) {
        text.push_back(static_cast<char>(data[i]));
    }
    return text;
}

std::optional<std::uint8_t> versionAtEnd(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 4) {
        return std::nullopt;
    }
    const std::uint8_t* tail = data + size - 4;
    if (tail[0] != kStx || tail[1] != 'V' || tail[3] != kEtx) {
        return std::nullopt;
    }
    return tail[2];
}

std::optional<std::uint8_t> versionInFront(const std::uint8_t* data, std::size_t size,
                                           std::uint8_t extraWordCount) {
    if (data == nullptr || size <= kVersionFrameLength || data[0] != kStx || data[1] != 'V' ||
        data[3] != kEtx) {
        return std::nullopt;
    }
    const std::uint8_t* rest = data + kVersionFrameLength;
    const std::size_t restSize = size - kVersionFrameLength;
    // The block is taken at its exact length here: bytes behind it would be a third frame.
    const BlockReplyForm block = matchParameterBlockReply(rest, restSize, extraWordCount);
    const bool wholeBlock = block == BlockReplyForm::OneWordLonger ||
                            (block == BlockReplyForm::Expected &&
                             restSize == parameterBlockReplyLength(extraWordCount));
    const bool reply = isStatusReply(rest, restSize) || isSensorWordsReply(rest, restSize) ||
                       wholeBlock || (restSize == 1 && rest[0] == kAcknowledge);
    if (!reply) {
        return std::nullopt;
    }
    return data[2];
}

std::string versionCaption(std::uint8_t version) {
    // Appending (not "V" + temporary) keeps GCC 12's -Wrestrict false alarm at -O3 away.
    std::string caption = "V";
    caption += std::to_string(static_cast<std::int8_t>(version));
    return caption;
}

bool endsWithEtx(const std::uint8_t* data, std::size_t size) {
    return lastByteIs(data, size, kEtx);
}

std::size_t resyncThreshold(std::uint8_t extraWordCount) {
    return parameterBlockReplyLength(extraWordCount) + 4;
}

std::optional<std::size_t> lastStxAfterStart(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) {
        return std::nullopt;
    }
    for (std::size_t p = size; p-- > 1;) {
        if (data[p] == kStx) {
            return p;
        }
    }
    return std::nullopt;
}

} // namespace zuvo
