#pragma once
// The status bar's explanation of a port that does not open. The status text stays as it is
// ("ComPort not available", "USB disconnected"); beside it this line shows the port doctor's
// one-line reason and remedy, with the full advice as its tool tip and, on a click, in a box
// whose text can be copied. It belongs to the status text it was shown with and goes as soon as
// that text changes.

#include "serial/PortDoctor.h"

#include <QElapsedTimer>
#include <QLabel>

#include <exception>
#include <optional>

class QStatusBar;

namespace zuvo {

class PortTroubleLine : public QLabel {
    Q_OBJECT

public:
    // A port that keeps failing is looked at again after this long at the earliest.
    static constexpr int kRepeatMs = 2000;

    // The line of `bar`, made on first use.
    static PortTroubleLine& of(QStatusBar& bar);

    // Explains why opening port `number` failed with `error`.
    void explain(int number, const std::exception& error);
    void explain(const PortDiagnosis& diagnosis);

    // What is shown; nothing once the status text has changed.
    const std::optional<PortDiagnosis>& diagnosis() const { return diagnosis_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit PortTroubleLine(QStatusBar& bar);
    void statusChanged(const QString& text);
    void showDetails();
    void fitText();

    QStatusBar& bar_;
    QString statusText_;
    std::optional<PortDiagnosis> diagnosis_;
    int lastNumber_ = 0;
    int lastError_ = 0;
    QElapsedTimer lastLook_;
};

} // namespace zuvo
