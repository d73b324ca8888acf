#include "app/WindowProgram.h"

#include "app/AppStartup.h"
#include "app/InstanceGuard.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "serial/PortMap.h"
#include "session/Settings.h"

#include <QApplication>

namespace zuvo {

int runWindowProgram(QApplication& app, const std::function<void(TForm1&)>& shown) {
    const QStringList arguments = QCoreApplication::arguments();

    // The guard runs before any window exists. It needs the application object for its waits
    // (they keep handling events) and for its message box.
    InstanceGuard guard(InstanceGuard::Options{});
    if (guard.start(arguments) == InstanceGuard::Result::Exit) {
        return 0;
    }

    applyPortSettings(PortMap::global(), qEnvironmentVariable("ZUVO_PORTS"));

    TForm1 form1;
    TForm2 form2(&form1);
    form1.appStartup().setForm2(&form2);
    form1.appStartup().FormCreate(arguments);

    // A newer copy asks this one to close: the same way out as the user closing the window,
    // except while it writes to the controller, which a close would leave half-written.
    guard.setWritingQuery([&form1] { return form1.link().runningWrite(); });
    guard.setCloseRequestHandler([&form1] { form1.close(); });

    form1.show();
    if (shown) {
        shown(form1);
    }
    app.exec();
    return 0;
}

} // namespace zuvo
