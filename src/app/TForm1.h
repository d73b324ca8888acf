#pragma once
// The main window: the hub that owns every control, the file dialogs, the link to the controller
// (the serial port, the poll timer, the receive fields and the device state live in it), the
// editor model and the parameter block. Feature classes (spokes) hold a reference to it and work
// through `ui`; the window itself only handles what changes its own look (service mode, views, the
// picture snapshot, the web label).

#include "app/PictureSnapshot.h"
#include "app/ServiceMode.h"
#include "app/Views.h"
#include "app/WebLink.h"
#include "device/DeviceState.h"
#include "device/ReceiveFields.h"
#include "params/EditorModel.h"
#include "params/ParameterBlock.h"
#include "serial/TSerialComPort.h"
#include "session/Link.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class QFileDialog;

namespace Ui {
class TForm1;
}

namespace zuvo {

class AppStartup;
class PollCycle;
class ReceiveDispatcher;
class LiveDisplay;
class SectorAnalysis;
class EditorMapping;
class ParameterTransfer;
class DigitalOutputPage;
class AnalogThrustPage;
class ParameterFiles;
class BackupCommands;
class Commissioning;
class ModuleReplacement;
class PositionRecording;
class FirmwareUpdate;
class ReportExport;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // The client area below the menu bar, status bar included.
    static constexpr QSize kClientSize{762, 467};
    // Design interval of the poll timer; the poll cycle sets its working intervals.
    static constexpr int kTimer2DesignMs = 2000;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

private:
    // The link to the controller. Made first, so that it outlives everything that uses it.
    Link link_;

public:
    // The generated controls, named as on the form.
    Ui::TForm1* const ui;

    Link& link() { return link_; }
    // The link's poll timer (disabled until start-up arms it).
    QTimer& Timer2;

    // Parameter files (open and save) and firmware images.
    QFileDialog* const OpenDialog1;
    QFileDialog* const SaveDialog1;
    QFileDialog* const OpenDialog2;

    ServiceMode& serviceMode() { return *serviceMode_; }
    Views& views() { return views_; }
    WebLink& webLink() { return webLink_; }

    // The editor pages' values, refusals and origins; the pages follow it.
    EditorModel& editorModel() { return editorModel_; }

    // Runs on every showing of the window.
    void FormShow();

    // The serial port to the controller, the device state and the bytes received but not yet
    // consumed: the link's own.
    TSerialComPort& ComPort1;
    DeviceState& State;
    ReceiveFields& Rx;
    // The block as the controller last gave it (or a file, or the last send that wrote words);
    // the pages show the editor model, not this.
    ParameterBlock Params;
    // The start-up port number as one digit character.
    char ComDigit = '1';

    // The spokes, one per feature; each connects its own controls when it is made.
    AppStartup& appStartup() { return *appStartup_; }
    PollCycle& pollCycle() { return *pollCycle_; }
    ReceiveDispatcher& receiveDispatcher() { return *receiveDispatcher_; }
    LiveDisplay& liveDisplay() { return *liveDisplay_; }
    SectorAnalysis& sectorAnalysis() { return *sectorAnalysis_; }
    EditorMapping& editorMapping() { return *editorMapping_; }
    ParameterTransfer& parameterTransfer() { return *parameterTransfer_; }
    DigitalOutputPage& digitalOutputPage() { return *digitalOutputPage_; }
    AnalogThrustPage& analogThrustPage() { return *analogThrustPage_; }
    ParameterFiles& parameterFiles() { return *parameterFiles_; }
    BackupCommands& backupCommands() { return *backupCommands_; }
    Commissioning& commissioning() { return *commissioning_; }
    ModuleReplacement& moduleReplacement() { return *moduleReplacement_; }
    PositionRecording& positionRecording() { return *positionRecording_; }
    FirmwareUpdate& firmwareUpdate() { return *firmwareUpdate_; }
    ReportExport& reportExport() { return *reportExport_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Closing the main window ends the program: the link is shut down first. While a write to
    // the controller runs, the window stays until it has stopped (AppStartup::FormCloseQuery).
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpTimers();

    std::unique_ptr<ServiceMode> serviceMode_;
    Views views_;
    PictureSnapshot snapshot_;
    WebLink webLink_;
    bool centred_ = false;
    EditorModel editorModel_;

    void createSpokes();
    std::unique_ptr<AppStartup> appStartup_;
    std::unique_ptr<PollCycle> pollCycle_;
    std::unique_ptr<ReceiveDispatcher> receiveDispatcher_;
    std::unique_ptr<LiveDisplay> liveDisplay_;
    std::unique_ptr<SectorAnalysis> sectorAnalysis_;
    std::unique_ptr<EditorMapping> editorMapping_;
    std::unique_ptr<ParameterTransfer> parameterTransfer_;
    std::unique_ptr<DigitalOutputPage> digitalOutputPage_;
    std::unique_ptr<AnalogThrustPage> analogThrustPage_;
    std::unique_ptr<ParameterFiles> parameterFiles_;
    std::unique_ptr<BackupCommands> backupCommands_;
    std::unique_ptr<Commissioning> commissioning_;
    std::unique_ptr<ModuleReplacement> moduleReplacement_;
    std::unique_ptr<PositionRecording> positionRecording_;
    std::unique_ptr<FirmwareUpdate> firmwareUpdate_;
    std::unique_ptr<ReportExport> reportExport_;
};

} // namespace zuvo
