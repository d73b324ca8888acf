#include "device/LiveDisplay.h"

#include "app/TForm1.h"

namespace zuvo {

LiveDisplay::LiveDisplay(TForm1& form) : form_(form) {}

} // namespace zuvo
