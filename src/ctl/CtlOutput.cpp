#include "ctl/CtlOutput.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zuvo {

namespace {

constexpr int kBarWidth = 40;

int g_interruptPipe[2] = {-1, -1};

extern "C" void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_interruptPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

int fail(int code, const QString& text) {
    print(stderr, QStringLiteral("zuvoctl: ") + oneLine(text) + QLatin1Char('\n'));
    return code;
}

QString oneLine(const QString& text) {
    QStringList parts = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& part : parts) {
        part = part.trimmed();
    }
    parts.removeAll(QString());
    return parts.join(QStringLiteral("; "));
}

bool isTerminal(FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

ProgressOutput::ProgressOutput(FILE* to) : to_(to), terminal_(isTerminal(to)) {}

void ProgressOutput::update(std::uint64_t value, std::uint64_t maximum, const QString& unit) {
    if (maximum == 0) {
        return;
    }
    value = std::min(value, maximum);
    const auto tenth = static_cast<int>(value * 10 / maximum);
    if (terminal_) {
        const auto filled = static_cast<int>(value * kBarWidth / maximum);
        print(to_, QStringLiteral("\r[%1%2] %3/%4 %5 %6%")
                       .arg(QString(filled, QLatin1Char('#')))
                       .arg(QString(kBarWidth - filled, QLatin1Char('.')))
                       .arg(value)
                       .arg(maximum)
                       .arg(unit)
                       .arg(value * 100 / maximum, 3));
        barShown_ = true;
    } else if (tenth != lastTenth_) {
        print(to_, QStringLiteral("%1/%2 %3 %4%\n")
                       .arg(value)
                       .arg(maximum)
                       .arg(unit)
                       .arg(value * 100 / maximum));
    }
    lastTenth_ = tenth;
}

void ProgressOutput::line(const QString& text) {
    if (barShown_) {
        print(to_, QStringLiteral("\r\x1b[K"));
    }
    print(to_, text + QLatin1Char('\n'));
}

void ProgressOutput::finish() {
    if (barShown_) {
        print(to_, QStringLiteral("\n"));
        barShown_ = false;
    }
}

struct InterruptWatch::Private {
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
    struct sigaction oldHup {};
};

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
    : d_(std::make_unique<Private>()) {
    if (g_interruptPipe[0] < 0 && ::pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_interruptPipe[0] = g_interruptPipe[1] = -1;
        return;
    }
    d_->notifier = std::make_unique<QSocketNotifier>(g_interruptPipe[0], QSocketNotifier::Read);
    QObject::connect(d_->notifier.get(), &QSocketNotifier::activated, d_->notifier.get(),
                     [this, onInterrupt] {
                         char bytes[16];
                         while (::read(g_interruptPipe[0], bytes, sizeof bytes) > 0) {
                         }
                         interrupted_ = true;
                         if (onInterrupt) {
                             onInterrupt();
                         }
                     });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &d_->oldInt);
    ::sigaction(SIGTERM, &action, &d_->oldTerm);
    // A closed terminal or an ended ssh session: the write still stops at a word boundary.
    ::sigaction(SIGHUP, &action, &d_->oldHup);
}

InterruptWatch::~InterruptWatch() {
    if (d_->notifier) {
        ::sigaction(SIGINT, &d_->oldInt, nullptr);
        ::sigaction(SIGTERM, &d_->oldTerm, nullptr);
        ::sigaction(SIGHUP, &d_->oldHup, nullptr);
    }
}

} // namespace zuvo
