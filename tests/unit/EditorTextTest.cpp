// The number edits of the editor pages: what a masked edit lets the user type, and what value a
// text stands for.

#include "params/EditorText.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace zuvo;

namespace {

class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : previous_(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~LocaleScope() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

TEST(EditorText, DecimalValueIsCutToTwoDecimalsAndNeverZeroForATypo) {
    const LocaleScope comma(QLocale(QLocale::German, QLocale::Germany));
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"12,5", 12.5},
        {"12.5", 12.5},
        {"0,299", 0.29},
        {"-1", -1.0},
        {" 7 ", 7.0},
        {"", 0.0},
        {"  ", 0.0},
        {"12,", 12.0},
        {",5", 0.5},
        {"-0", 0.0},
        {"12a", std::nullopt},
        {"-", std::nullopt},
        {",", std::nullopt},
        {"1e5", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1.000,5", std::nullopt},
        {"--1", std::nullopt},
        {"+1", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(editorDecimal(QString::fromLatin1(c.text)), c.value) << c.text;
    }
}

TEST(EditorText, MaskRefusesWhatCannotBecomeANumber) {
    const NumberMask integers;
    const NumberMask positions{2, true, 5};
    const NumberMask hysteresis{2, false, 5};
    using enum MaskedInput;
    const struct {
        const char* text;
        const NumberMask& mask;
        QChar separator;
        MaskedInput verdict;
    } cases[] = {
        {"1000", integers, ',', Acceptable},
        {"", integers, ',', Intermediate},
        {"10a", integers, ',', Invalid},
        {"-5", integers, ',', Invalid},
        {"12,5", integers, ',', Invalid},
        {"123456", integers, ',', Invalid},
        {"12,34", positions, ',', Acceptable},
        {"12,345", positions, ',', Invalid},
        {"12.34", positions, ',', Invalid},
        {"12.34", positions, '.', Acceptable},
        {"-1", positions, ',', Acceptable},
        {"-", positions, ',', Intermediate},
        {"-,", positions, ',', Intermediate},
        {"12,", positions, ',', Acceptable},
        {"1-", positions, ',', Invalid},
        {"12a", positions, ',', Invalid},
        {"-0,25", hysteresis, ',', Invalid},
        {"0,25", hysteresis, ',', Acceptable},
        {"1\u066B5", positions, QChar(0x066B), Acceptable},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkMaskedInput(QString::fromUtf8(c.text), c.mask, c.separator), c.verdict)
            << c.text;
    }
}

} // namespace
