#pragma once
// The reed-switch sector trace, edge logs and sector check on the Cylinder Settings page.

namespace zuvo {

class TForm1;

class SectorAnalysis {
public:
    explicit SectorAnalysis(TForm1& form);

    // Called by the receive dispatcher after a sensor-words reply has been sorted into the
    // device state: draws the sector strip and runs the check when the analysis is on, the
    // angle is near zero and both reed switches are off.
    void sensorWordsReply();
    // Called by the receive dispatcher for every status reply once the live display shows its
    // values: angle marker, live reed trace, revolution wrap, reed edges of Reed1 then Reed2;
    // then the previous digit and reed states are remembered.
    void statusReply(int winkelDigit, bool reed1, bool reed2, int reedState);
    // Sorts the edge tables, draws the marks and writes the sector table (Memo3).
    void CheckWinkel();

private:
    TForm1& form_;
};

} // namespace zuvo
