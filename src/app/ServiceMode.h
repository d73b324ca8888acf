#pragma once
// The hidden service mode: on exactly while GroupBox1 is shown. The logo gesture toggles it:
// a double-click on the logo counts only when it comes more than kMinGap and less than kMaxGap
// after the previous one (the first is measured from the window's creation), so neither a quick
// double-double-click nor a stray one switches it.

#include <QObject>
#include <chrono>
#include <functional>

namespace Ui {
class TForm1;
}

namespace zuvo {

class ServiceMode : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds kMinGap{1000};
    static constexpr std::chrono::milliseconds kMaxGap{4000};

    explicit ServiceMode(Ui::TForm1& ui, QObject* parent = nullptr);

    // Replaces the clock (tests); the next gap is measured from the new clock's present.
    void setClock(Clock clock);

    // Double-click on the logo Image3.
    void Image3DblClick();

    // Reads the state without depending on whether GroupBox1's page is the one shown.
    bool isOn() const;
    // Shows or hides GroupBox1 and everything that follows it; turning it off also hides the
    // two revolution indicators that the live display may have shown.
    void setOn(bool on);

signals:
    void toggled(bool on);

private:
    Ui::TForm1& ui_;
    Clock clock_;
    std::chrono::steady_clock::time_point previousClick_;
};

} // namespace zuvo
