// Reads parameter files of any content, in one of several desktop locales. Reading must never
// fail. A set whose values the pages can use goes round: load, save into the same file, load
// again; the second load must give the same words a send would make, the same sensor position,
// and a save of it must write the same keys (a fixed point after one round); what the pages save
// loads back with no key to refuse. A set the pages cannot use must be refused by the save, and
// every key named as not usable must be one the file holds, quoted without a NUL.
//
// Input: a flags byte (bits 0..1: the locale), then the file's bytes.
#include "params/FileNumber.h"
#include "params/IniFile.h"
#include "params/ParameterValues.h"
#include "params/ZdfContent.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

using zuvo::IniFile;
using zuvo::ZdfContent;

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "parameter file: %s\n", what);
        std::abort();
    }
}

const QString& scratchPath() {
    // Saving syncs the file to disk: in memory when the machine has a memory file system.
    static const QDir folder(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath());
    static const QString path =
        folder.filePath(QStringLiteral("zuvo-ini-fuzz-%1.ZDF").arg(getpid()));
    static const struct Cleanup {
        ~Cleanup() { QFile::remove(path); }
    } cleanup;
    return path;
}

void put(const std::uint8_t* data, std::size_t size) {
    QFile file(scratchPath());
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file");
    require(file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
                static_cast<qint64>(size),
            "scratch write");
}

// The words and positions a send makes of the values.
zuvo::ParameterBlock sentBlock(const zuvo::ParameterValues& values) {
    zuvo::ParameterBlock block;
    require(zuvo::storeValues(values, block), "usable values were not stored");
    return block;
}

// Saves `content` into the scratch file in place (the file's other lines stay) and reads it back.
ZdfContent saveAndReadBack(const ZdfContent& content) {
    IniFile ini(scratchPath());
    require(zuvo::writeZdf(ini, content), "a set that was made cannot be written");
    require(ini.save(), "save");
    return zuvo::readZdf(IniFile(scratchPath()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Swedish, QLocale::Sweden),
                                      QLocale(QLocale::Arabic, QLocale::Egypt)};
    QLocale::setDefault(locales[data[0] & 3]);
    const QChar separator = zuvo::fileDecimalSeparator();
    put(data + 1, size - 1);

    const IniFile ini(scratchPath());
    if (ini.loadState() != IniFile::LoadState::Loaded) {
        return 0;
    }
    (void)zuvo::isParameterFile(ini);
    zuvo::ParameterBlock loaded;
    const ZdfContent content = zuvo::readZdf(ini);
    const zuvo::ParameterValues first = zuvo::loadedValues(content, loaded);
    for (const zuvo::FileProblem& problem : zuvo::loadProblems(content, first)) {
        require(ini.hasKey(problem.section, problem.key), "a key the file lacks was named");
        require(!problem.controls.empty(), "a named key shows on no control");
        require(!zuvo::fileProblemText(problem, QStringLiteral("f.ZDF")).contains(QChar(0)),
                "a NUL in a message");
    }
    const std::optional<ZdfContent> saved = zuvo::fileContent(first, separator);
    if (!zuvo::unusableFields(first).empty()) {
        require(!saved, "a set with unusable values was saved");
        return 0;
    }
    require(saved.has_value(), "a usable set was not saved");
    for (const QString& text : saved->switchPositions) {
        for (const QChar c : text + saved->hysteresis) {
            require(c.unicode() < 0x80, "a number written with more than ASCII");
        }
    }

    zuvo::ParameterBlock reloaded;
    const ZdfContent readBack = saveAndReadBack(*saved);
    const zuvo::ParameterValues second = zuvo::loadedValues(readBack, reloaded);
    require(zuvo::unusableFields(second).empty(), "a saved set cannot be used when loaded");
    require(zuvo::loadProblems(readBack, second).empty(), "a saved set loads with a key refused");
    require(second.sensorOnGearUnit == first.sensorOnGearUnit, "the sensor position changed");
    const zuvo::ParameterBlock a = sentBlock(first);
    const zuvo::ParameterBlock b = sentBlock(second);
    require(a.Slots == b.Slots, "load, save and load changed a word");
    require(a.SwitchPositionCounts == b.SwitchPositionCounts,
            "load, save and load moved a position");
    require(zuvo::fileContent(second, separator) == saved, "no fixed point after one round");
    return 0;
}
