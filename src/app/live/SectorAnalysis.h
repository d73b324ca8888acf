#pragma once
// The reed-switch sector trace, edge logs and sector check on the Cylinder Settings page.

#include "device/ReedEdges.h"
#include "device/ReplyFrames.h"
#include "device/SectorCheck.h"

#include <cstdint>

class QImage;

namespace zuvo {

class TForm1;

class SectorAnalysis {
public:
    explicit SectorAnalysis(TForm1& form);

    // Called by the receive dispatcher with the words of a sensor-words reply, sorted: draws the
    // sector strip and runs the check when the analysis is on, the angle is near zero and both
    // reed switches are off.
    void sensorWordsReply(const SensorWords& words);
    // Called by the receive dispatcher for every status reply once the live display shows its
    // values: angle marker, live reed trace, revolution wrap, reed edges of Reed1 then Reed2;
    // then the previous digit and reed states are remembered.
    void statusReply(int winkelDigit, bool reed1, bool reed2, int reedState);
    // Sorts the edge tables, draws the marks and writes the sector table (Memo3); true when the
    // check passes, false when it fails or a table is incomplete.
    bool CheckWinkel();

private:
    void drawAngleMarker(std::uint32_t digit);
    void drawLiveTrace(std::uint32_t digit, bool reed1, bool reed2);
    void drawSectorStrip(const SensorWords& words);
    // Puts a check's marks, table and verdict on the window; an incomplete check changes
    // nothing.
    void showCheck(const SectorCheck& check);
    void showEdge(const ReedEdge& edge, ReedSwitch which);
    void setRing(std::uint32_t colour);

    TForm1& form_;
};

} // namespace zuvo
