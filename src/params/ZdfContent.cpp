#include "params/ZdfContent.h"

#include "params/FileNumber.h"

#include <cmath>

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

std::optional<double> decimalValue(const IniFile& ini, const QString& section, const QString& key) {
    const auto text = ini.value(section, key);
    return text ? parseFileNumber(*text) : std::nullopt;
}

std::optional<int> integerValue(const IniFile& ini, const QString& section, const QString& key) {
    const auto text = ini.value(section, key);
    return text ? IniFile::parseInteger(*text) : std::nullopt;
}

// A word from an integer key; a value outside 0..65535 would be cut to a different word, so it
// counts as not converting.
std::uint16_t wordValue(const IniFile& ini, const QString& section, const QString& key,
                        std::uint16_t def) {
    const auto v = integerValue(ini, section, key);
    return v && *v >= 0 && *v <= 0xFFFF ? static_cast<std::uint16_t>(*v) : def;
}

// A word from a key written as an integer but read as a decimal number, truncated.
std::uint16_t truncatedWordValue(const IniFile& ini, const QString& section, const QString& key,
                                 std::uint16_t def) {
    const auto v = decimalValue(ini, section, key);
    if (!v) {
        return def;
    }
    const double t = std::trunc(*v);
    return t >= 0 && t <= 0xFFFF ? static_cast<std::uint16_t>(t) : def;
}

// An edit text as stored. An edit holds one line: a stray carriage return inside a line ends the
// text.
QString editText(const IniFile& ini, const QString& section, const QString& key,
                 const QString& def) {
    QString text = ini.readString(section, key, def);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\r') || text.at(i) == QLatin1Char('\n')) {
            text.truncate(i);
            break;
        }
    }
    return text.trimmed();
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
    c.zeroWord = truncatedWordValue(ini, Zylinder, QStringLiteral("ZERO"), 0);
    c.strokeMm = integerValue(ini, Zylinder, QStringLiteral("LENGTH")).value_or(c.strokeMm);
    c.clockwise = integerValue(ini, Zylinder, QStringLiteral("DIRECTION")).value_or(1) == 1;
    if (const auto gear = decimalValue(ini, Zylinder, QStringLiteral("GEAR"))) {
        c.gear = *gear;
        c.turns = integerValue(ini, Zylinder, QStringLiteral("GEAR")).value_or(100);
    }

    c.hysteresis = editText(ini, Output, QStringLiteral("HYSTERESIS"), c.hysteresis);
    for (int s = 1; s <= ZdfSegmentCount; ++s) {
        c.segmentMasks[static_cast<std::size_t>(s - 1)] =
            wordValue(ini, Output, numbered("Funktion", s), 0);
    }
    c.functionFlags = wordValue(ini, Analog, QStringLiteral("Funktion"), c.functionFlags);
    c.rushInDelays = truncatedWordValue(ini, Anlauf, QStringLiteral("Funktion1"), c.rushInDelays);
    c.thrustLimitSpeed =
        truncatedWordValue(ini, Anlauf, QStringLiteral("Funktion2"), c.thrustLimitSpeed);

    for (int k = 1; k <= ZdfSwitchPositionCount; ++k) {
        QString& text = c.switchPositions[static_cast<std::size_t>(k - 1)];
        text = editText(ini, Position, numbered("Pos", k), text);
    }
    c.analogMinMm = integerValue(ini, Position, QStringLiteral("Analog1")).value_or(-1);
    c.analogMaxMm = integerValue(ini, Position, QStringLiteral("Analog2")).value_or(-1);
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
