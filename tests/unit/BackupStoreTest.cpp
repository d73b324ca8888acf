// The backup folder: its place, the names of backups, writing them safely, listing and pruning.
#include "params/BackupStore.h"
#include "common/FileSizeLimit.h"
#include "common/ScratchFile.h"
#include "params/ZdfContent.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <unistd.h>

using namespace zuvo;

namespace {

BlockBackup backupAt(const QDateTime& time, int port = 1, std::uint16_t stroke = 1000) {
    BlockBackup b;
    b.words.assign(36, 0);
    b.words[1] = stroke;
    b.words[2] = 1000;
    b.calibration10V = 1000;
    b.calibration4mA = 200;
    b.firmwareVersion = 60;
    b.port = port;
    b.devicePath = QStringLiteral("/dev/ttyUSB0");
    b.time = time;
    return b;
}

const QDateTime kNoon(QDate(2024, 5, 1), QTime(12, 0, 0));

QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                  QDir::Name);
}

bool runningAsRoot() {
    return ::geteuid() == 0;
}

class BackupStoreTest : public ::testing::Test {
protected:
    QString folder() const { return dir.filePath(QStringLiteral("ZUVO/backups")); }
    QTemporaryDir dir;
};

} // namespace

TEST(BackupFolder, FollowsXdgDataHome) {
    const struct {
        const char* xdg;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/data", "/home/t", "/data/ZUVO/backups"},
        {"/data/", "/home/t", "/data/ZUVO/backups"},
        {"", "/home/t", "/home/t/.local/share/ZUVO/backups"},
        {"relative/data", "/home/t", "/home/t/.local/share/ZUVO/backups"}, // invalid: ignored
    };
    for (const auto& c : cases) {
        EXPECT_EQ(backupFolder(QString::fromLatin1(c.xdg), QString::fromLatin1(c.home)),
                  QString::fromLatin1(c.folder))
            << c.xdg;
    }
}

TEST(BackupName, NamesCarryTheLocalTimePortAndSequence) {
    const QDateTime t(QDate(2024, 1, 2), QTime(3, 4, 5));
    EXPECT_EQ(backupFileName(t, 1), "20240102-030405-COM1.ZDF");
    EXPECT_EQ(backupFileName(t, 12, 2), "20240102-030405-COM12-2.ZDF");
    // Digits stay ASCII whatever the locale is.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    EXPECT_EQ(backupFileName(t, 255, 17), "20240102-030405-COM255-17.ZDF");
    QLocale::setDefault(previous);

    const BackupName parsed{"20240102-030405", t, 12, 2};
    EXPECT_EQ(parseBackupFileName("20240102-030405-COM12-2.ZDF"), parsed);
    EXPECT_EQ(parseBackupFileName("20240102-030405-COM1.ZDF")->sequence, 1);
    for (const char* other :
         {"20240102-030405-COM1.zdf", "20240102-030405-COM1.ZDF.bak", "20240102-030405-COM1-1.ZDF",
          "20240102-030405-COM01.ZDF", "20240102-030405-COM0.ZDF", "20240102-030405-COM256.ZDF",
          "20240230-030405-COM1.ZDF", "20240102-250405-COM1.ZDF", "2024010-030405-COM1.ZDF",
          "x20240102-030405-COM1.ZDF", "20240102-030405-COM1-02.ZDF", "notes.txt"}) {
        EXPECT_FALSE(parseBackupFileName(QString::fromLatin1(other))) << other;
    }
}

TEST_F(BackupStoreTest, WritesABackupThatLoadsAsAParameterFileAndAsABlock) {
    const BlockBackup backup = backupAt(kNoon, 4, 750);
    ZdfContent editor;
    editor.strokeMm = 750;
    editor.analogMinMm = 0; // the pages' range: a written -1 would not load as written
    editor.analogMaxMm = 750;
    const BackupWriteResult written = writeBackup(
        folder(), backup, [&](IniFile& ini) { return writeZdf(ini, editor, QLocale::c()); });
    ASSERT_TRUE(written.ok()) << written.problem.toStdString();
    EXPECT_EQ(written.path, QDir(folder()).filePath("20240501-120000-COM4.ZDF"));
    EXPECT_EQ(namesIn(folder()), QStringList{"20240501-120000-COM4.ZDF"}); // no temporary left

    const IniFile ini(written.path);
    EXPECT_EQ(readZdf(ini), editor);
    EXPECT_EQ(readBlockSection(ini, 36).backup, backup);
}

