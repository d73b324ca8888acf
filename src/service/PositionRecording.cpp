#include "service/PositionRecording.h"

#include "app/TForm1.h"

namespace zuvo {

PositionRecording::PositionRecording(TForm1& form) : form_(form) {}

} // namespace zuvo
