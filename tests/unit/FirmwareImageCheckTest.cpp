// Files the bootloader would take as readily as an image, refused before anything is asked.

#include "service/FirmwareImageCheck.h"
#include "common/ExampleParameterFile.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace zuvo;

namespace {

TEST(FirmwareImageCheckTest, EmptyTooLargeAndParameterFilesAreRefused) {
    QByteArray binary(4096, '\0');
    for (qsizetype i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    }
    binary[0] = '\x0C'; // a jump to the reset handler, as images start
    QByteArray bracketed = binary;
    bracketed[0] = '[';
    bracketed[5] = ']';
    bracketed[6] = '\n'; // "[" and "]" in a line of binary bytes
    using P = FirmwareImageProblem;
    const struct {
        const char* name;
        QByteArray bytes;
        P expected;
    } cases[] = {
        {"empty", QByteArray(), P::Empty},
        {"one byte", QByteArray(1, '\xFF'), P::None},
        {"binary image", binary, P::None},
        {"a full flash", QByteArray(kControllerFlashBytes, '\x5A'), P::None},
        {"one byte beyond the flash", QByteArray(kControllerFlashBytes + 1, '\x5A'), P::TooLarge},
        {"a parameter file as saved", zuvo::test::kExampleParameterFile, P::ParameterFile},
        {"byte-order mark and blank lines first", "\xEF\xBB\xBF\r\n  \r\n\t[OUTPUT]\r\nA=1\r\n",
         P::ParameterFile},
        {"a section line without a line end", "[BLOCK]", P::ParameterFile},
        {"binary that starts with '['", bracketed, P::None},
        {"an unclosed section", "[ZYLINDER\r\nLENGTH=500\r\n", P::None},
        {"text without a section first", "LENGTH=500\r\n[ZYLINDER]\r\n", P::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(checkFirmwareImage(c.bytes.size(), c.bytes), c.expected);
    }
}

// A file larger than the flash is refused by its size, without its contents.
TEST(FirmwareImageCheckTest, TheSizeAloneRefusesALargeFileAndTheReasonSaysWhy) {
    EXPECT_EQ(checkFirmwareImage(16 * 1024 * 1024, {}), FirmwareImageProblem::TooLarge);
    EXPECT_EQ(firmwareImageReason(FirmwareImageProblem::TooLarge, 131073),
              "it has 131073 bytes, more than the controller's flash of 131072 bytes (1024 pages)");
    EXPECT_EQ(firmwareImageReason(FirmwareImageProblem::Empty, 0), "it is empty");
    EXPECT_TRUE(
        firmwareImageReason(FirmwareImageProblem::ParameterFile, 373).contains("parameter file"));
}

} // namespace
