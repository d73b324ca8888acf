#pragma once
// The window's side of the poll cycle: the tick runs in the link; this spoke draws what it
// reports (the clock, the connection lamp, the status texts) and starts the window's commands.

#include "session/Link.h"

#include <QString>

#include <optional>

namespace zuvo {

class TForm1;

class PollCycle {
public:
    explicit PollCycle(TForm1& form);

    // The link for a command named `name`. While another exchange runs the command is refused:
    // nothing is returned and the status bar says what the controller is busy with.
    std::optional<Exchange> beginCommand(const QString& name,
                                         ExchangeKind kind = ExchangeKind::Reads);
    bool exchangeRunning() const;

    // The status bar's message line.
    void showStatus(const QString& text);
    // What an acknowledged write says when the controller stays silent.
    void showNoResponse();
    // What a refused command says.
    void showBusy();
    // The lamp's caption for the port as it is now: connected only while it is open.
    void showLampCaption();
    // The port doctor's reason beside the status text when a tick could not reopen the port.
    void explainReopenFailure();

private:
    void showConnection(Connection connection);
    void showClock();

    TForm1& form_;
};

} // namespace zuvo
