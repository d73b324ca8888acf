#pragma once
// The COM-port dialog: lists the ports COM1..COM8 that open, switches the main window's serial
// port to the one chosen and stores the choice. Made with the main window as its parent, it
// answers the main window's Setup -> COM-Port menu item itself.

#include <QDialog>
#include <QList>
#include <QString>
#include <QTimer>

#include <functional>

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
    // The ports the dialog probes.
    static constexpr int kFirstProbedPort = 1;
    static constexpr int kLastProbedPort = 8;
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
    // What Image1 shows for the listed ports: for each its device path and adapter name, or,
    // when none is listed, what the user can do.
    static QString portMapText(const QList<int>& ports);

    // The menu item: shows the dialog without making it modal, or brings it to the front.
    void Comport2Click();
    // Runs each time the dialog becomes visible: probes the ports and reopens the one in use.
    void FormShow();
    // OK: switches and stores the port, then hides the dialog.
    void Button1Click();

    // Shows a message the user has to acknowledge; tests replace it.
    using MessageFn = std::function<void(const QString& text)>;
    void setMessageFn(MessageFn show) { showMessage_ = std::move(show); }

    // The ports the last probe could open.
    const QList<int>& listedPorts() const { return listed_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refreshPortView();
    bool exchangeRunning() const;

    TForm1* const form_;
    QList<int> listed_;
    QTimer portViewTimer_;
    MessageFn showMessage_;
};

} // namespace zuvo
