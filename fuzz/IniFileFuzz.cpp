// Reads parameter files of any content. Reading must never fail and must keep the promises of
// the parameter-file reader (a usable stroke and gear whatever the file says); writing the set
// back into the same file must succeed, keep every number, and reach a fixed point: a second
// round reads what the first one wrote.
//
// Input: a flags byte (bit 0: decimal-comma locale), then the file's bytes.
#include "params/IniFile.h"
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

// Everything that is a number in the set; the edit texts may be normalised by a round.
bool sameNumbers(const ZdfContent& a, const ZdfContent& b) {
    return a.zeroWord == b.zeroWord && a.strokeMm == b.strokeMm && a.gearWord() == b.gearWord() &&
           a.clockwise == b.clockwise && a.segmentMasks == b.segmentMasks &&
           a.functionFlags == b.functionFlags && a.rushInDelays == b.rushInDelays &&
           a.thrustLimitSpeed == b.thrustLimitSpeed && a.analogMinMm == b.analogMinMm &&
           a.analogMaxMm == b.analogMaxMm;
}

ZdfContent writeAndReadBack(const ZdfContent& content, const QLocale& locale) {
    IniFile ini(scratchPath());
    require(zuvo::writeZdf(ini, content, locale), "a set that was read cannot be written");
    require(ini.save(), "save");
    return zuvo::readZdf(IniFile(scratchPath()), locale);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static const QLocale comma(QLocale::German, QLocale::Germany);
    static const QLocale point(QLocale::English, QLocale::UnitedStates);
    const QLocale& locale = (data[0] & 1) != 0 ? comma : point;
    put(data + 1, size - 1);

    const IniFile ini(scratchPath());
    if (ini.loadState() != IniFile::LoadState::Loaded) {
        return 0;
    }
    (void)zuvo::isParameterFile(ini);
    const ZdfContent first = zuvo::readZdf(ini, locale);
    require(first.strokeMm >= 1, "stroke 0");
    require(first.gear >= 1 && first.gear <= 6000, "gear out of range");
    require(first.turns >= 1, "turns below 1");

    const ZdfContent second = writeAndReadBack(first, locale);
    require(sameNumbers(first, second), "a number changed on its way through the file");
    const ZdfContent third = writeAndReadBack(second, locale);
    require(third == second, "no fixed point after one round");
    return 0;
}
