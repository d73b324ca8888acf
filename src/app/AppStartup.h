#pragma once
// Start-up and shut-down of the main window: port choice, start values, the last grace period.

#include <QString>
#include <QStringList>

#include <functional>

namespace zuvo {
class TForm2;
}

namespace zuvo {

class TForm1;

class AppStartup {
public:
    // The time an outstanding reply gets before the port closes for good.
    static constexpr int kShutdownGraceMs = 300;

    // A modal message with an OK button: title, text.
    using MessageFn = std::function<void(const QString&, const QString&)>;

    explicit AppStartup(TForm1& form);

    // Chooses and opens the port, sets the start values, arms the poll timer, and loads a
    // parameter file named as the first argument.
    void FormCreate(const QStringList& arguments);
    // The COM-port dialog opens on the start-up port; the analog reactions are attached.
    void FormShow();
    // Whether the window may close now. Not while an exchange runs: it is asked to end at its
    // next step, and the window closes once it has ended and the message it leaves has been
    // read.
    bool FormCloseQuery();
    // Stops polling, gives an outstanding reply 300 ms, closes the port.
    void FormDestroy();
    // The COM-port dialog, made after the main window.
    void setForm2(TForm2* form2);
    // Replaces the message box (tests).
    void setMessageFn(MessageFn show) { showMessage_ = std::move(show); }
    // The start-up port number as one digit character.
    char ComDigit() const { return comDigit_; }

private:
    // The first try on the stored port; then, when it fails, the probe of the first ports.
    void choosePort();
    // The close put off by FormCloseQuery, once no exchange runs and no modal dialog is open.
    void closeWhenFree();
    // The first argument unless it is "/r", as an absolute path.
    static QString parameterFileArgument(const QStringList& arguments);

    TForm1& form_;
    TForm2* form2_ = nullptr;
    MessageFn showMessage_;
    char comDigit_ = '1';
    bool closeWanted_ = false;
};

} // namespace zuvo
