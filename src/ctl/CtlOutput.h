#pragma once
// What zuvoctl says: results on stdout, one-line errors on stderr, the progress of long
// commands (a bar on a terminal, plain lines otherwise), and Ctrl-C, SIGTERM and SIGHUP turned
// into an event the waits wake on.

#include <QString>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

namespace zuvo {

void print(FILE* to, const QString& text);
// "zuvoctl: <text>" on stderr; returns `code`.
int fail(int code, const QString& text);
// Several lines made one, for stderr.
QString oneLine(const QString& text);

bool isTerminal(FILE* stream);

// Progress of a count towards a maximum: a bar redrawn in place on a terminal, otherwise a line
// at every tenth and at the end.
class ProgressOutput {
public:
    explicit ProgressOutput(FILE* to);
    void update(std::uint64_t value, std::uint64_t maximum, const QString& unit);
    // A line of its own, the bar drawn again below it.
    void line(const QString& text);
    // Ends the bar's line.
    void finish();

private:
    FILE* to_;
    bool terminal_;
    bool barShown_ = false;
    int lastTenth_ = -1;
};

// SIGINT, SIGTERM and SIGHUP while it lives: the handler only writes a byte to a pipe; the event
// loop (every wait of the link runs one) then calls `onInterrupt` once per signal.
class InterruptWatch {
public:
    explicit InterruptWatch(std::function<void()> onInterrupt = {});
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const { return interrupted_; }

private:
    struct Private;
    std::unique_ptr<Private> d_;
    bool interrupted_ = false;
};

} // namespace zuvo
