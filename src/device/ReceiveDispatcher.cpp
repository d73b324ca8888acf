#include "device/ReceiveDispatcher.h"

#include "app/TForm1.h"

namespace zuvo {

ReceiveDispatcher::ReceiveDispatcher(TForm1& form) : form_(form) {}

void ReceiveDispatcher::ComPort1TriggerAvail(TSerialComPort& cp, quint16 count) {
    (void)cp;
    (void)count;
}

} // namespace zuvo
