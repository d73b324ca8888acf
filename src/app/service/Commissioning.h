#pragma once
// Zero position, analog output calibration, relay tests and test data.

namespace zuvo {

class TForm1;

class Commissioning {
public:
    explicit Commissioning(TForm1& form);

    // "Set Zero Position": the compass angle and the direction as zero word; no acknowledge.
    void LMDButton1Click();
    // The calibration track bars show their positions.
    void Kali_4mAChange();
    void Kali_10VChange();
    // "Set": both calibration points, each acknowledged; the second only after the first.
    void KalibrierungClick();
    // "Relais1"/"Relais2": the next poll tick sends the relay test instead of its poll.
    void Button2Click();
    void Button3Click();
    // "Read/Reset - Testdata": the controller's text lines into the Test-Values memo.
    void Button10Click();

private:
    void askRelayTest(int selector);

    TForm1& form_;
};

} // namespace zuvo
