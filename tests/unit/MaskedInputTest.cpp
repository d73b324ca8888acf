// What a masked number edit lets the user type or paste, and the reason it gives for the rest.

#include "params/MaskedInput.h"

#include <gtest/gtest.h>

using namespace zuvo;

namespace {

const NumberMask kWhole;                // stroke, turns
const NumberMask kPosition{2, true, 5}; // switch positions, -1 = not set
const NumberMask kHysteresis{2, false, 5};
constexpr QChar kArabicSeparator(0x066B);

TEST(MaskedInput, VerdictAndReasonKindPerText) {
    using enum MaskedInput;
    using enum MaskRefusal;
    const struct {
        const char* text; // UTF-8
        const NumberMask& mask;
        QChar separator;
        MaskedInput verdict;
        MaskRefusal refusal;
    } cases[] = {
        {"1000", kWhole, ',', Acceptable, None},
        {"", kWhole, ',', Intermediate, None},
        {"10a", kWhole, ',', Invalid, OtherCharacter},
        {"-5", kWhole, ',', Invalid, NoSign},
        {"12,5", kWhole, ',', Invalid, NoDecimals},
        {"1.000", kWhole, ',', Invalid, NoDecimals}, // a group in de_DE
        {"123456", kWhole, ',', Invalid, TooManyDigits},
        {"1\u00A0000", kWhole, ',', Invalid, Grouping},
        {"1\u066C000", kWhole, kArabicSeparator, Invalid, Grouping},
        {" 5", kWhole, '.', Invalid, Grouping},

        {"12,34", kPosition, ',', Acceptable, None},
        {"12.34", kPosition, '.', Acceptable, None},
        {"1\u066B5", kPosition, kArabicSeparator, Acceptable, None},
        {"-1", kPosition, ',', Acceptable, None},
        {"-99999,99", kPosition, ',', Acceptable, None},
        {",5", kPosition, ',', Acceptable, None},
        {"12,", kPosition, ',', Acceptable, None},
        {"-", kPosition, ',', Intermediate, None},
        {"-,", kPosition, ',', Intermediate, None},
        {"12,345", kPosition, ',', Invalid, TooManyDecimals},
        {"123456", kPosition, ',', Invalid, TooManyDigits},
        {"12.34", kPosition, ',', Invalid, ForeignSeparator},
        {"250,75", kPosition, '.', Invalid, ForeignSeparator},
        {"1,2.3", kPosition, ',', Invalid, ForeignSeparator},
        {"1.5", kPosition, kArabicSeparator, Invalid, ForeignSeparator},
        {"1,5", kPosition, kArabicSeparator, Invalid, ForeignSeparator},
        {"1,2,3", kPosition, ',', Invalid, SecondSeparator},
        {"1e3", kPosition, '.', Invalid, Exponent},
        {"1.5E2", kPosition, '.', Invalid, Exponent},
        {"1,e", kPosition, ',', Invalid, Exponent},
        {"e", kPosition, ',', Invalid, OtherCharacter},
        {"1-", kPosition, ',', Invalid, MisplacedSign},
        {"--1", kPosition, ',', Invalid, MisplacedSign},
        {"+1", kPosition, ',', Invalid, MisplacedSign},
        {"\u22121", kPosition, ',', Invalid, MinusCharacter},
        {"\u20131", kPosition, ',', Invalid, MinusCharacter},
        {"1 000", kPosition, ',', Invalid, Grouping},
        {"1\u202F000", kPosition, ',', Invalid, Grouping},
        {"\u0661\u0662", kPosition, kArabicSeparator, Invalid, ForeignDigit},
        {"\u061C-1", kPosition, kArabicSeparator, Invalid, OtherCharacter},
        {"12a", kPosition, ',', Invalid, OtherCharacter},

        {"0,25", kHysteresis, ',', Acceptable, None},
        {"-0,25", kHysteresis, ',', Invalid, NoSign},
        {"+1", kHysteresis, ',', Invalid, NoSign},
        {"\u22121", kHysteresis, ',', Invalid, NoSign},
    };
    for (const auto& c : cases) {
        const MaskedInputCheck check =
            checkMaskedInput(QString::fromUtf8(c.text), c.mask, c.separator);
        EXPECT_EQ(check.verdict, c.verdict) << c.text;
        EXPECT_EQ(check.refusal, c.refusal) << c.text;
        EXPECT_EQ(check.reason.isEmpty(), c.verdict != Invalid) << c.text;
    }
}

TEST(MaskedInput, ReasonSaysWhatIsWrongAndWhatTheFieldTakes) {
    const struct {
        const char* text;
        const NumberMask& mask;
        QChar separator;
        const char* reason;
    } cases[] = {
        {"12.5", kPosition, ',',
         "Use ',' as the decimal separator.\n"
         "This field takes up to 5 digits, ',' and up to 2 decimals; -1 = not set."},
        {"1,255", kPosition, ',',
         "2 decimals at most.\n"
         "This field takes up to 5 digits, ',' and up to 2 decimals; -1 = not set."},
        {"-1", kHysteresis, '.',
         "No sign in this field.\nThis field takes up to 5 digits, '.' and up to 2 decimals, "
         "no sign."},
        {"5x", kWhole, ',',
         "'x' is not part of a number.\nThis field takes up to 5 digits, no sign or decimals."},
        {"123456", kWhole, ',',
         "5 digits at most.\nThis field takes up to 5 digits, no sign or "
         "decimals."},
        {"1\u061C", kPosition, kArabicSeparator,
         "U+061C is not part of a number.\n"
         "This field takes up to 5 digits, '\u066B' and up to 2 decimals; -1 = not set."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkMaskedInput(QString::fromUtf8(c.text), c.mask, c.separator).reason,
                  QString::fromUtf8(c.reason))
            << c.text;
    }
}

} // namespace
