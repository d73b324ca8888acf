#pragma once
// Carries the absolute position from an old control module to a new one.

#include "params/UnitConversions.h"

#include <QString>
#include <Qt>

#include <functional>
#include <optional>

namespace zuvo {

class TForm1;

class ModuleReplacement {
public:
    // The dialogs the user answers, replaceable so that tests need no user. The input box
    // gives nothing when it is cancelled.
    using InputBox = std::function<std::optional<QString>(
        const QString& title, const QString& prompt, const QString& text)>;
    using MessageBox = std::function<void(const QString& text)>;

    // Interval polling restarts with after the position has been written.
    static constexpr int kResumeMs = 1500;

    explicit ModuleReplacement(TForm1& form);

    // "Memory Position (old Module)": the position the connected module reports is memorised.
    void GetPosition1Click();
    // A right-button press on the memory label: the position typed in millimetres.
    void Label27MouseDown(Qt::MouseButton button);
    // "Set Position (new/spare Module)": the memorised position written into the module.
    void SetPosiotn1Click();

    void setInputBox(InputBox box) { inputBox_ = std::move(box); }
    void setMessageBox(MessageBox box) { messageBox_ = std::move(box); }

private:
    // Once the stroke or turns change, the label shows the memorised counts in the new mm.
    void relabel();

    TForm1& form_;
    InputBox inputBox_;
    MessageBox messageBox_;
    std::optional<Geometry> labelGeometry_; // what the label's millimetres were made with
};

} // namespace zuvo
