// The number edits of the editor pages: what value a text stands for.

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

} // namespace
