#include "ctl/CtlArguments.h"

#include <algorithm>

namespace zuvo {

namespace {

constexpr int kMaxPort = 255;
constexpr int kMaxSeconds = 24 * 60 * 60;

} // namespace

CtlArguments parseCtlArguments(const QStringList& arguments, const QList<CommandSyntax>& commands) {
    CtlArguments out;
    out.command = arguments.value(0);
    const auto syntax = std::find_if(commands.begin(), commands.end(),
                                     [&](const CommandSyntax& c) { return c.name == out.command; });
    if (syntax == commands.end()) {
        out.error = out.command.isEmpty() ? QStringLiteral("no command given")
                                          : QStringLiteral("unknown command: ") + out.command;
        return out;
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--")) {
            out.operands += arguments.mid(i + 1);
            break;
        }
        if (!a.startsWith(QLatin1String("-")) || a == QLatin1String("-")) {
            out.operands << a;
            continue;
        }
        const qsizetype equals = a.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? a : a.left(equals);
        if (syntax->flags.contains(name) && equals < 0) {
            if (!out.flags.contains(name)) {
                out.flags << name;
            }
        } else if (syntax->valueOptions.contains(name)) {
            QString value;
            if (equals >= 0) {
                value = a.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                out.error = QStringLiteral("option %1 needs a value").arg(name);
                return out;
            }
            // An empty variable in a script must not fall back to the stored port or a default
            // file name: it would write to another cylinder or another file.
            if (value.trimmed().isEmpty()) {
                out.error = QStringLiteral("option %1 has an empty value: give one or leave the "
                                           "option out")
                                .arg(name);
                return out;
            }
            out.values[name] = value;
        } else {
            out.error = QStringLiteral("unknown option for %1: %2").arg(out.command, a);
            return out;
        }
    }
    if (out.operands.size() != syntax->operands) {
        out.error =
            syntax->operands == 0
                ? QStringLiteral("%1 takes no operand: %2").arg(out.command, out.operands.value(0))
                : QStringLiteral("%1 needs %2 file name")
                      .arg(out.command)
                      .arg(syntax->operands == 1 ? QStringLiteral("one")
                                                 : QString::number(syntax->operands));
    }
    return out;
}

QString usageText(const QList<CommandSyntax>& commands) {
    QString text;
    for (const CommandSyntax& command : commands) {
        const QString start =
            (text.isEmpty() ? QStringLiteral("usage: ") : QStringLiteral("       ")) +
            QStringLiteral("zuvoctl ") + command.name;
        text += start;
        for (qsizetype i = 0; i < command.synopsis.size(); ++i) {
            text += (i == 0 ? QStringLiteral(" ") : QString(start.size() + 1, QLatin1Char(' '))) +
                    command.synopsis[i] + QLatin1Char('\n');
        }
        if (command.synopsis.isEmpty()) {
            text += QLatin1Char('\n');
        }
    }
    return text +
           QStringLiteral(
               "PORT is --port COMn (or n) or --device PATH; without it the stored port is "
               "used.\n"
               "Exit status: 0 done, 1 the controller did not answer or refused (or the port "
               "is in use),\n"
               "2 usage error, 3 verification or sector check failed.\n");
}

std::optional<int> parsePortName(const QString& text) {
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        digits = digits.mid(3);
    }
    if (digits.isEmpty() || digits.startsWith(QLatin1Char('0'))) {
        return std::nullopt;
    }
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    bool ok = false;
    const int number = digits.toInt(&ok);
    if (!ok || number < 1 || number > kMaxPort) {
        return std::nullopt;
    }
    return number;
}

std::optional<int> parseSeconds(const QString& text) {
    bool ok = false;
    const int seconds = text.trimmed().toInt(&ok);
    if (!ok || seconds < 1 || seconds > kMaxSeconds) {
        return std::nullopt;
    }
    return seconds;
}

} // namespace zuvo
