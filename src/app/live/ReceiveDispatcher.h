#pragma once
// Applies what the link recognises in the controller's bytes to the window: the lamp, the live
// display, the sector analysis, the recording and the editor pages. It also tells the link
// what of the window's state the decoding needs, whenever that changes.

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

    // Gives the link the stroke, turns and sensor position of the pages and what the window
    // shows (the Test-Values tab, the recording view, the turn count): the one place that
    // does, run whenever one of them changes.
    void pushDecodingInputs();

private:
    void applyStatus(const LiveStatus& status);

    TForm1& form_;
};

} // namespace zuvo
