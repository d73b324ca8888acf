// The checks every reader and writer of a user's file makes before it opens the file or starts
// the work that makes one: a pipe or a device is never opened, and a refusal names its reason.

#include "params/InputFileCheck.h"
#include "params/OutputFileCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace zuvo;

namespace {

class FileChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile file(path("plain.ZDF"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[ZYLINDER]\n");
        file.close();
        ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
        ASSERT_TRUE(QFile::link(path("plain.ZDF"), path("link.ZDF")));
        ASSERT_TRUE(QFile::link(path("gone.ZDF"), path("dangling.ZDF")));
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TEST_F(FileChecksTest, InputFilesThatAreNoRegularReadableFileAreNamedByTheirReason) {
    using P = InputFileCheck::Problem;
    const struct {
        QString path;
        P problem;
        const char* reason;
    } cases[] = {
        {path("plain.ZDF"), P::None, ""},
        {path("link.ZDF"), P::None, ""},
        {path("missing.ZDF"), P::Missing, "no such file"},
        {path("dangling.ZDF"), P::Missing, "no such file"},
        {path("plain.ZDF/inside.ZDF"), P::Missing, "no such file"},
        {QString(), P::Missing, "no such file"},
        {path("folder"), P::Folder, "it is a folder"},
        {path("pipe"), P::NotRegular, "it is not a regular file (a pipe or a device)"},
        {"/dev/zero", P::NotRegular, "it is not a regular file (a pipe or a device)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const InputFileCheck check = checkInputFile(c.path);
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_EQ(inputFileReason(check), QLatin1String(c.reason));
    }
    EXPECT_EQ(unreadableFileText("parameter file", path("folder"), checkInputFile(path("folder"))),
              "cannot read the parameter file " + path("folder") + ": it is a folder");
}

TEST_F(FileChecksTest, AFileWithoutReadPermissionCannotBeRead) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads a file whatever its mode";
    }
    ASSERT_TRUE(QFile::setPermissions(path("plain.ZDF"), QFileDevice::WriteOwner));
    const InputFileCheck check = checkInputFile(path("plain.ZDF"));
    EXPECT_EQ(check.problem, InputFileCheck::Problem::Unreadable);
    EXPECT_TRUE(inputFileReason(check).startsWith("it cannot be read: "))
        << inputFileReason(check).toStdString();
}

TEST_F(FileChecksTest, OutputPathsThatCannotTakeAFileAreRefusedAndTheCheckLeavesNothing) {
    const struct {
        QString path;
        QString problem; // empty: can be written
    } cases[] = {
        {path("new.pdf"), {}},
        {path("plain.ZDF"), {}},
        {path("folder/new.pdf"), {}},
        {path("missing/new.pdf"), "the folder " + path("missing") + " does not exist"},
        {path("missing/deeper/new.pdf"),
         "the folder " + path("missing/deeper") + " does not exist"},
        {path("plain.ZDF/new.pdf"), path("plain.ZDF") + " is not a folder"},
        {path("folder"), "it is a folder"},
        {path("pipe"), "it is not a regular file (a pipe or a device)"},
        {"/dev/null", "it is not a regular file (a pipe or a device)"},
        {" ", "no file name given"},
    };
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(checkOutputFile(c.path).problem, c.problem);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    EXPECT_EQ(
        QDir(path("folder")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{});
    EXPECT_EQ(
        unwritableFileText("report", path("missing/r.pdf"), checkOutputFile(path("missing/r.pdf"))),
        "cannot write the report " + path("missing/r.pdf") + ": the folder " + path("missing") +
            " does not exist");
}

TEST_F(FileChecksTest, AReadOnlyFolderCannotTakeAFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into any folder whatever its mode";
    }
    ASSERT_TRUE(
        QFile::setPermissions(path("folder"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const OutputFileCheck check = checkOutputFile(path("folder/new.pdf"));
    QFile::setPermissions(path("folder"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(check.problem.startsWith("the folder " + path("folder") + " cannot be written"))
        << check.problem.toStdString();
}

} // namespace
