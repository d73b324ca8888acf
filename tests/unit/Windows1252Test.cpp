// The controller's 8-bit character set.
#include "device/Windows1252.h"

#include <gtest/gtest.h>

namespace {

TEST(Windows1252, HighControlBytesAreTheSetsPrintableCharacters) {
    struct Case {
        std::string bytes;
        QString text;
    } cases[] = {
        {"plain ASCII 09", "plain ASCII 09"},
        {"\x80 \x85 \x93x\x94 \x96 \x99 \x9F", QString::fromUtf8("€ … “x” – ™ Ÿ")},
        {"\x8A\x8C\x8E\x9A\x9C\x9E", QString::fromUtf8("ŠŒŽšœž")},
        // µ, ä, ß and ÿ are where Latin-1 has them.
        {"\xB5 \xE4\xDF\xFF", QString::fromUtf8("µ äß\u00FF")},
        // The five unused bytes keep their code points.
        {"\x81\x8D\x8F\x90\x9D",
         QString(QChar(0x81)) + QChar(0x8D) + QChar(0x8F) + QChar(0x90) + QChar(0x9D)},
        {std::string("a\0b", 3), QString(QChar('a')) + QChar(0) + QChar('b')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zuvo::decodeWindows1252(c.bytes), c.text) << c.text.toStdString();
    }
}

} // namespace
