#pragma once
// The example parameter set as a desktop with a decimal comma saves it: stroke 500 mm, 60 turns,
// clockwise, hysteresis 0.25 mm, outputs 1 and 2 in segments 1 and 2, flags 0x0205 (20..4 mA),
// rush-in delays 1.0 s and 1.2 s, 1400 RPM on the motor axis, switch positions 100 and 200 mm,
// analog range 0..500 mm.

#include <QByteArray>

namespace zuvo::test {

inline const QByteArray kExampleParameterFile =
    "[ZYLINDER]\r\nLENGTH=500\r\nGEAR=60\r\nDIRECTION=1\r\n"
    "[OUTPUT]\r\nHYSTERESIS=0,25\r\nFunktion1=1\r\nFunktion2=2\r\n"
    "Funktion3=0\r\nFunktion4=0\r\nFunktion5=0\r\nFunktion6=0\r\n"
    "Funktion7=0\r\nFunktion8=0\r\nFunktion9=0\r\n"
    "[ANALOG]\r\nFunktion=517\r\n"
    "[ANLAUF]\r\nFunktion1=3082\r\nFunktion2=9557\r\n"
    "[POSITION]\r\nPos1=100\r\nPos2=200\r\nPos3=-1\r\nPos4=-1\r\n"
    "Pos5=-1\r\nPos6=-1\r\nPos7=-1\r\nPos8=-1\r\nAnalog1=0\r\n"
    "Analog2=500\r\n";

} // namespace zuvo::test
