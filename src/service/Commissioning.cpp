#include "service/Commissioning.h"

#include "app/TForm1.h"

namespace zuvo {

Commissioning::Commissioning(TForm1& form) : form_(form) {}

} // namespace zuvo
