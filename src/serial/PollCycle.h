#pragma once
// The poll tick, the link supervision and the common steps of every command.

namespace zuvo {

class TForm1;

class PollCycle {
public:
    explicit PollCycle(TForm1& form);

private:
    TForm1& form_;
};

} // namespace zuvo
