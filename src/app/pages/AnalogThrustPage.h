#pragma once
// Analog output scaling, the thrust-overload settings and the external reference switch, bound to
// the editor model.

namespace zuvo {

class EditorModel;
class TForm1;

class AnalogThrustPage {
public:
    AnalogThrustPage(TForm1& form, EditorModel& model);

    // The analog range bar and the labels as the bars stand: each bar draws when its position
    // changes. Which end drags the other is the model's rule.
    void AnalogPos1Change();
    void AnalogPos2Change();
    // The RPM into the model, which selects the speed sensor's position by it.
    void Anlauf1Change();
    // The RPM spinner steps by 50 on the motor axis, by 1 at the end of the gear unit.
    void AnlaufSClick();
    // The rush-in delay labels.
    void AnlaufZ1Change();
    void AnlaufZ2Change();
    // The external reference function into the model.
    void ExtRefClick();

private:
    // The page's controls follow the model; a control whose value the model holds already is
    // left alone. The bars' range is the working stroke: they draw a longer range cut to it.
    void showModel();
    void drawRangeBar();

    TForm1& form_;
    EditorModel& model_;
};

} // namespace zuvo
