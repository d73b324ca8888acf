#include "params/AnalogThrustPage.h"

#include "app/TForm1.h"

namespace zuvo {

AnalogThrustPage::AnalogThrustPage(TForm1& form) : form_(form) {}

} // namespace zuvo
