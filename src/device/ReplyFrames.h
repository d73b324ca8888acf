#pragma once
// Recognising and decoding what the controller sends. A reply is known by its total length and
// by STX first and ETX last, never by the request that provoked it. Every function looks at the
// received bytes as they stand (data, size); the receiver calls them in its own order, each on
// the buffer as the earlier steps left it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zuvo {

// At least two bytes, STX first and ETX last.
bool isFramed(const std::uint8_t* data, std::size_t size);

// ---- Sensor-words reply: STX, eight 4-hex words, ETX (34 bytes).

inline constexpr std::size_t kSensorWordsReplyLength = 34;
using SensorWords = std::array<std::uint16_t, 8>;

bool isSensorWordsReply(const std::uint8_t* data, std::size_t size);
// The eight words sorted ascending; nullopt when any of them is not hexadecimal.
std::optional<SensorWords> decodeSensorWords(const std::uint8_t* data, std::size_t size);

// ---- Status reply: any framed reply of 22..28 bytes (24 normally, 28 with the reed turn count).

inline constexpr std::size_t kStatusReplyMinLength = 22;
inline constexpr std::size_t kStatusReplyMaxLength = 28;
inline constexpr std::size_t kStatusReplyWithTurnCountLength = 28;

bool isStatusReply(const std::uint8_t* data, std::size_t size);

// Each field is read on its own; an empty field did not convert (or lies past the end of the
// reply). What the reply shows is the live status (device/LiveStatus), which takes them in
// declaration order up to the first empty one.
struct StatusReply {
    std::size_t length = 0;
    std::optional<std::uint8_t> statusByte;  // offset 1, 2 hex
    std::optional<std::uint8_t> reedState;   // offset 3, 2 hex
    std::optional<std::uint16_t> angleField; // offset 5, 4 hex; the low 10 bits are the angle
    std::optional<std::uint16_t> speedRaw;   // offset 9, 4 hex
    std::optional<std::int32_t> position;    // offset 13, 8 hex, signed counts
    // Offset 21, 4 hex; only the 28-byte form carries it, so it is empty in every other form.
    std::optional<std::uint16_t> reedTurnCount;
    std::optional<std::uint8_t> inputs; // 2 hex at offset 25 in the 28-byte form, else at 21

    friend bool operator==(const StatusReply&, const StatusReply&) = default;
};

StatusReply decodeStatusReply(const std::uint8_t* data, std::size_t size);

// ---- Parameter-block reply: STX, 16+E words, the 10 V and the 4 mA calibration points, ETX.

// The block's words land in the parameter block's 100 slots, and a send writes one word more
// than a read fills; a longer block than that cannot be held, so E stops growing there.
inline constexpr std::size_t kParameterSlotCount = 100;
inline constexpr std::uint8_t kMaxExtraWordCount = kParameterSlotCount - 17;

enum class BlockReplyForm {
    None,          // no parameter-block reply
    Expected,      // 74 + 4E bytes, or more with ETX at 73 + 4E
    OneWordLonger, // exactly 78 + 4E bytes: E grows by one
};

std::size_t parameterBlockReplyLength(std::uint8_t extraWordCount); // 74 + 4E

// The expected form is taken from a buffer of at least its length (a block followed by further
// bytes is still taken); the longer form only at its exact length, and only while E may grow.
BlockReplyForm matchParameterBlockReply(const std::uint8_t* data, std::size_t size,
                                        std::uint8_t extraWordCount);

struct ParameterBlockReply {
    std::uint8_t extraWordCount = 0;  // E after this reply
    std::vector<std::uint16_t> words; // 16 + E words, word 0 first
    std::uint16_t kali10V = 0;
    std::uint16_t kali4mA = 0;
    friend bool operator==(const ParameterBlockReply&, const ParameterBlockReply&) = default;
};

// nullopt when the buffer holds no parameter-block reply for this E. A field that is not
// hexadecimal reads as 0.
std::optional<ParameterBlockReply>
decodeParameterBlockReply(const std::uint8_t* data, std::size_t size, std::uint8_t extraWordCount);

// ---- Single bytes, text and the version frame, all recognised at the end of the data.

bool endsWithAcknowledge(const std::uint8_t* data, std::size_t size);
bool endsWithTextLine(const std::uint8_t* data, std::size_t size);

// The window caption a text line gives: its first byte becomes a blank, the CR ends it (as does
// any 0x00 inside it). Bytes are taken as the controller's 8-bit characters.
std::string captionText(const std::uint8_t* data, std::size_t size);

inline constexpr std::size_t kVersionFrameLength = 4; // STX 'V' v ETX

// The raw version byte v when the data end with STX 'V' v ETX.
std::optional<std::uint8_t> versionAtEnd(const std::uint8_t* data, std::size_t size);
// The raw version byte v when the data start with STX 'V' v ETX and the rest is exactly one reply
// of a known length: a status reply, the sensor words, a parameter block for this E (or one word
// longer) or an acknowledge. A controller that has just started sends its version frame and its
// first reply in one go; no reply starts with 'V', so neither can pass for the other.
std::optional<std::uint8_t> versionInFront(const std::uint8_t* data, std::size_t size,
                                           std::uint8_t extraWordCount);
// "V" followed by v as a signed decimal number: 0x3C gives "V60", 0x90 gives "V-112".
std::string versionCaption(std::uint8_t version);

// ---- Frame end and resynchronisation of the receive buffer.

// Unrecognised data without a frame end is dropped once it grows beyond this (while the
// test-values page does not collect text).
inline constexpr std::size_t kUnframedDataLimit = 1192;

bool endsWithEtx(const std::uint8_t* data, std::size_t size);

// More bytes than the longest reply are held only while a reply is incomplete: the last STX
// (searched backwards, not at offset 0) is where the next reply may start.
std::size_t resyncThreshold(std::uint8_t extraWordCount); // 78 + 4E
std::optional<std::size_t> lastStxAfterStart(const std::uint8_t* data, std::size_t size);

} // namespace zuvo
