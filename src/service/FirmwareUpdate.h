#pragma once
// Writes a firmware image to the controller's bootloader: FL at odd parity, then XMODEM-CRC
// blocks, each acknowledged, closed by EOT.

#include "service/UpdateRounds.h"
#include "service/Xmodem.h"
#include "session/Link.h"

#include <QByteArray>
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

    // The five lines the user confirms.
    static QString confirmationText();

private:
    // One way out: the steps of the procedure return here, and the caller restores the window.
    void run();
    bool readImage(const QString& path);
    bool waitForBootloader();
    // False after a give-up (no EOT then).
    bool transfer();
    void endTransfer();
    void backToNormal();

    // The controller's block into a backup before anything of the update is sent. False when
    // the update must not go on.
    bool backUpBlock();
    bool confirm(const QString& text);
    QString chooseFile();
    void message(const QString& text);

    // Waits that keep the window alive; nothing polls while the update holds the link.
    void pause(int ms);
    void waitForBytes(int ms, const std::function<bool()>& enough);
    ReceivedBytes received() const;
    void clearReceived();

    enum class Sent { Ok, BufferFull, PortLost };
    // Sends raw bytes; a port error closes the port and ends the transfer.
    Sent send(const std::uint8_t* bytes, std::size_t size);
    // An unplugged adapter ends the transfer as a port error does.
    bool portLost();
    void loseLink();
    void lockWindow(bool locked);

    TForm1& form_;
    Hooks hooks_;
    // The link, held from the start of the procedure to its end.
    Exchange* exchange_ = nullptr;
    UpdateLimits limits_;
    QByteArray image_;
    bool running_ = false;
    bool flashMode_ = false;
    bool transferOn_ = false;
    bool cancelled_ = false;
};

} // namespace zuvo
