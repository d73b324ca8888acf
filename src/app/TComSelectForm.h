// The port-selection dialog shown when a port is opened without a port number.
#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QPushButton;

namespace zuvo {

class TComSelectForm : public QDialog {
    Q_OBJECT
public:
    // Tells whether port n can be opened at this moment.
    using PortProbe = std::function<bool(int n)>;
    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 50;

    explicit TComSelectForm(const PortProbe& probe = probePort, QWidget* parent = nullptr);

    // The number after the first three characters of the selected entry; 0 when none.
    int selectedPort() const;

    // Opens and closes port n at once.
    static bool probePort(int n);
    // Shows the dialog modally; the chosen port, or 0 for Cancel, an empty list or no GUI.
    static int askForPort();

    QComboBox* PortsComboBox = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

} // namespace zuvo
