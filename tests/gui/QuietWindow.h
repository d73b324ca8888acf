#pragma once
// The window started on the simulated port with a quiet link and the pages' start values: no
// poll outstanding (one status reply taken), the block not wanted, polling parked. Commands
// then put only their own frames on the line.

#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/TForm1.h"

namespace zuvo::test {

[[nodiscard]] inline bool startOnQuietLink(TForm1& form) {
    form.appStartup().FormCreate({});
    Link& link = form.link();
    if (!link.snapshot().portOpen) {
        return false;
    }
    link.stopAskingForBlock();
    {
        std::optional<Exchange> exchange = link.begin(QStringLiteral("quiet start"));
        if (!exchange || !exchange->requestStatus(2000).value) {
            return false;
        }
    }
    parkPolling(link);
    return !link.snapshot().state.ReplyPending;
}

} // namespace zuvo::test
