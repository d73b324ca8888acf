#pragma once
// The options of the command line: --help, --version and --list-ports print and end the program
// before the instance guard or any window runs, so they work without a display and leave a
// running copy alone. Every other argument keeps its meaning: the first one "/r" or a parameter
// file.

#include <QStringList>

namespace zuvo {

// Name, version and desktop entry of the program, for Qt and the desktop.
void setApplicationIdentity();

// True when the arguments ask for one of the options above.
bool isCommandLineRequest(const QStringList& arguments);
bool isCommandLineRequest(int argc, char** argv);

// Carries out the options (a QCoreApplication must exist); the exit status.
int runCommandLine(const QStringList& arguments);

} // namespace zuvo
