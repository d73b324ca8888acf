#pragma once
// Writes a firmware image to the controller's bootloader: FL at odd parity, then XMODEM-CRC
// blocks, each acknowledged, closed by EOT.

#include "service/UpdateRounds.h"
#include "session/FirmwareTransfer.h"
#include "session/Link.h"

#include <QString>

#include <functional>

namespace zuvo {

class TForm1;

class FirmwareUpdate {
public:
    // How the procedure meets the user; tests replace them.
    struct Hooks {
        std::function<bool(const QString& text)> confirm; // OK pressed
        std::function<QString()> chooseFile;              // empty: cancelled
        std::function<void(const QString& text)> message;
    };

    explicit FirmwareUpdate(TForm1& form);

    // The menu item "Flash Update": the whole procedure, back in the normal view at its end.
    void FlashUpdate1Click();
    // "Cancel" in the update view.
    void Button5Click();

    bool isRunning() const { return running_; }

    // Members left empty keep the dialogs and message boxes.
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    void setLimits(const UpdateLimits& limits) { limits_ = limits; }

private:
    // One way out: the steps of the procedure return here, and the caller restores the window.
    void run();
    void backToNormal();

    // The controller's block into a backup before anything of the update is sent. False when
    // the update must not go on.
    bool backUpBlock();
    bool confirm(const QString& text);
    QString chooseFile();
    void message(const QString& text);
    void lockWindow(bool locked);

    TForm1& form_;
    Hooks hooks_;
    // The link, held from the start of the procedure to its end.
    Exchange* exchange_ = nullptr;
    // The procedure on the line while it runs.
    FirmwareTransfer* transfer_ = nullptr;
    UpdateLimits limits_;
    bool running_ = false;
    bool cancelled_ = false;
};

} // namespace zuvo
