#pragma once
// Shows the controller's live state and handles the gestures on those displays. What a status
// reply shows is worked out before it arrives here (LiveStatus); this only draws it.

#include <QObject>
#include <QPoint>
#include <cstdint>
#include <functional>
#include <string>

class QDrag;

namespace zuvo {

class TForm1;
struct LiveStatus;

class LiveDisplay : public QObject {
public:
    explicit LiveDisplay(TForm1& form);

    // Bytes arrived: the connection lamp's off-colour turns orange until the next poll.
    void bytesArrived();
    // A reply was recognised: the connection lamp is lit.
    void replyRecognised();
    // The two revolution indicators, shown for the long status reply in service mode.
    void showRevolutionIndicators();
    bool revolutionIndicatorsShown() const;
    // The Test-Values page as a tab of its own (service mode shows it on demand).
    bool testValuesTabShown() const;
    void setTestValuesTabShown(bool shown);

    // A status reply: every control whose value it carries; the others keep what they show.
    void showStatus(const LiveStatus& status);

    // Frames the controller sends on its own.
    void showCaption(const std::string& text);
    void showVersion(std::uint8_t version);

    // Gestures.
    void AbCompass1DblClick();
    void WinkelDblClick();
    void Label11DblClick();
    // A press on APos on the Digital Output page arms a drag; it starts once the pointer has
    // moved far enough with the button held.
    void APosClick(const QPoint& pressPosition);

    // How a drag is carried out; tests replace it, since a real drag waits for the user.
    using DragExec = std::function<void(QDrag& drag)>;
    void setDragExec(DragExec exec) { dragExec_ = std::move(exec); }

    static constexpr int kDragStartDistance = 10;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drawZone(std::uint8_t zone);
    void showMemoryHighlight();
    void startAPosDrag();

    TForm1& form_;
    bool dragArmed_ = false;
    QPoint dragStart_;
    DragExec dragExec_;
};

} // namespace zuvo
