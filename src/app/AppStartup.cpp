#include "app/AppStartup.h"

#include "app/TForm1.h"

namespace zuvo {

AppStartup::AppStartup(TForm1& form) : form_(form) {}

} // namespace zuvo
