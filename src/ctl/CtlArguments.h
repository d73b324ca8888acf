#pragma once
// The command line of zuvoctl: a subcommand, its options and its operands, checked against what
// the subcommand takes. Pure, so that every refusal is one line a script can read.

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace zuvo {

// Exit status of every subcommand.
enum ExitCode : int {
    ExitDone = 0,
    ExitNoAnswer = 1, // the controller did not answer or refused, or the port cannot be used
    ExitUsage = 2,
    ExitCheckFailed = 3, // verification or sector check failed
};

// Options every subcommand that talks to the controller takes.
inline const QStringList PortOptions = {QStringLiteral("--port"), QStringLiteral("--device")};

// What a subcommand accepts: options with a value ("--port"), flags ("--json") and how many
// operands, and how the usage text shows them.
struct CommandSyntax {
    QString name;
    QStringList valueOptions;
    QStringList flags;
    int operands = 0;
    // The usage line after "zuvoctl <name>"; further lines continue under the first one's start.
    QStringList synopsis = {};
};

struct CtlArguments {
    QString command;
    QMap<QString, QString> values; // "--port" -> "COM3"
    QStringList flags;             // "--json"
    QStringList operands;
    QString error; // why the command line is refused; empty when it is good

    bool has(const QString& flag) const { return flags.contains(flag); }
    QString value(const QString& option) const { return values.value(option); }
};

// Splits `arguments` (without the program name) for the command named first. "--opt=value" and
// "--opt value" both work. An unknown command or option, a missing, empty or blank value or a
// wrong number of operands fills `error`.
CtlArguments parseCtlArguments(const QStringList& arguments, const QList<CommandSyntax>& commands);

// "usage: zuvoctl ..." with one entry for each of `commands` in their order, then what PORT and
// the exit statuses mean.
QString usageText(const QList<CommandSyntax>& commands);

// "COM3", "com3" or "3": 3; nothing for anything else or a number outside 1..255.
std::optional<int> parsePortName(const QString& text);

// A whole number of seconds above 0 and at most a day.
std::optional<int> parseSeconds(const QString& text);

} // namespace zuvo
