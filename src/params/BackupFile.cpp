#include "params/BackupFile.h"

#include "params/FileNumber.h"
#include "params/ParameterBlock.h"
#include "params/QuotedText.h"
#include "params/UnitConversions.h"

#include <QRegularExpression>

#include <algorithm>

namespace zuvo {

namespace {

const QString TimeKey = QStringLiteral("Time");
const QString PortKey = QStringLiteral("Port");
const QString DeviceKey = QStringLiteral("Device");
const QString FirmwareKey = QStringLiteral("FirmwareVersion");
const QString WordsKey = QStringLiteral("Words");
const QString Calibration10VKey = QStringLiteral("Calibration10V");
const QString Calibration4mAKey = QStringLiteral("Calibration4mA");

QString section() {
    return QString::fromLatin1(BlockSectionName);
}

QString wordKey(int index) {
    return QStringLiteral("Word") + QString::number(index);
}

// A whole number as every file of the program holds it (FileNumber.h); the ranges are checked
// where it is used.
std::optional<qint64> decimal(const QString& text) {
    return parseFileInteger(text);
}

// Digits only, for the numbers inside key and port names: Word7, COM3.
std::optional<qint64> plainDigits(const QString& text) {
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    return decimal(text);
}

// A key's value through `parse`; sets `problem` and returns nullopt when the key is missing or
// `parse` refuses its text (`expected` says what it should be).
template <class Parse>
auto parsedValue(const IniFile& ini, const QString& key, Parse parse, const QString& expected,
                 QString& problem) -> decltype(parse(QString())) {
    const auto text = ini.value(section(), key);
    if (!text) {
        problem = key + QStringLiteral(" is missing");
        return std::nullopt;
    }
    auto value = parse(*text);
    if (!value) {
        problem =
            key + QStringLiteral(" is not ") + expected + QStringLiteral(": ") + quotedText(*text);
    }
    return value;
}

// A number key in low..high.
std::optional<qint64> number(const IniFile& ini, const QString& key, qint64 low, qint64 high,
                             QString& problem) {
    const auto value = parsedValue(ini, key, decimal, QStringLiteral("a decimal number"), problem);
    if (value && (*value < low || *value > high)) {
        problem = key + QStringLiteral(" = ") + QString::number(*value) +
                  QStringLiteral(" is outside ") + QString::number(low) + QStringLiteral("..") +
                  QString::number(high);
        return std::nullopt;
    }
    return value;
}

std::optional<int> parsePortName(const QString& text) {
    if (!text.startsWith(QStringLiteral("COM"))) {
        return std::nullopt;
    }
    const auto n = plainDigits(text.mid(3));
    if (!n || *n < 1 || *n > MaxPortNumber || text.at(3) == QLatin1Char('0')) {
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

// ISO 8601 with seconds and an explicit offset (or Z); without one the time would shift with the
// reading computer's zone.
std::optional<QDateTime> parseTime(const QString& text) {
    static const QRegularExpression form(QStringLiteral(
        "^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}(Z|[+-][0-9]{2}:[0-9]{2})$"));
    if (!form.match(text).hasMatch()) {
        return std::nullopt;
    }
    const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    return time.isValid() ? std::optional(time) : std::nullopt;
}

QString timeText(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

// The index of a key that starts like a word key: nullopt for other keys, -1 for a malformed one.
std::optional<int> wordKeyIndex(const QString& key) {
    static const QRegularExpression like(QStringLiteral("^word"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (!like.match(key).hasMatch() || key.compare(WordsKey, Qt::CaseInsensitive) == 0) {
        return std::nullopt;
    }
    const QString digits = key.mid(4);
    const auto n = plainDigits(digits);
    if (!n || (digits.size() > 1 && digits.front() == QLatin1Char('0'))) {
        return -1;
    }
    // Any index this large lies beyond every block anyway.
    return static_cast<int>(std::min<qint64>(*n, 1'000'000));
}

// The words: Word0..Word(count-1), nothing missing, nothing beyond.
std::optional<std::vector<std::uint16_t>> readWords(const IniFile& ini, int count,
                                                    QString& problem) {
    int highest = -1;
    QString highestKey;
    for (const QString& key : ini.keys(section())) {
        const auto index = wordKeyIndex(key);
        if (index && *index < 0) {
            problem = printableText(key) + QStringLiteral(" is not a word key (Word0, Word1, ...)");
            return std::nullopt;
        }
        if (index && *index > highest) {
            highest = *index;
            highestKey = key;
        }
    }
    if (highest >= count) {
        problem = highestKey + QStringLiteral(" lies beyond the ") + QString::number(count) +
                  QStringLiteral(" words that Words declares");
        return std::nullopt;
    }
    std::vector<std::uint16_t> words;
    words.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (!ini.hasKey(section(), wordKey(i))) {
            problem = i < highest
                          ? QStringLiteral("the word numbers have a gap: ") + wordKey(i) +
                                QStringLiteral(" is missing")
                          : QStringLiteral("the words end before ") + wordKey(i) +
                                QStringLiteral(" although Words is ") + QString::number(count);
            return std::nullopt;
        }
        const auto value = number(ini, wordKey(i), 0, 0xFFFF, problem);
        if (!value) {
            return std::nullopt;
        }
        words.push_back(static_cast<std::uint16_t>(*value));
    }
    return words;
}

} // namespace

int minBlockWordCount() {
    return receivedWordCount(0);
}

int maxBlockWordCount() {
    return receivedWordCount(ParameterBlock::MaxExtraWordCount);
}

QString portName(int port) {
    return QStringLiteral("COM") + QString::number(port);
}

bool writeBlockSection(IniFile& ini, const BlockBackup& b) {
    const int count = static_cast<int>(b.words.size());
    if (!ini.keys(section()).isEmpty() || count < minBlockWordCount() ||
        count > maxBlockWordCount() || b.port < 1 || b.port > MaxPortNumber || !b.time.isValid() ||
        b.devicePath.contains(QLatin1Char('\n')) || b.devicePath.contains(QLatin1Char('\r'))) {
        return false;
    }
    // The count comes before the words and the calibration values after them, so that a section
    // cut short anywhere is noticed when it is read.
    bool ok = ini.writeString(section(), TimeKey, timeText(b.time)) &&
              ini.writeString(section(), PortKey, portName(b.port)) &&
              ini.writeString(section(), DeviceKey, b.devicePath) &&
              ini.writeInteger(section(), FirmwareKey, b.firmwareVersion) &&
              ini.writeInteger(section(), WordsKey, count);
    for (int i = 0; ok && i < count; ++i) {
        ok = ini.writeInteger(section(), wordKey(i), b.words[static_cast<std::size_t>(i)]);
    }
    // Nothing above can be refused once the checks passed; the calibration values are last.
    return ok && ini.writeInteger(section(), Calibration10VKey, b.calibration10V) &&
           ini.writeInteger(section(), Calibration4mAKey, b.calibration4mA);
}

BlockSectionRead readBlockSection(const IniFile& ini, std::optional<int> expectedWordCount) {
    BlockSectionRead out;
    QString& problem = out.problem;
    if (ini.keys(section()).isEmpty()) {
        problem = QStringLiteral("the file has no [") + section() + QStringLiteral("] section");
        return out;
    }
    // Only the first of each would be read: which block or word was meant is not known.
    if (const int sections = ini.sectionCount(section()); sections > 1) {
        problem = QStringLiteral("the file has %1 [%2] sections").arg(sections).arg(section());
        return out;
    }
    if (const QStringList repeated = ini.repeatedKeys(section()); !repeated.isEmpty()) {
        problem = printableText(repeated.front()) + QStringLiteral(" stands more than once");
        return out;
    }
    BlockBackup b;

    const auto time = parsedValue(ini, TimeKey, parseTime,
                                  QStringLiteral("a date and time with its UTC offset"), problem);
    const auto port =
        time ? parsedValue(ini, PortKey, parsePortName,
                           QStringLiteral("COM1..COM") + QString::number(MaxPortNumber), problem)
             : std::nullopt;
    const auto device =
        port ? parsedValue(
                   ini, DeviceKey, [](const QString& text) { return std::optional<QString>(text); },
                   QString(), problem)
             : std::nullopt;
    if (!device) {
        return out;
    }
    b.time = *time;
    b.port = *port;
    b.devicePath = *device;

    const auto firmware = number(ini, FirmwareKey, 0, 0xFF, problem);
    const auto count =
        firmware ? number(ini, WordsKey, minBlockWordCount(), maxBlockWordCount(), problem)
                 : std::nullopt;
    if (!count) {
        return out;
    }
    b.firmwareVersion = static_cast<std::uint8_t>(*firmware);

    auto words = readWords(ini, static_cast<int>(*count), problem);
    if (!words) {
        return out;
    }
    b.words = std::move(*words);

    const auto kali10V = number(ini, Calibration10VKey, 0, 0xFFFF, problem);
    const auto kali4mA =
        kali10V ? number(ini, Calibration4mAKey, 0, 0xFFFF, problem) : std::nullopt;
    if (!kali4mA) {
        return out;
    }
    b.calibration10V = static_cast<std::uint16_t>(*kali10V);
    b.calibration4mA = static_cast<std::uint16_t>(*kali4mA);

    if (expectedWordCount && *count != *expectedWordCount) {
        problem = QStringLiteral("the backup holds ") + QString::number(*count) +
                  QStringLiteral(" words, the controller's block has ") +
                  QString::number(*expectedWordCount);
        return out;
    }
    out.backup = std::move(b);
    return out;
}

BackupSummary summarizeBackup(const BlockBackup& backup) {
    BackupSummary s;
    s.time = backup.time;
    s.port = backup.port;
    s.firmwareVersion = backup.firmwareVersion;
    s.wordCount = static_cast<int>(backup.words.size());
    const auto word = [&](std::size_t i) -> std::uint16_t {
        return i < backup.words.size() ? backup.words[i] : 0;
    };
    const ReceivedGeometry geometry = receivedGeometry(word(Word::Stroke), word(Word::GearTurns));
    s.strokeMm = geometry.strokeMm;
    s.turns = geometry.turns;
    return s;
}

} // namespace zuvo
