#pragma once
// The one way the program waits: it lets the Qt event loop run (timer ticks, receive
// notifications, clicks) until something it waits for has happened or a deadline has passed.
// Between events the thread sleeps in the event dispatcher; deadlines run on the monotonic
// clock, so a change of the wall clock can neither stretch nor cut a wait.

#include <QDeadlineTimer>

#include <functional>

class QTimer;

namespace zuvo {

// Handles events until `done()` holds or `deadline` passes; `eachRound`, when given, runs after
// every round of event handling. Returns the last value of `done()`. Needs a Qt application.
bool waitUntil(const std::function<bool()>& done, QDeadlineTimer deadline,
               const std::function<void()>& eachRound = {});

// Handles events until `timer` is no longer active (a one-shot timer that ran out, or one that
// a handler stopped), or `deadline` passes. True when the timer stopped.
bool waitWhileActive(const QTimer& timer, const std::function<void()>& eachRound = {},
                     QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

// Handles events for `ms` milliseconds: a pause that keeps the program responsive.
void pauseFor(int ms);

// Handles the events that are pending now, without waiting for more.
void handlePendingEvents();

} // namespace zuvo
