#include "app/InstanceGuard.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using zuvo::InstanceGuard;

namespace {

const QString kAlreadyRunning =
    "The programm ist already running! Have a look at the Task-Manager and change to the running "
    "program or terminate the other runnning program";

TEST(InstanceGuardDecisions, SlashRMustBeTheFirstArgumentExactly) {
    struct Case {
        QStringList arguments;
        bool skips;
    } cases[] = {
        {{"zuvotool", "/r"}, true},   {{"zuvotool", "/r", "x.ZDF"}, true},
        {{"zuvotool"}, false},        {{"zuvotool", "/R"}, false},
        {{"zuvotool", "/r "}, false}, {{"zuvotool", "x.ZDF", "/r"}, false},
        {{"zuvotool", "-r"}, false},  {{}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zuvo::skipsInstanceGuard(c.arguments), c.skips)
            << c.arguments.join(' ').toStdString();
    }
}

TEST(InstanceGuardDecisions, TitleIsTheFileNameUpToItsFirstDot) {
    struct Case {
        const char* path;
        const char* title;
    } cases[] = {
        {"C:/Tools/ZuvoTool.exe", "Zuvotool"},
        {"/usr/bin/zuvotool", "zuvotool"},
        {"/opt/ZUVO.Tool.bin", "Zuvo"},
        {"/x/y.z/ZuvoTool", "Zuvotool"},
        {".hidden", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zuvo::applicationTitle(c.path), QString::fromLatin1(c.title)) << c.path;
    }
}

class GuardDirTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    static mode_t modeOf(const QString& p) {
        struct stat st {};
        EXPECT_EQ(lstat(QFile::encodeName(p).constData(), &st), 0);
        return st.st_mode & 07777;
    }
    QTemporaryDir dir_;
};

TEST_F(GuardDirTest, DirectoryComesFromTheEnvironmentInOrder) {
    const QByteArray oldZuvo = qgetenv("ZUVO_RUNTIME_DIR");
    const QByteArray oldXdg = qgetenv("XDG_RUNTIME_DIR");
    qputenv("ZUVO_RUNTIME_DIR", "/run/zuvo-test");
    qputenv("XDG_RUNTIME_DIR", "/run/user/77");
    EXPECT_EQ(zuvo::instanceDirectory(), "/run/zuvo-test");
    qunsetenv("ZUVO_RUNTIME_DIR");
    EXPECT_EQ(zuvo::instanceDirectory(), "/run/user/77");
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(zuvo::instanceDirectory(), QString("/tmp/ZUVO-%1").arg(geteuid()));
    qputenv("ZUVO_RUNTIME_DIR", oldZuvo);
    qputenv("XDG_RUNTIME_DIR", oldXdg);
}

