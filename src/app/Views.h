#pragma once
// The three views of the main window and the parts of the client area that follow its size.

#include <QSize>

#include <functional>

namespace Ui {
class TForm1;
}

namespace zuvo {

enum class View {
    Normal,    // pages, bottom panel, header and right column
    Update,    // the firmware update group in place of the pages
    Recording, // the recording picture and its button strip over the client area
};

class Views {
public:
    explicit Views(Ui::TForm1& ui);

    // Shows `view`; the recording view not while the views are locked.
    void show(View view);
    View current() const;
    // Runs after every change of the view (the link takes replies differently while recording).
    void setShownHook(std::function<void()> hook) { shown_ = std::move(hook); }

    // While a firmware update runs, the user cannot change the view: only the update switches
    // between its own view and the normal one.
    void setLocked(bool locked) { locked_ = locked; }
    bool locked() const { return locked_; }

    // Lays the recording view over a client area of `clientSize` (status bar excluded): the
    // picture fills it above the 32-pixel strip, and "Exit" keeps its distance to the right edge.
    void fitClientArea(const QSize& clientSize);

    static constexpr int kStripHeight = 32;

private:
    Ui::TForm1& ui_;
    bool locked_ = false;
    std::function<void()> shown_;
};

} // namespace zuvo
