#pragma once
// zuvotool after its command-line options: the single-instance guard, the two windows and the
// event loop, wired once for the program and for the process tests' copies of it.

#include <functional>

class QApplication;

namespace zuvo {

class TForm1;

// Runs the program until its main window has closed; the exit status (0 in every case).
// `shown`, when given, runs once the main window is shown (a test's stand-in for its user).
int runWindowProgram(QApplication& app, const std::function<void(TForm1&)>& shown = {});

} // namespace zuvo
