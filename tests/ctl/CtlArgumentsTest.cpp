// zuvoctl's command line on its own: an option that takes a value never takes an empty or blank
// one, whichever way it is written, so an empty variable in a script never falls back to the
// stored port or a default file.

#include "ctl/CtlArguments.h"

#include <gtest/gtest.h>

using namespace zuvo;

namespace {

const QList<CommandSyntax> kCommands = {
    {QStringLiteral("write"), PortOptions, {QStringLiteral("--no-verify")}, 1},
    {QStringLiteral("record"), PortOptions + QStringList{"--seconds", "-o"}, {}, 0},
    {QStringLiteral("report"),
     PortOptions + QStringList{"-o", "--site", "--record-seconds"},
     {},
     0},
};

TEST(CtlArgumentsTest, EmptyOrBlankValuesAreRefusedNamingTheOption) {
    const struct {
        QStringList arguments;
        const char* option;
    } cases[] = {
        {{"write", "good.ZDF", "--device", ""}, "--device"},
        {{"write", "good.ZDF", "--device="}, "--device"},
        {{"write", "good.ZDF", "--port", ""}, "--port"},
        {{"write", "good.ZDF", "--port="}, "--port"},
        {{"write", "good.ZDF", "--port", "  "}, "--port"},
        {{"write", "good.ZDF", "--port=\t"}, "--port"},
        {{"write", "--port", "", "good.ZDF"}, "--port"},
        {{"record", "--seconds", "5", "-o", ""}, "-o"},
        {{"record", "--seconds", "", "-o", "WEG.txt"}, "--seconds"},
        {{"report", "-o", "r.pdf", "--site", ""}, "--site"},
        {{"report", "-o", " \n", "--site", "Line 2"}, "-o"},
        {{"report", "-o", "r.pdf", "--record-seconds="}, "--record-seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join('|').toStdString());
        const CtlArguments parsed = parseCtlArguments(c.arguments, kCommands);
        EXPECT_EQ(parsed.error,
                  QStringLiteral("option %1 has an empty value: give one or leave the option out")
                      .arg(QLatin1String(c.option)));
    }
}

TEST(CtlArgumentsTest, ValuesWithTextAreKeptAsGiven) {
    const CtlArguments parsed = parseCtlArguments(
        {"report", "-o", "r.pdf", "--site= Line 2 ", "--port", "COM3"}, kCommands);
    EXPECT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.value("-o"), "r.pdf");
    EXPECT_EQ(parsed.value("--site"), " Line 2 ");
    EXPECT_EQ(parsed.value("--port"), "COM3");
    // Not given at all is still allowed: the stored port, the default file.
    EXPECT_TRUE(parseCtlArguments({"write", "good.ZDF"}, kCommands).error.isEmpty());
}

} // namespace
