#pragma once
// The main window: the hub that owns every control, the two timers and the file dialogs. Feature
// classes hold a reference to it and work through `ui`; the window itself only handles what
// changes its own look (service mode, views, the picture snapshot, the web label).

#include "app/PictureSnapshot.h"
#include "app/ServiceMode.h"
#include "app/Views.h"
#include "app/WebLink.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

class QFileDialog;
class QSlider;

namespace Ui {
class TForm1;
}

namespace zuvo {

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // The client area below the menu bar, status bar included.
    static constexpr QSize kClientSize{762, 467};
    // Design interval of the poll timer; the poll cycle sets its working intervals.
    static constexpr int kTimer2DesignMs = 2000;
    static constexpr int kTimeoutDesignMs = 100;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The generated controls, named as on the form.
    Ui::TForm1* const ui;

    // Poll timer (disabled until start-up arms it).
    QTimer Timer2;
    // One-shot wait timer: it switches itself off when it fires.
    QTimer Timeout;

    // Parameter files (open and save) and firmware images.
    QFileDialog* const OpenDialog1;
    QFileDialog* const SaveDialog1;
    QFileDialog* const OpenDialog2;

    ServiceMode& serviceMode() { return *serviceMode_; }
    Views& views() { return views_; }
    WebLink& webLink() { return webLink_; }

    // Change reactions of AnalogPos1/AnalogPos2 must not run while values are loaded before the
    // window is first shown; FormShow attaches them.
    bool analogHandlersAttached = false;
    // Binds `reaction` to every position change of `bar`, by the user or by the program, from
    // the moment the reactions are attached.
    void attachAnalogReaction(QSlider* bar, std::function<void()> reaction);

    // Runs on every showing of the window.
    void FormShow();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpTimers();

    std::unique_ptr<ServiceMode> serviceMode_;
    Views views_;
    PictureSnapshot snapshot_;
    WebLink webLink_;
    bool centred_ = false;
};

} // namespace zuvo
