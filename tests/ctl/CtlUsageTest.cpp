// zuvoctl's usage text comes from the same command list the parser checks against: every command
// it names is one the parser takes, and a long entry continues under its own options.

#include "ZuvoctlFixture.h"
#include "ctl/CtlArguments.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace zuvo;

using zuvo::test::CtlRun;
using zuvo::test::ZuvoctlTest;

namespace {

TEST(CtlUsage, OneEntryPerCommandInItsOrderAndContinuationsUnderTheOptions) {
    const QList<CommandSyntax> commands = {
        {QStringLiteral("ports"), {}, {}, 0, {}},
        {QStringLiteral("status"), PortOptions, {"--json"}, 0, {"[--json] [PORT]"}},
        {QStringLiteral("report"), PortOptions, {}, 0, {"-o FILE.pdf [--site TEXT]", "[PORT]"}},
    };
    const QString usage = usageText(commands);
    EXPECT_TRUE(usage.startsWith("usage: zuvoctl ports\n"
                                 "       zuvoctl status [--json] [PORT]\n"
                                 "       zuvoctl report -o FILE.pdf [--site TEXT]\n"
                                 "                      [PORT]\n"
                                 "PORT is --port COMn (or n) or --device PATH"))
        << usage.toStdString();
    EXPECT_TRUE(usage.endsWith("2 usage error, 3 verification or sector check failed.\n"));
}

TEST_F(ZuvoctlTest, EveryCommandTheHelpNamesIsOneTheParserTakes) {
    const CtlRun help = zuvoctl({"--help"});
    ASSERT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_TRUE(help.err.isEmpty());
    QStringList named;
    const QRegularExpression entry("^(?:usage:)? +zuvoctl (\\S+)",
                                   QRegularExpression::MultilineOption);
    for (auto match = entry.globalMatch(help.out); match.hasNext();) {
        named << match.next().captured(1);
    }
    ASSERT_FALSE(named.isEmpty()) << help.out.toStdString();
    EXPECT_EQ(named.first(), "ports");
    EXPECT_TRUE(named.contains("report") && named.contains("flash")) << help.out.toStdString();
    for (const QString& name : named) {
        // An option no command takes: the parser knows the command and refuses only the option.
        const CtlRun run = zuvoctl({name, "--no-such-option"});
        EXPECT_EQ(run.exitCode, 2) << name.toStdString();
        EXPECT_TRUE(run.err.contains("unknown option for " + name + ": --no-such-option"))
            << run.err.toStdString();
    }
}

} // namespace
