#include "params/ZdfContent.h"

#include "params/FileNumber.h"
#include "params/StrokeAndTurns.h"
#include "params/WordFields.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace zuvo {

namespace {

const QString Zylinder = QStringLiteral("ZYLINDER");
const QString Output = QStringLiteral("OUTPUT");
const QString Analog = QStringLiteral("ANALOG");
const QString Anlauf = QStringLiteral("ANLAUF");
const QString Position = QStringLiteral("POSITION");

QString numbered(const char* stem, int n) {
    return QString::fromLatin1(stem) + QString::number(n);
}

bool fitsWord(std::int64_t value) {
    return value >= 0 && value <= 0xFFFF;
}

// A floating-point key's value when it is a whole number a 64-bit integer holds.
std::optional<std::int64_t> wholeValue(std::optional<double> value) {
    // 2^63 is exact in a double; every double below it in magnitude converts.
    constexpr double limit = 9223372036854775808.0;
    if (!value || std::trunc(*value) != *value || *value >= limit || *value < -limit) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*value);
}

// A key of an integer word read as a decimal number and truncated (the ANLAUF keys).
std::optional<std::uint16_t> truncatedWord(const QString& text) {
    const std::optional<double> value = parseFileNumber(text);
    if (!value) {
        return std::nullopt;
    }
    const double t = std::trunc(*value);
    return t >= 0 && t <= 0xFFFF ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(t))
                                 : std::nullopt;
}

QString hexWord(unsigned word) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(word, 4, 16, QLatin1Char('0')).toUpper();
}

// Why the pages cannot show a flags word as it stands, or nothing when they can.
QString flagsWordProblem(std::uint16_t word, std::vector<PageControl>& controls) {
    const FunctionFlags flags = FunctionFlags::fromWord(word);
    QStringList details;
    if (flags.analogFunction >= AnalogFunctionItemCount) {
        details << QStringLiteral("the analog function %1 has no item").arg(flags.analogFunction);
        controls.push_back(PageControl::AnalogFunction);
    }
    if (flags.digitalOutput4Item() != flags.digitalOutput4) {
        details
            << QStringLiteral("the function %1 of output 4 has no item").arg(flags.digitalOutput4);
        controls.push_back(PageControl::DigitalOutput4);
    }
    if ((word & UnusedFunctionBits) != 0) {
        details
            << QStringLiteral("the unused bits %1 are set").arg(hexWord(word & UnusedFunctionBits));
        if (controls.empty()) {
            controls.push_back(PageControl::AnalogFunction);
        }
    }
    const std::uint16_t shown = flags.shown().toWord();
    if (shown == word) {
        return {};
    }
    return QStringLiteral("the function flags must be a word the pages can show: %1; they would "
                          "send %2")
        .arg(details.join(QStringLiteral(", ")))
        .arg(shown);
}

// The track bars of the rush-in delays hold 3..30 tenths of a second each.
bool rushInUsable(std::uint16_t word, std::vector<PageControl>& controls) {
    const RushInDelays delays = RushInDelays::fromWord(word);
    const auto inRange = [](int tenths) { return tenths >= 3 && tenths <= 30; };
    if (!inRange(delays.retract) || (word & 0x0080) != 0) {
        controls.push_back(PageControl::RushInRetract);
    }
    if (!inRange(delays.extend) || (word & 0x8000) != 0) {
        controls.push_back(PageControl::RushInExtend);
    }
    return controls.empty();
}

// Reads the keys of one file and notes what cannot be used.
class KeyReader {
public:
    KeyReader(const IniFile& ini, std::vector<FileProblem>& problems)
        : ini_(ini), problems_(problems) {}

    std::optional<QString> text(const QString& section, const QString& key) const {
        return ini_.value(section, key);
    }

    void refuse(const QString& section, const QString& key, const QString& written,
                const QString& reason, std::vector<PageControl> controls) {
        problems_.push_back({section, key, written, reason, std::move(controls), false});
    }

private:
    const IniFile& ini_;
    std::vector<FileProblem>& problems_;
};

// An edit's text as the file holds it, whatever it is: an edit shows it, and the pages judge it
// (a stray carriage return inside it is not cut off; it makes the text no number).
QString editText(const IniFile& ini, const QString& section, const QString& key,
                 const QString& def) {
    return ini.readString(section, key, def);
}

} // namespace

std::array<QString, ZdfSwitchPositionCount> ZdfContent::defaultPositions() {
    std::array<QString, ZdfSwitchPositionCount> positions;
    positions.fill(QStringLiteral("-1"));
    return positions;
}

