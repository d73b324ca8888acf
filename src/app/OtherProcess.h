#pragma once
// The running copy that a new copy asked to close: waited for until it ends, killed if need be.

#include <sys/types.h>

namespace zuvo {

// A process that is not our child, watched through a pidfd so that waiting blocks in the event
// loop and the kill cannot hit a recycled pid.
class OtherProcess {
public:
    enum class Wait { Ended, StillRunning, CannotWait };

    explicit OtherProcess(pid_t pid);
    ~OtherProcess();
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    // Handles events until the process has ended or `ms` have passed.
    Wait waitForEnd(int ms);
    void kill();

private:
    pid_t pid_;
    int pidfd_ = -1;
    bool gone_ = false;
};

} // namespace zuvo
