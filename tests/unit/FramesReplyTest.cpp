#include "device/FrameBytes.h"
#include "device/HexField.h"
#include "device/LiveStatus.h"
#include "device/ReplyFrames.h"

#include <gtest/gtest.h>

#include <string>

namespace zuvo {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A reply is whole when its live status goes through every field, the turn count included.
const StatusBasis kEveryFieldShown{.turnCountShown = true};

Bytes framed(const std::string& payload) {
    Bytes bytes{kStx};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    bytes.push_back(kEtx);
    return bytes;
}

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Status byte C3, reed state 04, angle 13FF, speed 02BC, position FFFFFFFF.
const std::string kStatusHead = "C30413FF02BCFFFFFFFF";

TEST(StatusReply, IsRecognisedByLengthAndFraming) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool status;
    };
    const Bytes status24 = framed(kStatusHead + "15");
    Bytes noStx = status24;
    noStx[0] = '0';
    Bytes noEtx = status24;
    noEtx.back() = '0';
    const Case cases[] = {
        {"24 bytes", status24, true},
        {"28 bytes", framed(kStatusHead + "000A15"), true},
        {"22 bytes", framed(kStatusHead), true},
        {"21 bytes", framed(kStatusHead.substr(0, 19)), false},
        {"29 bytes", framed(kStatusHead + "000A1500"), false},
        {"missing STX", noStx, false},
        {"missing ETX", noEtx, false},
        {"34-byte sensor words", framed(std::string(32, '0')), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isStatusReply(c.bytes.data(), c.bytes.size()), c.status) << c.name;
    }
}

TEST(StatusReply, DecodesEveryFieldOfBothForms) {
    const Bytes short24 = framed(kStatusHead + "15");
    const StatusReply a = decodeStatusReply(short24.data(), short24.size());
    EXPECT_TRUE(liveStatus(a, kEveryFieldShown).complete());
    EXPECT_EQ(a.length, 24u);
    EXPECT_EQ(a.statusByte, 0xC3);
    EXPECT_EQ(a.reedState, 4);
    EXPECT_EQ(a.angleField, 0x13FF);
    EXPECT_EQ(a.speedRaw, 700);
    EXPECT_EQ(a.position, -1);
    EXPECT_EQ(a.reedTurnCount, std::nullopt);
    EXPECT_EQ(a.inputs, 0x15); // at offset 21

    const Bytes long28 = framed(kStatusHead + "000a40");
    const StatusReply b = decodeStatusReply(long28.data(), long28.size());
    EXPECT_TRUE(liveStatus(b, kEveryFieldShown).complete());
    EXPECT_EQ(b.reedTurnCount, 10); // at offset 21, lower case
    EXPECT_EQ(b.inputs, 0x40);      // at offset 25

    // Other lengths between 22 and 28 read their inputs at offset 21 and carry no turn count.
    const Bytes odd27 = framed(kStatusHead + "12345");
    const StatusReply c = decodeStatusReply(odd27.data(), odd27.size());
    EXPECT_TRUE(liveStatus(c, kEveryFieldShown).complete());
    EXPECT_EQ(c.reedTurnCount, std::nullopt);
    EXPECT_EQ(c.inputs, 0x12);
}

TEST(StatusReply, ABadFieldEmptiesOnlyThatField) {
    struct Case {
        const char* name;
        std::string payload;
        bool statusByte, reedState, angle, speed, position, turnCount, inputs;
    };
    const Case cases[] = {
        {"status byte", "G30413FF02BCFFFFFFFF15", false, true, true, true, true, false, true},
        {"angle", "C304 3FF02BCFFFFFFFF15", true, true, false, true, true, false, true},
        {"position", "C30413FF02BCFFFFFF-115", true, true, true, true, false, false, true},
        {"inputs", "C30413FF02BCFFFFFFFF1x", true, true, true, true, true, false, false},
        {"turn count", "C30413FF02BCFFFFFFFF00Z015", true, true, true, true, true, false, true},
        // 22 and 23 bytes: the inputs field runs into the ETX or past the end.
        {"22 bytes", kStatusHead, true, true, true, true, true, false, false},
        {"23 bytes", kStatusHead + "1", true, true, true, true, true, false, false},
    };
    for (const auto& c : cases) {
        const Bytes bytes = framed(c.payload);
        const StatusReply r = decodeStatusReply(bytes.data(), bytes.size());
        EXPECT_EQ(r.statusByte.has_value(), c.statusByte) << c.name;
        EXPECT_EQ(r.reedState.has_value(), c.reedState) << c.name;
        EXPECT_EQ(r.angleField.has_value(), c.angle) << c.name;
        EXPECT_EQ(r.speedRaw.has_value(), c.speed) << c.name;
        EXPECT_EQ(r.position.has_value(), c.position) << c.name;
        EXPECT_EQ(r.reedTurnCount.has_value(), c.turnCount) << c.name;
        EXPECT_EQ(r.inputs.has_value(), c.inputs) << c.name;
        EXPECT_FALSE(liveStatus(r, kEveryFieldShown).complete()) << c.name;
    }
}