QString withZdfExtension(const QString& fileName) {
    if (fileName.size() >= 4 && fileName.at(fileName.size() - 4) == QLatin1Char('.')) {
        return fileName;
    }
    return fileName + QStringLiteral(".ZDF");
}

bool isParameterFile(const IniFile& ini) {
    for (const QString& section : {Zylinder, Output, Analog, Anlauf, Position}) {
        if (!ini.keys(section).isEmpty()) {
            return true;
        }
    }
    return false;
}

ZdfContent readZdf(const IniFile& ini) {
    ZdfContent c;
    KeyReader keys(ini, c.problems);

    // Word 0 is never sent and no page shows it: a value that does not convert is 0, silently.
    if (const auto zero = keys.text(Zylinder, QStringLiteral("ZERO"))) {
        c.zeroWord = truncatedWord(*zero).value_or(0);
    }

    // Stroke and turns are kept as written when they are whole numbers; the pages judge them.
    if (const auto text = keys.text(Zylinder, QStringLiteral("LENGTH"))) {
        if (const auto stroke = parseFileInteger(*text)) {
            c.strokeMm = *stroke;
        } else {
            keys.refuse(Zylinder, QStringLiteral("LENGTH"), *text, strokeRuleText(),
                        {PageControl::Stroke});
        }
    }
    if (const auto text = keys.text(Zylinder, QStringLiteral("GEAR"))) {
        const std::optional<double> gear = parseFileNumber(*text);
        if (const auto turns = wholeValue(gear)) {
            c.gear = *gear;
            c.turns = *turns;
        } else {
            // The turns edit holds whole turns: 60.5 would be sent as 60 or 100.
            keys.refuse(Zylinder, QStringLiteral("GEAR"), *text, turnsRuleText(),
                        {PageControl::Turns});
        }
    }
    if (const auto text = keys.text(Zylinder, QStringLiteral("DIRECTION"))) {
        const auto direction = parseFileInteger(*text);
        if (direction) {
            c.clockwise = *direction == 1;
        }
        if (!direction || (*direction != 0 && *direction != 1)) {
            keys.refuse(Zylinder, QStringLiteral("DIRECTION"), *text,
                        QStringLiteral("the direction must be 1 (clockwise) or 0 "
                                       "(counter-clockwise)"),
                        {PageControl::Direction});
        }
    }

    c.hysteresisInFile = ini.hasKey(Output, QStringLiteral("HYSTERESIS"));
    c.hysteresis = editText(ini, Output, QStringLiteral("HYSTERESIS"), c.hysteresis);
    for (int s = 1; s <= ZdfSegmentCount; ++s) {
        const QString key = numbered("Funktion", s);
        const auto text = keys.text(Output, key);
        if (!text) {
            continue;
        }
        const auto mask = parseFileInteger(*text);
        if (mask && fitsWord(*mask)) {
            c.segmentMasks[static_cast<std::size_t>(s - 1)] = static_cast<std::uint16_t>(*mask);
        }
        if (!mask || *mask < 0 || *mask > 0x3F) {
            keys.refuse(Output, key, *text,
                        QStringLiteral("the outputs of segment %1 must be a whole number of "
                                       "0..63 (one bit for each of the outputs 1..6)")
                            .arg(s),
                        {segmentControl(s)});
        }
    }

    if (const auto text = keys.text(Analog, QStringLiteral("Funktion"))) {
        const auto flags = parseFileInteger(*text);
        std::vector<PageControl> controls;
        QString reason;
        if (flags && fitsWord(*flags)) {
            c.functionFlags = static_cast<std::uint16_t>(*flags);
            reason = flagsWordProblem(c.functionFlags, controls);
        } else {
            reason = QStringLiteral("the function flags must be a whole number of 0..65535");
            controls = {PageControl::AnalogFunction, PageControl::DigitalOutput4,
                        PageControl::Impulses,       PageControl::ExternalReference,
                        PageControl::ThrustOverload, PageControl::SensorPosition};
        }
        if (!reason.isEmpty()) {
            keys.refuse(Analog, QStringLiteral("Funktion"), *text, reason, std::move(controls));
        }
    }

    // The ANLAUF keys are whole words written as such but read as decimal numbers and truncated.
    if (const auto text = keys.text(Anlauf, QStringLiteral("Funktion1"))) {
        const auto delays = truncatedWord(*text);
        std::vector<PageControl> controls;
        if (delays) {
            c.rushInDelays = *delays;
        } else {
            controls = {PageControl::RushInRetract, PageControl::RushInExtend};
        }
        if (!delays || !rushInUsable(*delays, controls)) {
            keys.refuse(Anlauf, QStringLiteral("Funktion1"), *text,
                        QStringLiteral("the rush-in delays must be a word of two delays of 3..30 "
                                       "tenths of a second (retract in bits 0..6, extend in bits "
                                       "8..14, no other bits)"),
                        std::move(controls));
        }
    }
    if (const auto text = keys.text(Anlauf, QStringLiteral("Funktion2"))) {
        if (const auto speed = truncatedWord(*text)) {
            c.thrustLimitSpeed = *speed;
        } else {
            keys.refuse(Anlauf, QStringLiteral("Funktion2"), *text,
                        QStringLiteral("the thrust-limit speed word must be a number of 0..65535"),
                        {PageControl::ThrustLimit});
        }
    }

    for (int k = 1; k <= ZdfSwitchPositionCount; ++k) {
        QString& text = c.switchPositions[static_cast<std::size_t>(k - 1)];
        text = editText(ini, Position, numbered("Pos", k), text);
    }
    // The track bars hold whole millimetres from 0 to the stroke.
    const bool strokeKnown = strokeUsable(c.strokeMm);
    const QString range = strokeKnown ? QStringLiteral("0..%1 mm (the stroke)").arg(c.strokeMm)
                                      : QStringLiteral("0 mm..the stroke");
    const auto analogPoint = [&](const QString& key, const QString& name, PageControl control,
                                 int& mm) {
        const auto text = keys.text(Position, key);
        if (!text) {
            return false;
        }
        const auto value = wholeValue(parseFileNumber(*text));
        const bool fits = value && *value >= std::numeric_limits<int>::min() &&
                          *value <= std::numeric_limits<int>::max();
        if (fits) {
            mm = static_cast<int>(*value);
        }
        if (!fits || *value < 0 || (strokeKnown && *value > c.strokeMm)) {
            keys.refuse(
                Position, key, *text,
                QStringLiteral("the analog %1 must be a whole number of %2").arg(name, range),
                {control});
            return false;
        }
        return true;
    };
    const bool minimumGood = analogPoint(QStringLiteral("Analog1"), QStringLiteral("minimum"),
                                         PageControl::AnalogMin, c.analogMinMm);
    const bool maximumGood = analogPoint(QStringLiteral("Analog2"), QStringLiteral("maximum"),
                                         PageControl::AnalogMax, c.analogMaxMm);
    // The bars drag each other along: a maximum below the minimum would be raised to it.
    if (minimumGood && maximumGood && c.analogMaxMm < c.analogMinMm) {
        keys.refuse(Position, QStringLiteral("Analog2"),
                    *keys.text(Position, QStringLiteral("Analog2")),
                    QStringLiteral("the analog maximum must not lie below the minimum (%1 mm)")
                        .arg(c.analogMinMm),
                    {PageControl::AnalogMax});
    }
    return c;
}

