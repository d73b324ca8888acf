#include "service/ModuleReplacement.h"

#include "app/TForm1.h"

namespace zuvo {

ModuleReplacement::ModuleReplacement(TForm1& form) : form_(form) {}

} // namespace zuvo