TEST_F(BackupStoreTest, BackupsWithinOneSecondNeverReplaceEachOther) {
    const QDateTime later = kNoon.addMSecs(900); // the same second
    std::vector<QString> paths;
    for (const auto& [time, port, stroke] : std::vector<std::tuple<QDateTime, int, std::uint16_t>>{
             {kNoon, 1, 100}, {later, 1, 200}, {later, 1, 300}, {kNoon, 2, 400}}) {
        const BackupWriteResult r = writeBackup(folder(), backupAt(time, port, stroke));
        ASSERT_TRUE(r.ok()) << r.problem.toStdString();
        paths.push_back(QFileInfo(r.path).fileName());
    }
    EXPECT_EQ(paths,
              (std::vector<QString>{"20240501-120000-COM1.ZDF", "20240501-120000-COM1-2.ZDF",
                                    "20240501-120000-COM1-3.ZDF", "20240501-120000-COM2.ZDF"}));
    // Each holds its own block, and a file that happens to sit on the next name is skipped.
    test::writeScratchFile(QDir(folder()).filePath("20240501-120001-COM1.ZDF"), "mine");
    const BackupWriteResult r = writeBackup(folder(), backupAt(kNoon.addSecs(1), 1, 500));
    EXPECT_EQ(QFileInfo(r.path).fileName(), "20240501-120001-COM1-2.ZDF");
    EXPECT_EQ(test::scratchFileContents(QDir(folder()).filePath("20240501-120001-COM1.ZDF")),
              "mine");

    std::vector<int> strokes;
    for (const BackupEntry& e : listBackups(folder())) {
        strokes.push_back(e.summary ? e.summary->strokeMm : -1);
    }
    // Newest first; the file that is no backup is listed with its problem.
    EXPECT_EQ(strokes, (std::vector<int>{500, -1, 300, 200, 400, 100}));
}

TEST_F(BackupStoreTest, ListsNewestFirstWithSummariesAndProblems) {
    for (int day = 1; day <= 3; ++day) {
        const QDateTime t(QDate(2024, 5, day), QTime(8, 30, 0));
        ASSERT_TRUE(
            writeBackup(folder(), backupAt(t, day, static_cast<std::uint16_t>(day * 100))).ok());
    }
    const QString damaged = QDir(folder()).filePath("20240501-090000-COM1.ZDF");
    QByteArray content =
        test::scratchFileContents(QDir(folder()).filePath("20240501-083000-COM1.ZDF"));
    content.replace("Word7=0\r\n", "");
    test::writeScratchFile(damaged, content);

    const std::vector<BackupEntry> list = listBackups(folder());
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(QFileInfo(list[0].path).fileName(), "20240503-083000-COM3.ZDF");
    ASSERT_TRUE(list[0].summary);
    EXPECT_EQ(list[0].summary->port, 3);
    EXPECT_EQ(list[0].summary->strokeMm, 300);
    EXPECT_EQ(list[0].summary->turns, 100);
    EXPECT_EQ(list[0].summary->firmwareVersion, 60);
    EXPECT_EQ(list[0].summary->time, QDateTime(QDate(2024, 5, 3), QTime(8, 30, 0)));
    EXPECT_EQ(QFileInfo(list[2].path).fileName(), "20240501-090000-COM1.ZDF");
    EXPECT_FALSE(list[2].summary);
    EXPECT_EQ(list[2].problem, "the word numbers have a gap: Word7 is missing");
    EXPECT_EQ(list[2].name.time, QDateTime(QDate(2024, 5, 1), QTime(9, 0, 0)));
    EXPECT_EQ(list[3].summary->strokeMm, 100);
}