TEST(SensorWordsReply, IsRecognisedDecodedAndSorted) {
    const Bytes reply = framed("03FF0000FFFF0100"
                               "0080020003000001");
    ASSERT_TRUE(isSensorWordsReply(reply.data(), reply.size()));
    EXPECT_FALSE(isStatusReply(reply.data(), reply.size()));
    const auto words = decodeSensorWords(reply.data(), reply.size());
    ASSERT_TRUE(words);
    EXPECT_EQ(*words,
              (SensorWords{0x0000, 0x0001, 0x0080, 0x0100, 0x0200, 0x0300, 0x03FF, 0xFFFF}));

    const Bytes shorter = framed(std::string(31, '0'));
    EXPECT_FALSE(isSensorWordsReply(shorter.data(), shorter.size()));
    Bytes unframed = reply;
    unframed.back() = '0';
    EXPECT_FALSE(isSensorWordsReply(unframed.data(), unframed.size()));

    const Bytes garbage = framed("03FF0000FFFF0100"
                                 "00800200030000:1");
    ASSERT_TRUE(isSensorWordsReply(garbage.data(), garbage.size()));
    EXPECT_EQ(decodeSensorWords(garbage.data(), garbage.size()), std::nullopt);
}

// A block reply with `words` words 0x1000 + i, then the two calibration points.
Bytes blockReply(int words, const char* kali10V = "03FF", const char* kali4mA = "0010") {
    std::string payload;
    for (int i = 0; i < words; ++i) {
        payload += hexField(static_cast<std::uint32_t>(0x1000 + i), 4);
    }
    return framed(payload + kali10V + kali4mA);
}

TEST(ParameterBlockReply, IsRecognisedInTheExpectedAndTheOneWordLongerForm) {
    struct Case {
        const char* name;
        Bytes bytes;
        std::uint8_t e;
        BlockReplyForm form;
    };
    Bytes followed = blockReply(36);
    followed.insert(followed.end(), {kStx, 'R'});
    Bytes noStx = blockReply(36);
    noStx[0] = '1';
    const Case cases[] = {
        {"154 bytes, E 20", blockReply(36), 20, BlockReplyForm::Expected},
        {"158 bytes, E 20", blockReply(37), 20, BlockReplyForm::OneWordLonger},
        {"154 bytes after E grew to 21", blockReply(36), 21, BlockReplyForm::None},
        {"158 bytes, E 21", blockReply(37), 21, BlockReplyForm::Expected},
        {"162 bytes, E 20: two words longer", blockReply(38), 20, BlockReplyForm::None},
        {"150 bytes, E 20", blockReply(35), 20, BlockReplyForm::None},
        {"block followed by more bytes", followed, 20, BlockReplyForm::Expected},
        {"missing STX", noStx, 20, BlockReplyForm::None},
        {"E may not grow past the slots", blockReply(16 + kMaxExtraWordCount + 1),
         kMaxExtraWordCount, BlockReplyForm::None},
        {"largest block that fits", blockReply(16 + kMaxExtraWordCount), kMaxExtraWordCount - 1,
         BlockReplyForm::OneWordLonger},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(matchParameterBlockReply(c.bytes.data(), c.bytes.size(), c.e), c.form) << c.name;
    }
    EXPECT_EQ(parameterBlockReplyLength(20), 154u);
    EXPECT_EQ(resyncThreshold(20), 158u);
}

TEST(ParameterBlockReply, DecodesWordsCalibrationAndTheNewE) {
    struct Case {
        const char* name;
        int wordsSent;
        std::uint8_t e;
        std::uint8_t newE;
    };
    const Case cases[] = {
        {"154 bytes with E 20", 36, 20, 20},
        {"158 bytes with E 20", 37, 20, 21},
        {"158 bytes with E 21", 37, 21, 21},
    };
    for (const auto& c : cases) {
        const Bytes bytes = blockReply(c.wordsSent, "03ff", "0010");
        const auto reply = decodeParameterBlockReply(bytes.data(), bytes.size(), c.e);
        ASSERT_TRUE(reply) << c.name;
        EXPECT_EQ(reply->extraWordCount, c.newE) << c.name;
        ASSERT_EQ(reply->words.size(), 16u + c.newE) << c.name;
        for (std::size_t i = 0; i < reply->words.size(); ++i) {
            EXPECT_EQ(reply->words[i], 0x1000 + i) << c.name << " word " << i;
        }
        EXPECT_EQ(reply->kali10V, 0x3FF) << c.name;
        EXPECT_EQ(reply->kali4mA, 0x10) << c.name;
    }
    const Bytes stale = blockReply(36);
    EXPECT_EQ(decodeParameterBlockReply(stale.data(), stale.size(), 21), std::nullopt);
}

