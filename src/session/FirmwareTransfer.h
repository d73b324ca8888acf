#pragma once
// The firmware update on the line, for the window and zuvoctl alike: odd parity and FL, the
// rounds of waiting for the bootloader, the XMODEM-CRC blocks each acknowledged, EOT, and parity
// back to none. What the user sees of it (labels, progress, messages) goes out through the
// observer; the decisions of each round are UpdateRounds'.

#include "service/UpdateRounds.h"
#include "session/Link.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

namespace zuvo {

// A firmware image read whole, or why it is not sent.
struct FirmwareImage {
    QByteArray bytes;
    QString problem; // empty when read; otherwise one line that names the file and the reason
};

// Reads the whole image now, so the controller gets the file as it was chosen even if it changes
// or vanishes during the transfer. A file that cannot be read (a pipe or a device is not opened),
// an empty one, one larger than the controller's flash and a parameter file are refused.
FirmwareImage readFirmwareImage(const QString& path);

// Pauses of the procedure, in ms.
inline constexpr int kBootloaderRoundMs = 1000;
inline constexpr int kBlockRoundMs = 800;
inline constexpr int kFinalWaitMs = 1000;

enum class FirmwareOutcome {
    Delivered, // every block acknowledged and EOT sent
    Cancelled, // cancelled; EOT sent when the bootloader had answered
    GaveUp,    // the bootloader did not answer or kept refusing; no EOT
    PortLost,  // the port failed or its device went away
};

class FirmwareTransfer {
public:
    struct Observer {
        std::function<void(const QString&)> stageLabel; // "Enter Flash-Mode..", "Page: p/m"
        std::function<void(const QString&)> faultLabel; // "No Response", "CRC 21"
        // The page now being sent (from 1; 0 before the first) of the image's pages.
        std::function<void(std::uint64_t page, std::uint64_t pages)> progress;
        std::function<void()> queueFull; // the send queue had no room for FL
        std::function<void()> portLost;  // the port is closed; nothing more is sent
        std::function<void(const QString&)> message;
    };

    FirmwareTransfer(Exchange& exchange, const QByteArray& image, const UpdateLimits& limits,
                     Observer observer);

    // The whole procedure on the held exchange, from FL to parity back to none. The caller has
    // let an outstanding poll reply arrive.
    FirmwareOutcome run();

    // The way out the user takes: waiting for the bootloader ends at the end of the round (no
    // EOT); a transfer ends after the running block's round with EOT.
    void cancel();
    // The bootloader answered and the blocks are being sent.
    bool inFlashMode() const { return flashMode_; }
    // Whether EOT went out.
    bool eotSent() const { return eotSent_; }

private:
    bool waitForBootloader();
    // False after a give-up (no EOT then).
    bool sendBlocks();
    void sendEot();
    void finish();

    enum class Sent { Ok, QueueFull, PortLost };
    Sent send(std::span<const std::uint8_t> bytes);
    // An unplugged adapter ends the transfer as a port error does.
    bool checkPortLost();
    void loseLink();
    void message(const QString& text);
    void pause(int ms);

    Exchange& exchange_;
    const QByteArray& image_;
    UpdateLimits limits_;
    Observer observer_;
    bool flashMode_ = false;
    bool transferOn_ = true;
    bool cancelled_ = false;
    bool lost_ = false;
    bool gaveUp_ = false;
    bool eotSent_ = false;
};

} // namespace zuvo
