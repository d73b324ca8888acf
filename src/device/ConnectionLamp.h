#pragma once
// The caption of the connection lamp beside its colours: it names the port and never says
// "Connected" while the port is not open.

#include <QString>

namespace zuvo {

// "COM3 Connected" while port 3 is open, "COM3 not available" while it is not.
QString connectionLampCaption(int comNumber, bool portOpen);

} // namespace zuvo
