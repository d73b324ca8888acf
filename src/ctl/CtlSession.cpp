#include "ctl/CtlSession.h"

#include "ctl/CtlOutput.h"

#include "params/ParameterBlock.h"
#include "params/UnitConversions.h"
#include "params/WordFields.h"
#include "serial/PortDoctor.h"
#include "serial/PortMap.h"
#include "session/Settings.h"

namespace zuvo {

namespace {

// A device named with --device that no port number reaches is opened under this number.
constexpr int kDeviceOnlyNumber = 255;

} // namespace

CtlSession::CtlSession() {
    // Only the command asks the controller; the tick has nothing of its own to fetch.
    link_.pollStatusOnly();
    QObject::connect(&link_, &Link::versionReceived, &link_, [this](std::uint8_t version) {
        version_ = version;
        // Announced now: it wins over the remembered one and is what the next run remembers.
        if (!versionKey_.isEmpty()) {
            storeRememberedVersion(versionKey_, {version, QDateTime::currentDateTime()});
        }
    });
    QObject::connect(&link_, &Link::captionReceived, &link_,
                     [this](const std::string& caption) { caption_ = caption; });
}

int fail(const CtlFailure& failure) {
    return fail(failure.code, failure.text);
}

std::optional<CtlFailure> CtlSession::openAndReadBlock(const CtlArguments& arguments) {
    if (auto failure = open(arguments)) {
        return failure;
    }
    return readBlock();
}

QString CtlSession::portName() const {
    return mapped_ ? QStringLiteral("COM%1").arg(number_) : devicePath_;
}

std::optional<CtlFailure> CtlSession::open(const CtlArguments& arguments) {
    PortMap& map = PortMap::global();
    const QString port = arguments.value(QStringLiteral("--port"));
    const QString device = arguments.value(QStringLiteral("--device"));
    if (!port.isEmpty() && !device.isEmpty()) {
        return CtlFailure{ExitUsage, QStringLiteral("give either --port or --device, not both")};
    }
    if (!port.isEmpty()) {
        const std::optional<int> number = parsePortName(port);
        if (!number) {
            return CtlFailure{
                ExitUsage,
                QStringLiteral("bad port: %1 (give COMn or n, n from 1 to 255)").arg(port)};
        }
        number_ = *number;
    } else if (!device.isEmpty()) {
        // The port number that reaches the device names it, as in the window's port list.
        mapped_ = false;
        for (int n = 1; n <= kDeviceOnlyNumber; ++n) {
            if (map.devicePath(n) == device) {
                number_ = n;
                mapped_ = true;
                break;
            }
        }
        if (!mapped_) {
            number_ = kDeviceOnlyNumber;
            map.setOverride(number_, device);
        }
    } else {
        number_ = portNumberOfDigit(readComDigit()).value_or(1);
    }
    devicePath_ = map.devicePath(number_);

    const QString where =
        mapped_ ? QStringLiteral("%1 (%2)").arg(portName(), devicePath_) : devicePath_;
    const PortOpening opening = link_.openPort(number_);
    if (!opening.opened) {
        const ESerialError error = opening.error.value_or(ESerialError(serial_text::NotSet));
        switch (error.kind()) {
        // A refused permission has always been told as a port in use; scripts match on it.
        case SerialErrorKind::InUse:
        case SerialErrorKind::Permission:
            return CtlFailure{ExitNoAnswer,
                              where + QStringLiteral(" is in use by another program (is ZuvoTool "
                                                     "running?): close it and try again")};
        case SerialErrorKind::NoSuchDevice:
            return CtlFailure{ExitNoAnswer,
                              where + QStringLiteral(" does not exist: plug in the "
                                                     "adapter or choose another port")};
        case SerialErrorKind::Other:
            break;
        }
        // The doctor says what else went wrong.
        const PortDiagnosis diagnosis = diagnosePortFailure(number_, error);
        return CtlFailure{ExitNoAnswer,
                          where + QStringLiteral(": ") +
                              (diagnosis.summary.isEmpty() ? QString::fromLatin1(error.what())
                                                           : diagnosis.summary)};
    }
    // A controller announces its version only when it starts; until it does in this run, the
    // port's last announcement gives the speed unit and what the backups record.
    versionKey_ = firmwareMemoryKey(number_, devicePath_);
    remembered_ = readRememberedVersion(versionKey_);
    if (remembered_) {
        link_.assumeFirmwareVersion(remembered_->version);
    }
    exchange_.emplace(*link_.begin(QStringLiteral("zuvoctl ") + arguments.command));
    return std::nullopt;
}

std::optional<std::uint8_t> CtlSession::firmwareVersion() const {
    if (version_) {
        return version_;
    }
    if (remembered_) {
        return remembered_->version;
    }
    return std::nullopt;
}

KnownVersion CtlSession::knownVersion() const {
    if (version_) {
        return {KnownVersion::Source::Announced, *version_, {}};
    }
    if (remembered_) {
        return {KnownVersion::Source::Remembered, remembered_->version, remembered_->announcedAt};
    }
    return {};
}

CtlFailure CtlSession::noAnswer(LinkResult result, const QString& what) const {
    if (result == LinkResult::PortLost) {
        return {ExitNoAnswer, QStringLiteral("the port %1 went away while waiting for %2: check "
                                             "the adapter and its cable")
                                  .arg(portName(), what)};
    }
    // A program that has the port open without locking it (cat, a terminal) takes the replies.
    const std::vector<PortHolder> holders = portHolders(devicePath_, DoctorSystem::current());
    if (!holders.empty()) {
        return {ExitNoAnswer,
                QStringLiteral("no %1 from the controller on %2: another program has the port open "
                               "and takes the replies: %3; close it and try again")
                    .arg(what, portName(), holderNames(holders))};
    }
    return {ExitNoAnswer, QStringLiteral("no %1 from the controller on %2: check its power and the "
                                         "cable, and that the port is the controller's")
                              .arg(what, portName())};
}

std::optional<CtlFailure> CtlSession::readBlock() {
    const LinkAnswer<ParameterBlockReply> answer =
        ask([](Exchange& e) { return e.readBlock(kCtlReplyWaitMs); });
    if (!answer.value) {
        return noAnswer(answer.result, QStringLiteral("parameter block"));
    }
    block_ = answer.value;
    // The window shows the position with the stroke and turns of the controller's block, and
    // the speed for the sensor position the block names.
    const std::vector<std::uint16_t>& words = block_->words;
    const ReceivedGeometry geometry = receivedGeometry(words[Word::Stroke], words[Word::GearTurns]);
    link_.setGeometry({.strokeMm = static_cast<double>(geometry.strokeMm),
                       .turns = static_cast<int>(geometry.turns),
                       .sensorOnMotorAxis =
                           !FunctionFlags::fromWord(words[Word::FunctionFlags]).sensorOnGearUnit});
    return std::nullopt;
}

} // namespace zuvo
