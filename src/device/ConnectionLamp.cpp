#include "device/ConnectionLamp.h"

namespace zuvo {

QString connectionLampCaption(int comNumber, bool portOpen) {
    return QStringLiteral("COM%1").arg(comNumber) +
           (portOpen ? QStringLiteral(" Connected") : QStringLiteral(" not available"));
}

} // namespace zuvo
