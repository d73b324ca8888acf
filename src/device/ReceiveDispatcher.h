#pragma once
// Takes the serial port's receive notifications and applies what they bring to the window.

#include <QtGlobal>

namespace zuvo {
class TSerialComPort;
}

namespace zuvo {

class TForm1;

class ReceiveDispatcher {
public:
    explicit ReceiveDispatcher(TForm1& form);

    // The serial port's OnTriggerAvail handler.
    void ComPort1TriggerAvail(TSerialComPort& cp, quint16 count);

private:
    TForm1& form_;
};

} // namespace zuvo
