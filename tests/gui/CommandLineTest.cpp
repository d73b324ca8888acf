// The command line: only --help, --version and --list-ports end the program before any window
// or the instance guard; "/r", a parameter file and Qt's own options keep their meaning. The
// program's own output is tested in tests/process/CommandLineProgramTest.cpp.

#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace zuvo;

namespace {

TEST(CommandLine, OnlyItsOwnOptionsEndTheProgramEarly) {
    const struct {
        QStringList arguments;
        bool request;
    } cases[] = {
        {{"zuvotool"}, false},
        {{"zuvotool", "/r"}, false},
        {{"zuvotool", "settings.ZDF"}, false},
        {{"zuvotool", "/r", "settings.ZDF"}, false},
        // Qt's own options are no request, not even the h in -stylesheet.
        {{"zuvotool", "-platform", "offscreen"}, false},
        {{"zuvotool", "-stylesheet", "my.qss"}, false},
        {{"zuvotool", "--unknown"}, false},
        {{"zuvotool", "--help"}, true},
        {{"zuvotool", "-h"}, true},
        {{"zuvotool", "--help-all"}, true},
        {{"zuvotool", "--version"}, true},
        {{"zuvotool", "-v"}, true},
        {{"zuvotool", "--list-ports"}, true},
        {{"zuvotool", "/r", "--version"}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isCommandLineRequest(c.arguments), c.request)
            << c.arguments.join(' ').toStdString();
    }
}

} // namespace