bool writeZdf(IniFile& ini, const ZdfContent& c, const QLocale& locale) {
    bool ok = ini.writeString(Zylinder, QStringLiteral("LENGTH"), QString::number(c.strokeMm)) &&
              ini.writeFloat(Zylinder, QStringLiteral("GEAR"), c.gear, locale) &&
              ini.writeInteger(Zylinder, QStringLiteral("DIRECTION"), c.clockwise ? 1 : 0) &&
              ini.writeString(Output, QStringLiteral("HYSTERESIS"), c.hysteresis);
    for (int s = 1; ok && s <= ZdfSegmentCount; ++s) {
        ok = ini.writeInteger(Output, numbered("Funktion", s),
                              c.segmentMasks[static_cast<std::size_t>(s - 1)]);
    }
    ok = ok && ini.writeInteger(Analog, QStringLiteral("Funktion"), c.functionFlags) &&
         ini.writeInteger(Anlauf, QStringLiteral("Funktion1"), c.rushInDelays) &&
         ini.writeInteger(Anlauf, QStringLiteral("Funktion2"), c.thrustLimitSpeed);
    for (int k = 1; ok && k <= ZdfSwitchPositionCount; ++k) {
        ok = ini.writeString(Position, numbered("Pos", k),
                             c.switchPositions[static_cast<std::size_t>(k - 1)]);
    }
    return ok && ini.writeFloat(Position, QStringLiteral("Analog1"), c.analogMinMm, locale) &&
           ini.writeFloat(Position, QStringLiteral("Analog2"), c.analogMaxMm, locale);
}

} // namespace zuvo
