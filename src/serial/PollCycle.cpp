#include "serial/PollCycle.h"

#include "app/TForm1.h"

namespace zuvo {

PollCycle::PollCycle(TForm1& form) : form_(form) {}

} // namespace zuvo
