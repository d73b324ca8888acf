// A save that runs out of room keeps the old file and says so.
#include "common/FileSizeLimit.h"
#include "common/ScratchFile.h"
#include "params/IniFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zuvo;

TEST(IniFileFullDisk, AFailedSaveKeepsTheOldFileWhole) {
    QTemporaryDir dir;
    const QByteArray old = "[ZYLINDER]\r\nLENGTH=500\r\n";
    // Nothing fits, a part fits: neither may replace the old file.
    for (rlim_t room : {rlim_t{0}, rlim_t{20}}) {
        const QString path = test::writeScratchFile(dir.filePath("set.ZDF"), old);
        IniFile ini(path);
        ASSERT_TRUE(ini.writeInteger("ZYLINDER", "LENGTH", 750));
        ASSERT_TRUE(ini.writeString("POSITION", "Pos1", "100"));
        bool saved = true;
        {
            const test::FileSizeLimit limit(room);
            ASSERT_TRUE(limit.active());
            saved = ini.save();
        }
        EXPECT_FALSE(saved) << room;
        EXPECT_EQ(test::scratchFileContents(path), old) << room;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"set.ZDF"}) << room;

        // With room again the same object saves.
        EXPECT_TRUE(ini.save());
        EXPECT_EQ(IniFile(path).readInteger("ZYLINDER", "LENGTH", 0), 750);
    }
}
