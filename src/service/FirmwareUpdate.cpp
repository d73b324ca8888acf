#include "service/FirmwareUpdate.h"

#include "app/TForm1.h"

namespace zuvo {

FirmwareUpdate::FirmwareUpdate(TForm1& form) : form_(form) {}

} // namespace zuvo