TEST_F(BackupStoreTest, PruningKeepsExactlyTheNewest200AndNothingElseGoes) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    const QDir d(folder());
    // 205 backups over several days, written in no particular order.
    QStringList backups;
    for (int i = 0; i < 205; ++i) {
        const QDateTime t = kNoon.addSecs(3600LL * 7 * ((i * 37) % 205));
        backups << backupFileName(t, 1 + i % 3);
    }
    for (const QString& name : backups) {
        test::writeScratchFile(d.filePath(name), "x");
    }
    // Things that are not backups, some with names close to one.
    const QStringList others{"notes.txt", "20200101-000000-COM1.zdf",
                             "20200101-000000-COM1.ZDF.bak", "20200230-000000-COM1.ZDF", "old.ZDF"};
    for (const QString& name : others) {
        test::writeScratchFile(d.filePath(name), "keep");
    }
    ASSERT_TRUE(d.mkdir("20190101-000000-COM1.ZDF"));
    ASSERT_TRUE(QFile::link(d.filePath(backups[0]), d.filePath("20180101-000000-COM1.ZDF")));

    const PruneResult result = pruneBackups(folder());
    EXPECT_EQ(result.removed, 5);
    EXPECT_TRUE(result.failed.isEmpty());

    QStringList expected = backups;
    std::sort(expected.begin(), expected.end(), std::greater<>());
    expected = expected.mid(0, 200);
    expected << others << "20190101-000000-COM1.ZDF"
             << "20180101-000000-COM1.ZDF";
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(folder()), expected);

    // Writing the next backup prunes again: the new one stays, the oldest goes.
    const BackupWriteResult r = writeBackup(folder(), backupAt(kNoon.addYears(1)));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.pruned.removed, 1);
    EXPECT_TRUE(QFileInfo::exists(r.path));
    EXPECT_EQ(listBackups(folder()).size(), 200u);
}

TEST_F(BackupStoreTest, UnusableFoldersAreRefusedWithAReason) {
    const QString file = test::writeScratchFile(dir.filePath("plain"), "x");
    const struct {
        const char* name;
        QString folder;
        QString problem;
    } cases[] = {
        {"folder is a file", file, "The backup folder \"" + file + "\" is a file, not a folder."},
        {"a parent is a file", file + "/ZUVO/backups",
         "The backup folder \"" + file + "/ZUVO/backups\" cannot be created: \"" + file +
             "\" is a file."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(prepareBackupFolder(c.folder), c.problem) << c.name;
        const BackupWriteResult r = writeBackup(c.folder, backupAt(kNoon));
        EXPECT_EQ(r.problem, c.problem) << c.name;
        EXPECT_TRUE(r.path.isEmpty());
    }
    EXPECT_EQ(test::scratchFileContents(file), "x");

    // A missing folder is made, with its parents.
    EXPECT_EQ(prepareBackupFolder(folder()), QString());
    EXPECT_TRUE(QFileInfo(folder()).isDir());
}

TEST_F(BackupStoreTest, ReadOnlyFoldersAreRefused) {
    if (runningAsRoot()) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(writeBackup(locked, backupAt(kNoon)).problem,
              "The backup folder \"" + locked + "\" is read-only.");
    EXPECT_EQ(prepareBackupFolder(locked + "/ZUVO/backups"),
              "The backup folder \"" + locked + "/ZUVO/backups\" cannot be created: \"" + locked +
                  "\" is read-only.");
    EXPECT_TRUE(namesIn(locked).isEmpty());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A write that fails part-way (here: the file size limit, as a full disk would) leaves neither the
// backup nor a temporary file behind, and says so.
TEST_F(BackupStoreTest, AFailedWriteLeavesNothingBehind) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    BackupWriteResult r;
    {
        const test::FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        r = writeBackup(folder(), backupAt(kNoon));
    }
    const QString expectedPath = QDir(folder()).filePath("20240501-120000-COM1.ZDF");
    EXPECT_EQ(r.problem, "The backup \"" + expectedPath + "\" could not be written.");
    EXPECT_TRUE(namesIn(folder()).isEmpty());
}

TEST(BackupSaveFailure, AFullDiskIsNamed) {
    const QString path = "/data/ZUVO/backups/20240501-120000-COM1.ZDF";
    const struct {
        std::optional<qint64> free;
        bool full;
    } cases[] = {
        {0, true}, {FullDiskBytes - 1, true}, {FullDiskBytes, false}, {std::nullopt, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(saveFailureText(path, c.free), "The backup \"" + path +
                                                     "\" could not be written" +
                                                     (c.full ? ": the disk is full." : "."))
            << c.free.value_or(-1);
    }
}
