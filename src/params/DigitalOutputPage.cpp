#include "params/DigitalOutputPage.h"

#include "app/TForm1.h"

namespace zuvo {

DigitalOutputPage::DigitalOutputPage(TForm1& form) : form_(form) {}

} // namespace zuvo
