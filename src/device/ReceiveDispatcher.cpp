#include "device/ReceiveDispatcher.h"

#include "app/TForm1.h"

namespace zuvo {

ReceiveDispatcher::ReceiveDispatcher(TForm1& form) : form_(form) {}

} // namespace zuvo
