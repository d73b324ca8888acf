#pragma once

// Makes file writes of this process fail beyond a few bytes, as a full disk would, for as long as
// the object lives. Writing past the limit fails with EFBIG instead of raising SIGXFSZ.

#include <csignal>
#include <sys/resource.h>

namespace zuvo::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ok_ = ::getrlimit(RLIMIT_FSIZE, &previous_) == 0;
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return ok_; }

private:
    rlimit previous_{};
    void (*oldHandler_)(int) = SIG_DFL;
    bool ok_ = false;
};

} // namespace zuvo::test
