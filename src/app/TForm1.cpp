#include "app/TForm1.h"

#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/ReportExport.h"
#include "app/TComSelectForm.h"
#include "app/live/LiveDisplay.h"
#include "app/live/ReceiveDispatcher.h"
#include "app/live/SectorAnalysis.h"
#include "app/pages/AnalogThrustPage.h"
#include "app/pages/BackupCommands.h"
#include "app/pages/DigitalOutputPage.h"
#include "app/pages/EditorMapping.h"
#include "app/pages/ParameterFiles.h"
#include "app/pages/ParameterTransfer.h"
#include "app/service/Commissioning.h"
#include "app/service/FirmwareUpdate.h"
#include "app/service/ModuleReplacement.h"
#include "app/service/PositionRecording.h"

#include "ui_TForm1.h"
#include "widgets/CompactComboStyle.h"
#include "widgets/LabelAutoSize.h"
#include "widgets/TColor.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QScreen>
#include <QShowEvent>

// The pictures live in a static library, so their registration has to be pulled in by hand.
static void initPictures() {
    Q_INIT_RESOURCE(Pictures);
}

namespace zuvo {

namespace {

QFileDialog* makeFileDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode,
                            const QString& filter, const QString& suffix) {
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    dialog->setNameFilter(filter);
    dialog->setDefaultSuffix(suffix);
    dialog->setDirectory(QStringLiteral("."));
    return dialog;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent), ui((initPictures(), new Ui::TForm1)), Timer2(link_.pollTimer()),
      OpenDialog1(makeFileDialog(this, "OpenDialog1", QFileDialog::AcceptOpen,
                                 "Zuvo data file (*.ZDF)", "ZDF")),
      SaveDialog1(makeFileDialog(this, "SaveDialog1", QFileDialog::AcceptSave,
                                 "Zuvo data file (*.ZDF)", "ZDF")),
      OpenDialog2(makeFileDialog(this, "OpenDialog2", QFileDialog::AcceptOpen,
                                 "BIN-Dateien (*.BIN)", "BIN")),
      ComPort1(link_.port()), State(link_.state()), Rx(link_.rx()), views_(*ui), snapshot_(*ui) {
    ui->setupUi(this);
    serviceMode_ = std::make_unique<ServiceMode>(*ui);
    ui->LMDLabel1->setText(WebLink::address().host());
    LabelAutoSize::apply(this);
    CompactComboStyle::apply(this);
    setUpTimers();
    // A port opened without a number asks the user with the port-selection dialog.
    ComPort1.setPortChooser(&TComSelectForm::askForPort);

    // Bound spinners step the number in their edit.
    ui->UpDown1->setAssociate(ui->Turns);
    ui->UpDown3->setAssociate(ui->Anlauf1);
    // A closed reed switch shows in the neutral button face, an open one in maroon.
    ui->Reed1->setColorOn(tcolor(tc::ButtonFace));
    ui->Reed2->setColorOn(tcolor(tc::ButtonFace));

    // The Test-Values page is there from the start; its tab is shown on demand in service mode.
    ui->PageControl1->setTabVisible(ui->PageControl1->indexOf(ui->TabSheet4), false);
    ui->StatusBar1->setAutoFillBackground(true);
    QPalette statusPalette = ui->StatusBar1->palette();
    statusPalette.setColor(QPalette::Window, tcolor(tc::ButtonFace));
    ui->StatusBar1->setPalette(statusPalette);

    connect(ui->Image3, &PictureBox::doubleClicked, serviceMode_.get(),
            &ServiceMode::Image3DblClick);
    connect(ui->Image4, &PictureBox::doubleClicked, this, [this] { snapshot_.Image4DblClick(); });
    connect(ui->Image6, &PictureBox::doubleClicked, this, [this] { snapshot_.Image4DblClick(); });
    connect(ui->LMDLabel1, &ClickLabel::clicked, this, [this] { webLink_.LMDLabel1Click(); });

    ui->ClientArea->installEventFilter(this);
    resize(kClientSize.width(), menuBar()->sizeHint().height() + kClientSize.height());
    createSpokes();
}

// The display and the features that others call into come first, the commands after them.
void TForm1::createSpokes() {
    liveDisplay_ = std::make_unique<LiveDisplay>(*this);
    sectorAnalysis_ = std::make_unique<SectorAnalysis>(*this);
    positionRecording_ = std::make_unique<PositionRecording>(*this);
    editorMapping_ = std::make_unique<EditorMapping>(*this, editorModel_);
    digitalOutputPage_ = std::make_unique<DigitalOutputPage>(*this, editorModel_);
    analogThrustPage_ = std::make_unique<AnalogThrustPage>(*this, editorModel_);
    pollCycle_ = std::make_unique<PollCycle>(*this);
    receiveDispatcher_ = std::make_unique<ReceiveDispatcher>(*this);
    parameterTransfer_ = std::make_unique<ParameterTransfer>(*this);
    parameterFiles_ = std::make_unique<ParameterFiles>(*this);
    backupCommands_ = std::make_unique<BackupCommands>(*this);
    commissioning_ = std::make_unique<Commissioning>(*this);
    moduleReplacement_ = std::make_unique<ModuleReplacement>(*this);
    firmwareUpdate_ = std::make_unique<FirmwareUpdate>(*this);
    reportExport_ = std::make_unique<ReportExport>(*this);
    appStartup_ = std::make_unique<AppStartup>(*this);
}

TForm1::~TForm1() {
    delete ui;
}

void TForm1::setUpTimers() {
    Timer2.setObjectName("Timer2");
    Timer2.setTimerType(Qt::PreciseTimer);
    Timer2.setInterval(kTimer2DesignMs);
}

void TForm1::FormShow() {
    appStartup_->FormShow();
}

bool TForm1::event(QEvent* event) {
    // The status bar's text is the program's message line; hovering over a menu item must not
    // replace it with an (empty) status tip.
    if (event->type() == QEvent::StatusTip) {
        return true;
    }
    return QMainWindow::event(event);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) {
        return; // a window coming back from the task bar is not shown anew
    }
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!appStartup_->FormCloseQuery()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        appStartup_->FormDestroy();
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->ClientArea && event->type() == QEvent::Resize) {
        views_.fitClientArea(ui->ClientArea->size());
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zuvo
