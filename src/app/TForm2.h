#pragma once
// The COM-port dialog: lists the ports COM1..COM8 that open, switches the main window's serial
// port to the one chosen and stores the choice. Below, it shows which device and adapter every
// COM number reaches now, and ties a COM number to an adapter's stable /dev/serial/by-id name.
// Made with the main window as its parent, it answers the main window's Setup -> COM-Port menu
// item itself.

#include "serial/PortDoctor.h"
#include "serial/PortListing.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace Ui {
class TForm2;
}

namespace zuvo {

class TForm1;

// The port number taken from the dialog's edit text: the text as it is to be stored and its
// value.
struct PortChoice {
    QString text;
    int number = 0;
};

class TForm2 : public QDialog {
    Q_OBJECT

public:
    // Where the dialog first appears on the screen.
    static constexpr QPoint kDesignPosition{421, 180};
    // How often the port map view looks again for adapters plugged in or pulled out.
    static constexpr int kPortViewRefreshMs = 1000;

    // With a TForm1 as parent the dialog works on that window's port and status bar.
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    Ui::TForm2* const ui;

    // "COM" (any case) followed by at most two characters that, trimmed, are a positive decimal
    // number; anything else keeps `current`.
    static PortChoice parsePortChoice(const QString& editText, int current);
    // "  Comport " + number text + " not available   ".
    static QString notAvailableText(const QString& numberText);
    // What Image1 shows, one line a COM number: the device it reaches and its adapter, "(tied)"
    // when it is tied to an adapter, "(gone)" when the probe listed it and it has gone since,
    // "(not present)" or "(does not open)" for the others that were not listed.
    static QStringList portMapLines(const std::vector<PortListEntry>& entries,
                                    const QList<int>& listed);

    // The menu item: shows the dialog without making it modal, or brings it to the front.
    void Comport2Click();
    // Runs each time the dialog becomes visible: probes the ports and reopens the one in use.
    void FormShow();
    // OK: switches and stores the port, then hides the dialog.
    void Button1Click();
    // Ties the COM number of the edit text to the adapter chosen beside it (or back to its
    // default), stores that in the settings file and reopens the port if it is the one in use.
    void TieButtonClick();

    // Shows a message the user has to acknowledge, with the port doctor's advice (empty when
    // there is none) below it; tests replace it.
    using MessageFn = std::function<void(const QString& text, const QString& advice)>;
    void setMessageFn(MessageFn show) { showMessage_ = std::move(show); }

    // The ports the last probe could open.
    const QList<int>& listedPorts() const { return listed_; }
    // Why the port in use did not open again after the probe; nothing when it did.
    const std::optional<PortDiagnosis>& portInUseTrouble() const { return inUseTrouble_; }

    // Where /dev and /sys are looked for (tests use a fake tree).
    void setSystemRoot(const QString& root);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refreshPortView();
    // The adapters that can be tied, kept as they are while nothing is plugged or pulled.
    void refreshAdapterBox();
    // The tie row follows the COM number of the edit text.
    void updateTieRow();
    int editedPortNumber() const;

    TForm1* const form_;
    QList<int> listed_;
    std::optional<PortDiagnosis> inUseTrouble_;
    QString systemRoot_ = QStringLiteral("/");
    QTimer portViewTimer_;
    MessageFn showMessage_;
};

} // namespace zuvo
