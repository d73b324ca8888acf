// zuvo-screenshots FOLDER: starts the window against the simulated actuator, waits until the
// controller's values are shown, and writes a picture of every page of the window, of the
// COM-Port dialog and of the status bar explaining a port that does not open into FOLDER. The
// pictures of the README are made so, and so stay current.
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "device/LinkState.h"
#include "serial/PortMap.h"
#include "session/EventWait.h"
#include "sim/Simulator.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kStartMs = 10000;
// Long enough for the cylinder to move and the live values to settle between two pages.
constexpr int kSettleMs = 600;
constexpr int kMovingMs = 2500;

bool save(QWidget& widget, const QDir& folder, const QString& name) {
    const QString file = folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(file)) {
        std::fprintf(stderr, "zuvo-screenshots: cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

// "Cylinder Settings" -> "cylinder-settings".
QString fileNameOf(const QString& caption) {
    QString name = caption.toLower();
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    return name;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zuvo-screenshots FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "zuvo-screenshots: cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }

    // The simulator is COM1; the other numbers keep their defaults. Settings and the instance
    // marker stay in a folder of their own.
    QTemporaryDir scratch;
    qputenv("ZUVO_SETTINGS", scratch.filePath(QStringLiteral("ZUVO.conf")).toLocal8Bit());
    qputenv("ZUVO_RUNTIME_DIR", scratch.filePath(QStringLiteral("run")).toLocal8Bit());
    zuvo::sim::Simulator sim;
    sim.start();
    zuvo::PortMap::global().setOverride(1, QString::fromStdString(sim.slavePath()));

    zuvo::TForm1 form;
    zuvo::TForm2 form2(&form);
    form.appStartup().setForm2(&form2);
    form.appStartup().FormCreate({QStringLiteral("zuvotool")});
    form.show();
    const bool live = zuvo::waitUntil(
        [&form] {
            const zuvo::LinkState state = form.link().snapshot().state;
            return !state.ParamReadPending && !state.ReplyPending;
        },
        QDeadlineTimer(kStartMs));
    if (!live) {
        std::fprintf(stderr, "zuvo-screenshots: the simulated controller did not answer\n");
        return 1;
    }
    // The cylinder on its way, the gauges off their rests.
    zuvo::pauseFor(kMovingMs);

    bool ok = true;
    QTabWidget& pages = *form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (int i = 0; i < pages.count(); ++i) {
        if (!pages.isTabVisible(i)) {
            continue;
        }
        pages.setCurrentIndex(i);
        zuvo::pauseFor(kSettleMs);
        ok = save(form, folder,
                  QStringLiteral("page%1-%2").arg(i + 1).arg(fileNameOf(pages.tabText(i)))) &&
             ok;
    }
    pages.setCurrentIndex(0);

    form.findChild<QAction*>(QStringLiteral("Comport2"))->trigger();
    zuvo::pauseFor(kSettleMs);
    ok = save(form2, folder, QStringLiteral("com-port-dialog")) && ok;
    form2.hide();

    // The adapter tied to COM1 is pulled out: the status bar says why the port does not open.
    zuvo::PortMap::global().setOverride(
        1, QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    form.link().closePort();
    form.statusBar()->showMessage(QStringLiteral("USB disconnected"));
    form.link().tick();
    zuvo::pauseFor(kSettleMs);
    ok = save(form, folder, QStringLiteral("port-trouble")) && ok;

    form.close();
    return ok ? 0 : 1;
}
