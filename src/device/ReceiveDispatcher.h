#pragma once
// Takes the serial port's receive notifications and applies what they bring to the window.

#include <QtGlobal>
#include <cstdint>
#include <span>
#include <vector>

namespace zuvo {
class TSerialComPort;
struct ReceiveContext;
struct ReceiveOutcome;
struct StatusReceived;
} // namespace zuvo

namespace zuvo {

class TForm1;

class ReceiveDispatcher {
public:
    explicit ReceiveDispatcher(TForm1& form);

    // The serial port's OnTriggerAvail handler.
    void ComPort1TriggerAvail(TSerialComPort& cp, quint16 count);

    // Everything after the read: the bytes of one notification into the receive buffer, then
    // the recognised replies onto the window. Never lets events run.
    void receive(std::span<const std::uint8_t> bytes);

    // Poll interval after a status reply.
    static constexpr int kStatusPollMs = 80;

private:
    ReceiveContext context() const;
    void apply(const ReceiveOutcome& outcome);
    void applyStatus(const StatusReceived& status);
    bool statusComplete(const StatusReceived& status) const;
    void showStatusFields(const StatusReceived& status);

    TForm1& form_;
    std::vector<std::uint8_t> readBuffer_; // reused, so a notification allocates nothing
};

} // namespace zuvo