TEST_F(GuardDirTest, PrivateDirectoryIsCreatedTightenedOrRefused) {
    const QString fresh = path("fresh");
    ASSERT_TRUE(zuvo::preparePrivateDirectory(fresh));
    EXPECT_EQ(modeOf(fresh), 0700u);

    const QString open = path("open");
    ASSERT_TRUE(QDir().mkdir(open));
    ASSERT_EQ(chmod(QFile::encodeName(open).constData(), 0777), 0);
    ASSERT_TRUE(zuvo::preparePrivateDirectory(open));
    EXPECT_EQ(modeOf(open) & 022, 0u);

    const QString file = path("file");
    QFile(file).open(QIODevice::WriteOnly);
    const QString link = path("link");
    ASSERT_TRUE(QFile::link(fresh, link));
    QString why;
    for (const QString& refused : {file, link, path("missing/parent")}) {
        why.clear();
        EXPECT_FALSE(zuvo::preparePrivateDirectory(refused, &why)) << refused.toStdString();
        EXPECT_FALSE(why.isEmpty());
    }

    if (geteuid() == 0) {
        const QString foreign = path("foreign");
        ASSERT_TRUE(QDir().mkdir(foreign));
        ASSERT_EQ(chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        EXPECT_FALSE(zuvo::preparePrivateDirectory(foreign, &why));
        EXPECT_TRUE(why.contains("another user"));
    }
}

// The marker held by a process that does not answer: the guard cannot ask it to close and
// refuses with the message, in a box titled with the application title.
TEST_F(GuardDirTest, HeldMarkerWithoutAListenerIsRefusedWithTheMessage) {
    const int fd = open(QFile::encodeName(path("ZUVO")).constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);

    QStringList shown;
    InstanceGuard::Options options;
    options.directory = dir_.path();
    options.title = "Zuvotool";
    options.showMessage = [&shown](const QString& title, const QString& text) {
        shown << title << text;
    };
    InstanceGuard guard(options);
    EXPECT_EQ(guard.start({"zuvotool"}), InstanceGuard::Result::Exit);
    EXPECT_EQ(shown, (QStringList{"Zuvotool", kAlreadyRunning}));
    EXPECT_FALSE(guard.holdsMarker());

    InstanceGuard rerun(options);
    EXPECT_EQ(rerun.start({"zuvotool", "/r"}), InstanceGuard::Result::Run);
    EXPECT_EQ(shown.size(), 2);
    close(fd);
}

// A folder the guard cannot use: one message says so, and the program runs.
TEST_F(GuardDirTest, AnUnusableFolderIsSaidOnceAndTheProgramRuns) {
    const QString file = path("not-a-folder");
    QFile(file).open(QIODevice::WriteOnly);
    for (const QStringList& arguments : {QStringList{"zuvotool"}, QStringList{"zuvotool", "/r"}}) {
        QStringList shown;
        InstanceGuard::Options options;
        options.directory = file;
        options.title = "Zuvotool";
        options.showMessage = [&shown](const QString& title, const QString& text) {
            shown << title << text;
        };
        InstanceGuard guard(options);
        EXPECT_EQ(guard.start(arguments), InstanceGuard::Result::Run);
        ASSERT_EQ(shown.size(), 2);
        EXPECT_EQ(shown[0], "Zuvotool");
        EXPECT_TRUE(shown[1].contains(file)) << shown[1].toStdString();
        EXPECT_FALSE(guard.holdsMarker());
    }
}

// Real copies of a small program that runs the guard.
class Probe {
public:
    Probe(const QString& runtimeDir, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZUVO_RUNTIME_DIR", runtimeDir);
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(ZUVO_GUARD_PROBE, arguments);
    }
    ~Probe() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // The first output line that starts with `prefix`, waiting up to `ms`.
    std::optional<QByteArray> line(const QByteArray& prefix, int ms) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            output_ += process_.readAllStandardOutput();
            for (const QByteArray& l : output_.split('\n')) {
                if (l.startsWith(prefix)) {
                    return l;
                }
            }
            const qint64 left = ms - clock.elapsed();
            if (left <= 0 ||
                (process_.state() == QProcess::NotRunning && process_.bytesAvailable() == 0)) {
                return std::nullopt;
            }
            process_.waitForReadyRead(static_cast<int>(left));
        }
    }

    bool finished(int ms) { return process_.waitForFinished(ms); }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QByteArray output_;
};

