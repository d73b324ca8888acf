#pragma once
// The window started on the simulated port with a quiet link and the pages' start values: no
// poll outstanding, the block not wanted. Commands then put only their own frames on the line.

#include "app/AppStartup.h"
#include "app/TForm1.h"

namespace zuvo::test {

[[nodiscard]] inline bool startOnQuietLink(TForm1& form) {
    form.appStartup().FormCreate({});
    if (!form.ComPort1.Open()) {
        return false;
    }
    form.Timer2.stop();
    form.State.ParamReadPending = false;
    form.State.ReplyPending = false;
    return true;
}

} // namespace zuvo::test
