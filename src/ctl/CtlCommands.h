#pragma once
// The subcommands of zuvoctl. Each takes its checked command line and returns the exit status;
// errors have been said on stderr by then.

#include "ctl/CtlArguments.h"

namespace zuvo {

int runPorts(const CtlArguments& arguments);
int runStatus(const CtlArguments& arguments);
int runRead(const CtlArguments& arguments);
int runWrite(const CtlArguments& arguments);
int runRestore(const CtlArguments& arguments);
int runDiff(const CtlArguments& arguments);
int runZero(const CtlArguments& arguments);
int runTestData(const CtlArguments& arguments);
int runSectorCheck(const CtlArguments& arguments);
int runRecord(const CtlArguments& arguments);
int runFlash(const CtlArguments& arguments);
// Needs a QGuiApplication (the PDF writer's fonts).
int runReport(const CtlArguments& arguments);

struct CtlCommand {
    CommandSyntax syntax;
    int (*run)(const CtlArguments& arguments) = nullptr;
};

// The one list of subcommands: the usage text, the parser and the runner all read it.
const QList<CtlCommand>& ctlCommands();
QList<CommandSyntax> ctlCommandSyntax();

} // namespace zuvo