class GuardProcessTest : public ::testing::Test {
protected:
    QByteArray marker() const {
        QFile f(dir_.filePath("ZUVO"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    }
    QTemporaryDir dir_;
};

TEST_F(GuardProcessTest, SecondStartClosesAFirstThatHonoursTheRequest) {
    Probe first(dir_.path(), {});
    const auto firstRunning = first.line("RUNNING", 10000);
    ASSERT_TRUE(firstRunning);
    EXPECT_EQ("RUNNING " + marker(), *firstRunning);

    QElapsedTimer clock;
    clock.start();
    Probe second(dir_.path(), {});
    const auto secondRunning = second.line("RUNNING", 10000);
    ASSERT_TRUE(secondRunning);
    EXPECT_LT(clock.elapsed(), 4000) << "a copy that closes is not waited for in full";
    ASSERT_TRUE(first.finished(2000));
    EXPECT_TRUE(first.line("CLOSING", 0));
    EXPECT_EQ(first.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ("RUNNING " + marker(), *secondRunning);
}

TEST_F(GuardProcessTest, OneThatIgnoresTheRequestIsTerminatedAfterTheWait) {
    Probe first(dir_.path(), {"--ignore-close"});
    ASSERT_TRUE(first.line("RUNNING", 10000));

    QElapsedTimer clock;
    clock.start();
    Probe second(dir_.path(), {});
    ASSERT_TRUE(second.line("RUNNING", 15000));
    // 5000 ms for the process, then 4 x 200 ms of settling.
    EXPECT_GE(clock.elapsed(), 5700);
    ASSERT_TRUE(first.finished(2000));
    EXPECT_TRUE(first.line("IGNORED", 0));
    EXPECT_EQ(first.process().exitStatus(), QProcess::CrashExit);
}

// A marker that outlives the copy asked to close (here: shared with a child of it) means the
// other copy survived: the new copy refuses with the message and ends with status 0.
TEST_F(GuardProcessTest, MarkerStillHeldAfterTheCloseIsRefused) {
    Probe first(dir_.path(), {"--fork-holder"});
    const auto holder = first.line("HOLDER", 10000);
    ASSERT_TRUE(holder);
    ASSERT_TRUE(first.line("RUNNING", 10000));
    const pid_t holderPid = holder->mid(7).toInt();
    ASSERT_GT(holderPid, 0);

    QElapsedTimer clock;
    clock.start();
    Probe second(dir_.path(), {});
    ASSERT_TRUE(second.finished(10000));
    EXPECT_LT(clock.elapsed(), 4000) << "the asked copy ended, so there is no forced wait";
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_EQ(second.line("MESSAGE", 0), "MESSAGE zuvo_guard_probe|" + kAlreadyRunning.toUtf8());
    EXPECT_FALSE(second.line("RUNNING", 0));
    ASSERT_TRUE(first.finished(2000));
    kill(holderPid, SIGKILL);
}

// A "/r" copy started first takes the marker, so a plain copy after it replaces it as it
// would replace any copy.
TEST_F(GuardProcessTest, APlainStartReplacesASlashRCopy) {
    Probe first(dir_.path(), {"/r"});
    ASSERT_TRUE(first.line("RUNNING", 10000));
    Probe second(dir_.path(), {});
    ASSERT_TRUE(second.line("RUNNING", 10000));
    ASSERT_TRUE(first.finished(2000));
    EXPECT_TRUE(first.line("CLOSING", 0));
    EXPECT_EQ(first.process().exitStatus(), QProcess::NormalExit);
}

// A "/r" copy beside a running one keeps the marker alive: when the first copy has gone, a
// plain start still finds a copy running and replaces that one.
TEST_F(GuardProcessTest, TheMarkerLivesWhileASlashRCopyRuns) {
    auto first = std::make_unique<Probe>(dir_.path(), QStringList{});
    ASSERT_TRUE(first->line("RUNNING", 10000));
    Probe beside(dir_.path(), {"/r"});
    ASSERT_TRUE(beside.line("RUNNING", 10000));
    first.reset(); // killed

    Probe third(dir_.path(), {});
    ASSERT_TRUE(third.line("RUNNING", 10000));
    ASSERT_TRUE(beside.finished(2000));
    EXPECT_TRUE(beside.line("CLOSING", 0));
}

// With two copies running (one with "/r"), a plain start asks the newest to close; the other
// still holds the marker, so the new copy refuses with the message.
TEST_F(GuardProcessTest, WithTwoRunningTheNewestClosesAndTheNewCopyRefuses) {
    Probe first(dir_.path(), {});
    ASSERT_TRUE(first.line("RUNNING", 10000));
    Probe beside(dir_.path(), {"/r"});
    ASSERT_TRUE(beside.line("RUNNING", 10000));

    Probe third(dir_.path(), {});
    ASSERT_TRUE(third.finished(10000));
    EXPECT_TRUE(third.line("MESSAGE", 0));
    EXPECT_FALSE(third.line("RUNNING", 0));
    EXPECT_TRUE(beside.finished(2000));
    EXPECT_TRUE(beside.line("CLOSING", 0));
    EXPECT_FALSE(first.finished(300));
}

// A request that comes while the copy is still starting (no handler yet) is kept and honoured
// as soon as the handler is set, instead of being dropped until the new copy kills it.
TEST_F(GuardProcessTest, ACloseRequestDuringStartUpIsHonouredOnceTheWindowExists) {
    Probe first(dir_.path(), {"--start-up-ms=1500"});
    ASSERT_TRUE(first.line("STARTING", 10000));
    QElapsedTimer clock;
    clock.start();
    Probe second(dir_.path(), {});
    ASSERT_TRUE(second.line("RUNNING", 10000));
    EXPECT_LT(clock.elapsed(), 4500) << "the first copy closed, it was not killed";
    ASSERT_TRUE(first.finished(2000));
    EXPECT_TRUE(first.line("CLOSING", 0));
    EXPECT_EQ(first.process().exitStatus(), QProcess::NormalExit);
}

// A copy that writes to the controller answers the request so and stays: the new copy says why
// and ends at once, without waiting for or killing it. Once the write is over, a start takes over.
TEST_F(GuardProcessTest, ACopyWritingToTheControllerStaysAndTheNewCopySaysWhy) {
    Probe first(dir_.path(), {"--writing-ms=3000"});
    ASSERT_TRUE(first.line("RUNNING", 10000));
    QElapsedTimer writing;
    writing.start();

    QElapsedTimer clock;
    clock.start();
    Probe second(dir_.path(), {});
    ASSERT_TRUE(second.finished(4000));
    EXPECT_LT(clock.elapsed(), 2000) << "no wait for the writing copy";
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_EQ(second.line("MESSAGE", 0),
              "MESSAGE zuvo_guard_probe|" + zuvo::writingElsewhereText("Probe Write").toUtf8());
    EXPECT_FALSE(second.line("RUNNING", 0));
    EXPECT_FALSE(first.finished(300));
    EXPECT_FALSE(first.line("CLOSING", 0));

    QThread::msleep(static_cast<unsigned long>(std::max<qint64>(0, 3300 - writing.elapsed())));
    Probe third(dir_.path(), {});
    ASSERT_TRUE(third.line("RUNNING", 10000));
    ASSERT_TRUE(first.finished(2000));
    EXPECT_TRUE(first.line("CLOSING", 0));
    EXPECT_EQ(first.process().exitStatus(), QProcess::NormalExit);
}

// A copy that cannot answer (stopped) is waited for as long as one that does not close, then
// terminated: the answer's wait is part of the 5000 ms, not added to them.
TEST_F(GuardProcessTest, ACopyThatDoesNotAnswerIsWaitedForAndTerminated) {
    Probe first(dir_.path(), {});
    ASSERT_TRUE(first.line("RUNNING", 10000));
    ASSERT_EQ(kill(static_cast<pid_t>(first.process().processId()), SIGSTOP), 0);

    QElapsedTimer clock;
    clock.start();
    Probe second(dir_.path(), {});
    ASSERT_TRUE(second.line("RUNNING", 15000));
    EXPECT_GE(clock.elapsed(), 5700);
    EXPECT_LT(clock.elapsed(), 7500);
    ASSERT_TRUE(first.finished(2000));
    EXPECT_EQ(first.process().exitStatus(), QProcess::CrashExit);
}

TEST_F(GuardProcessTest, SlashRLetsTwoRun) {
    Probe first(dir_.path(), {});
    ASSERT_TRUE(first.line("RUNNING", 10000));
    Probe second(dir_.path(), {"/r"});
    ASSERT_TRUE(second.line("RUNNING", 10000));
    EXPECT_FALSE(first.finished(500));
    EXPECT_FALSE(first.line("CLOSING", 0));
    EXPECT_EQ(second.process().state(), QProcess::Running);
}

TEST_F(GuardProcessTest, MarkerOfADeadCopyDoesNotBlock) {
    for (const QStringList& arguments : {QStringList{}, QStringList{"/r"}}) {
        Probe killed(dir_.path(), arguments);
        const auto running = killed.line("RUNNING", 10000);
        ASSERT_TRUE(running);
        killed.process().kill(); // no clean-up: marker file and socket stay behind
        ASSERT_TRUE(killed.finished(5000));
        EXPECT_TRUE(QFile::exists(dir_.filePath("ZUVO." + running->mid(8) + ".socket")))
            << arguments.join(' ').toStdString();
    }
    QElapsedTimer clock;
    clock.start();
    Probe next(dir_.path(), {});
    ASSERT_TRUE(next.line("RUNNING", 10000));
    EXPECT_LT(clock.elapsed(), 4000);

    // And the new holder answers close requests on the socket it took over.
    Probe third(dir_.path(), {});
    ASSERT_TRUE(third.line("RUNNING", 10000));
    ASSERT_TRUE(next.finished(2000));
    EXPECT_TRUE(next.line("CLOSING", 0));
}

} // namespace
