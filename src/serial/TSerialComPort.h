// The serial port component: one numbered port, opened exclusively, with a background reader,
// writer and dispatcher. Properties, methods and events are used from the main thread only.
#pragma once

#include "serial/SerialDevice.h"
#include "serial/SerialTypes.h"

#include <QObject>
#include <functional>
#include <memory>

namespace zuvo {

class SerialEngine;

class TSerialComPort : public QObject {
    Q_OBJECT
public:
    using DeviceFactory = std::function<std::unique_ptr<SerialDevice>()>;
    // Asks the user for a port number when the port is opened without one; 0 for none.
    using PortChooser = std::function<int()>;

    explicit TSerialComPort(QObject* parent = nullptr);
    ~TSerialComPort() override;

    quint16 ComNumber() const { return comNumber_; }
    void setComNumber(quint16 n);
    qint32 Baud() const { return line_.baud; }
    void setBaud(qint32 b);
    TParity Parity() const { return line_.parity; }
    void setParity(TParity p);
    quint16 DataBits() const { return line_.dataBits; }
    void setDataBits(quint16 v);
    quint16 StopBits() const { return line_.stopBits; }
    void setStopBits(quint16 v);
    // The driver's own buffers cannot be sized on Linux; InSize is kept for callers only.
    quint16 InSize() const { return inSize_; }
    void setInSize(quint16 v) { inSize_ = v; }
    // Size of the send queue from the next opening on.
    quint16 OutSize() const { return outSize_; }
    void setOutSize(quint16 v) { outSize_ = v; }
    bool Open() const { return state_ == State::psOpen; }
    void setOpen(bool open);
    bool DTR() const { return dtr_; }
    void setDTR(bool v);
    bool RTS() const { return rts_; }
    void setRTS(bool v);
    bool PromptForPort() const { return promptForPort_; }
    void setPromptForPort(bool v) { promptForPort_ = v; }
    // Who is asked while PromptForPort is set; without one nobody is asked.
    void setPortChooser(PortChooser chooser) { chooser_ = std::move(chooser); }

    void FlushInBuffer();
    void FlushOutBuffer();
    void GetBlock(void* block, quint16 len);
    void PutBlock(const void* block, quint16 len);
    void PutChar(quint8 c);
    quint16 GetOutBuffFree();

    std::function<void(TSerialComPort& cp, quint16 count)> OnTriggerAvail;
    std::function<void(TSerialComPort& cp, quint16 error, bool lineBreak)> OnTriggerLineError;

    // Where devices come from (tests inject faults a pseudo-terminal cannot show).
    void setDeviceFactory(DeviceFactory factory) { factory_ = std::move(factory); }
    // True when the open port's device went away (unplugged) and the component has not yet
    // closed the port for it.
    bool DeviceGone() const;
    // Counts the openings: what was learnt from the controller under another number is not
    // known to hold for this one.
    quint64 openingNumber() const { return session_; }

signals:
    // The device went away while the port was open (a read of 0 bytes, EIO, a hang-up); the
    // port has just been closed for it.
    void deviceLost();

public:
protected:
    void customEvent(QEvent* event) override;

private:
    void setModemLines(bool dtr, bool rts);
    enum class State { psClosed, psShuttingDown, psOpen };

    void openPort();
    void closePort();
    void finishClose();
    // Throws when closed; false while shutting down (the method then does nothing).
    bool usable() const;
    void changeLine(const LineSettings& next);
    void runAvail(quint64 session);

    quint16 comNumber_ = 0;
    LineSettings line_;
    quint16 inSize_ = 4096;
    quint16 outSize_ = 4096;
    bool dtr_ = true;
    bool rts_ = true;
    bool promptForPort_ = true;

    State state_ = State::psClosed;
    bool reopenWanted_ = false;
    int availDepth_ = 0;
    quint64 session_ = 0;
    std::unique_ptr<SerialEngine> engine_;
    DeviceFactory factory_;
    PortChooser chooser_;
};

} // namespace zuvo
