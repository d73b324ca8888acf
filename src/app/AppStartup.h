#pragma once
// Start-up and shut-down of the main window: port choice, start values, the last grace period.

#include <QStringList>

namespace zuvo {
class TForm2;
}

namespace zuvo {

class TForm1;

class AppStartup {
public:
    explicit AppStartup(TForm1& form);

    // Chooses and opens the port, sets the start values, arms the poll timer, and loads a
    // parameter file named as the first argument.
    void FormCreate(const QStringList& arguments);
    // The COM-port dialog opens on the start-up port; the analog reactions are attached.
    void FormShow();
    // Stops polling, gives an outstanding reply 300 ms, closes the port.
    void FormDestroy();
    // The COM-port dialog, made after the main window.
    void setForm2(TForm2* form2);

private:
    TForm1& form_;
};

} // namespace zuvo
