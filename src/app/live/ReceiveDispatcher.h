#pragma once
// Applies what the link recognises in the controller's bytes to the window: the lamp, the live
// display, the sector analysis, the recording and the editor pages. It also tells the link
// the editor model's geometry and what the window shows, whenever either changes.

namespace zuvo {
struct ParameterBlockReply;
struct LiveStatus;
} // namespace zuvo

namespace zuvo {

class TForm1;

class ReceiveDispatcher {
public:
    explicit ReceiveDispatcher(TForm1& form);

    // A block from the controller onto the pages (also one read back after a restore).
    void applyBlock(const ParameterBlockReply& block);

    // Tells the link what the window shows (the Test-Values tab, the recording view, the turn
    // count): the one place that does, run whenever one of them changes.
    void pushShownParts();

private:
    void applyStatus(const LiveStatus& status);

    TForm1& form_;
};

} // namespace zuvo
