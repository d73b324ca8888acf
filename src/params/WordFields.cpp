#include "params/WordFields.h"

namespace zuvo {

FunctionFlags FunctionFlags::fromWord(std::uint16_t word) {
    FunctionFlags flags;
    flags.analogFunction = word & 0x7;
    flags.digitalOutput4 = (word & 0x30) >> 4;
    flags.impulses = (word & 0xC0) >> 6;
    flags.externalReference = (word & 0x100) != 0;
    flags.thrustOverload = (word & 0x200) != 0;
    flags.sensorOnGearUnit = (word & 0x400) != 0;
    return flags;
}

std::uint16_t FunctionFlags::toWord() const {
    unsigned word = static_cast<unsigned>(analogFunction) & 0x7;
    word |= (static_cast<unsigned>(digitalOutput4) & 0x3) << 4;
    word |= (static_cast<unsigned>(impulses) & 0x3) << 6;
    if (externalReference) {
        word |= 0x100;
    }
    if (thrustOverload) {
        word |= 0x200;
    }
    if (sensorOnGearUnit) {
        word |= 0x400;
    }
    return static_cast<std::uint16_t>(word);
}

FunctionFlags FunctionFlags::shown() const {
    FunctionFlags flags = *this;
    flags.analogFunction = analogFunction < AnalogFunctionItemCount ? analogFunction : 0;
    flags.digitalOutput4 = digitalOutput4Item();
    return flags;
}

RushInDelays RushInDelays::fromWord(std::uint16_t word) {
    return {word & 0x7F, (word & 0x7F00) >> 8};
}

std::uint16_t RushInDelays::toWord() const {
    return static_cast<std::uint16_t>((static_cast<unsigned>(retract) & 0x7F) +
                                      ((static_cast<unsigned>(extend) & 0x7F) << 8));
}

} // namespace zuvo