TEST(ParameterBlockReply, ABadFieldReadsAsZero) {
    Bytes bytes = blockReply(36, "0X10", "00 1");
    bytes[1 + 4 * 7 + 2] = 'g'; // word 7
    const auto reply = decodeParameterBlockReply(bytes.data(), bytes.size(), 20);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->words[6], 0x1006);
    EXPECT_EQ(reply->words[7], 0);
    EXPECT_EQ(reply->words[8], 0x1008);
    EXPECT_EQ(reply->kali10V, 0);
    EXPECT_EQ(reply->kali4mA, 0);
}

TEST(ControlBytesAndText, AreRecognisedAtTheEndOfTheData) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool ack, text, etx;
    };
    const Case cases[] = {
        {"lone acknowledge", {kAcknowledge}, true, false, false},
        {"acknowledge after noise", {'x', 0x13, kAcknowledge}, true, false, false},
        {"text line", bytesOf("#Test 12\r"), false, true, false},
        {"text without CR", bytesOf("#Test 12"), false, false, false},
        {"any data ending with ETX", {'x', kEtx}, false, false, true},
        {"nothing", {}, false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(endsWithAcknowledge(c.bytes.data(), c.bytes.size()), c.ack) << c.name;
        EXPECT_EQ(endsWithTextLine(c.bytes.data(), c.bytes.size()), c.text) << c.name;
        EXPECT_EQ(endsWithEtx(c.bytes.data(), c.bytes.size()), c.etx) << c.name;
    }
}

TEST(ControlBytesAndText, CaptionTextBlanksTheFirstByteAndEndsAtTheCr) {
    struct Case {
        Bytes bytes;
        std::string caption;
    };
    const Case cases[] = {
        {bytesOf("#ZUVO 3000\r"), " ZUVO 3000"},
        {bytesOf("\r"), ""},
        {bytesOf("A\r"), " "},
        {Bytes{'#', 'a', 0x00, 'b', '\r'}, " a"},
        {Bytes{'#', 0xB5, 'C', '\r'}, std::string(" \xB5"
                                                  "C")},
        {bytesOf("no end"), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(captionText(c.bytes.data(), c.bytes.size()), c.caption);
    }
}

TEST(VersionFrame, IsTheRawByteBetweenStxVAndEtxAtTheEnd) {
    struct Case {
        const char* name;
        Bytes bytes;
        std::optional<std::uint8_t> version;
    };
    const Case cases[] = {
        {"V60", {kStx, 'V', 0x3C, kEtx}, 0x3C},
        {"V-112", {kStx, 'V', 0x90, kEtx}, 0x90},
        {"raw ETX as the version", {kStx, 'V', kEtx, kEtx}, kEtx},
        {"after other bytes", {'1', '2', kStx, 'V', 0x07, kEtx}, 0x07},
        {"lower-case v", {kStx, 'v', 0x3C, kEtx}, std::nullopt},
        {"too short", {'V', 0x3C, kEtx}, std::nullopt},
        {"not at the end", {kStx, 'V', 0x3C, kEtx, 'x'}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(versionAtEnd(c.bytes.data(), c.bytes.size()), c.version) << c.name;
    }
    EXPECT_EQ(versionCaption(0x3C), "V60");
    EXPECT_EQ(versionCaption(0x90), "V-112");
    EXPECT_EQ(versionCaption(0x00), "V0");
}

TEST(Resynchronisation, FindsTheLastStxBehindTheStart) {
    struct Case {
        const char* name;
        Bytes bytes;
        std::optional<std::size_t> start;
    };
    Bytes garbageThenReply(150, 'g');
    const Bytes head = framed(kStatusHead + "15");
    garbageThenReply.insert(garbageThenReply.end(), head.begin(), head.begin() + 10);
    const Case cases[] = {
        {"garbage then the start of a reply", garbageThenReply, 150},
        {"STX only at offset 0", {kStx, '1', '2'}, std::nullopt},
        {"last of several", {kStx, kStx, 'a', kStx, 'b'}, 3},
        {"STX as the last byte", {'a', 'b', kStx}, 2},
        {"none", {'a', 'b'}, std::nullopt},
        {"empty", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lastStxAfterStart(c.bytes.data(), c.bytes.size()), c.start) << c.name;
    }
}

} // namespace
} // namespace zuvo
