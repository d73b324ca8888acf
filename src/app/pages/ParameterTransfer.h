#pragma once
// Reads the parameter block from the controller and sends it back word by word.

#include "app/UserPrompts.h"

#include <cstdint>

namespace zuvo {

class TForm1;
struct TransferResult;

class ParameterTransfer {
public:
    // Polling resumes at this interval after a send (after the Read button at the link's
    // Link::kBlockAskedPollMs).
    static constexpr int kAfterSendPollMs = 1500;

    explicit ParameterTransfer(TForm1& form);

    void SaveParamClick();
    void ReadParamClick();

    // Panel1's colour, the outcome of the last send: white once it started, red when it stopped
    // for lack of an acknowledge or the controller reported other words after it.
    void setPanel1Color(std::uint32_t color);
    // The status bar and Panel1 after a send or a restore.
    void showOutcome(const TransferResult& result);

    UserPrompts prompts;

private:
    TForm1& form_;
};

} // namespace zuvo
