#include "ctl/CtlCommands.h"

namespace zuvo {

const QList<CtlCommand>& ctlCommands() {
    static const QList<CtlCommand> commands = [] {
        const QString json = QStringLiteral("--json");
        const QString output = QStringLiteral("-o");
        const QString port = QStringLiteral("[PORT]");
        return QList<CtlCommand>{
            {{QStringLiteral("ports"), {}, {}, 0, {}}, runPorts},
            {{QStringLiteral("status"),
              PortOptions,
              {json, QStringLiteral("--watch")},
              0,
              {QStringLiteral("[--watch] [--json] ") + port}},
             runStatus},
            {{QStringLiteral("read"),
              PortOptions + QStringList{output},
              {},
              0,
              {QStringLiteral("-o FILE.ZDF ") + port}},
             runRead},
            {{QStringLiteral("write"),
              PortOptions,
              {QStringLiteral("--no-verify")},
              1,
              {QStringLiteral("FILE.ZDF [--no-verify] ") + port}},
             runWrite},
            {{QStringLiteral("restore"),
              PortOptions,
              {},
              1,
              {QStringLiteral("BACKUP.ZDF ") + port}},
             runRestore},
            {{QStringLiteral("diff"),
              PortOptions,
              {json},
              1,
              {QStringLiteral("FILE.ZDF [--json] ") + port}},
             runDiff},
            {{QStringLiteral("zero"),
              PortOptions + QStringList{QStringLiteral("--direction")},
              {},
              0,
              {QStringLiteral("[--direction cw|ccw] ") + port}},
             runZero},
            {{QStringLiteral("test-data"),
              PortOptions,
              {json},
              0,
              {QStringLiteral("[--json] ") + port}},
             runTestData},
            {{QStringLiteral("sector-check"),
              PortOptions,
              {json},
              0,
              {QStringLiteral("[--json] ") + port}},
             runSectorCheck},
            {{QStringLiteral("record"),
              PortOptions + QStringList{QStringLiteral("--seconds"), output},
              {},
              0,
              {QStringLiteral("--seconds N [-o WEG.txt] ") + port}},
             runRecord},
            {{QStringLiteral("flash"),
              PortOptions,
              {QStringLiteral("--yes"), QStringLiteral("--no-backup")},
              1,
              {QStringLiteral("IMAGE [--yes] [--no-backup] ") + port}},
             runFlash},
            {{QStringLiteral("report"),
              PortOptions + QStringList{output, QStringLiteral("--site"),
                                        QStringLiteral("--serial"), QStringLiteral("--technician"),
                                        QStringLiteral("--record-seconds")},
              {},
              0,
              {QStringLiteral("-o FILE.pdf [--site TEXT] [--serial TEXT] [--technician TEXT]"),
               QStringLiteral("[--record-seconds N] ") + port}},
             runReport},
        };
    }();
    return commands;
}

QList<CommandSyntax> ctlCommandSyntax() {
    QList<CommandSyntax> syntax;
    for (const CtlCommand& command : ctlCommands()) {
        syntax << command.syntax;
    }
    return syntax;
}

} // namespace zuvo
