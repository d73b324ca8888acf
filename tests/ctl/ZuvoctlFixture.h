#pragma once
// zuvoctl as a script uses it: run as a process against the simulated actuator, its output read
// and, for --json, parsed.

#include "sim/Simulator.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zuvo::test {

struct CtlRun {
    int exitCode = -1;
    QString out;
    QString err;

    QJsonObject json() const {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << out.toStdString();
        return document.object();
    }
};

// Writes `data` to the file `name` in `folder`; its path.
inline QString writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& data) {
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    return path;
}

class ZuvoctlTest : public ::testing::Test {
protected:
    explicit ZuvoctlTest(sim::SimOptions options = standingStill()) : sim(std::move(options)) {
        sim.start();
    }

    static sim::SimOptions standingStill() {
        sim::SimOptions options;
        options.rpm = 0;
        return options;
    }

    QString simPath() const { return QString::fromStdString(sim.slavePath()); }

    // The environment of every run: COM1 is the simulator, COM2 a device that does not exist,
    // the rest the defaults; settings and backups in a folder of the test's own.
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(
            "ZUVO_PORTS",
            QStringLiteral("1=%1,2=%2").arg(simPath(), folder.filePath("no-such-tty")));
        environment.insert("ZUVO_SETTINGS", folder.filePath("ZUVO.conf"));
        environment.insert("XDG_DATA_HOME", folder.filePath("data"));
        environment.insert("LC_ALL", "C");
        return environment;
    }

    // Runs zuvoctl to its end; `input` is its stdin.
    CtlRun zuvoctl(const QStringList& arguments, const QByteArray& input = {},
                   int timeoutMs = 30000) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(folder.path());
        process.start(QStringLiteral(ZUVOCTL), arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(timeoutMs));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QTemporaryDir folder;
    sim::Simulator sim;
};

} // namespace zuvo::test
