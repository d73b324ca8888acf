#include "serial/ByteRing.h"

#include <algorithm>
#include <cstring>

namespace zuvo {

ByteRing::ByteRing(std::size_t capacity) : buf_(capacity) {}

std::size_t ByteRing::push(const void* data, std::size_t len) {
    const auto* src = static_cast<const std::byte*>(data);
    const std::size_t n = std::min(len, freeSpace());
    std::size_t done = 0;
    while (done < n) {
        const std::size_t tail = (head_ + size_) % buf_.size();
        const std::size_t chunk = std::min(n - done, buf_.size() - tail);
        std::memcpy(buf_.data() + tail, src + done, chunk);
        size_ += chunk;
        done += chunk;
    }
    return n;
}

bool ByteRing::take(void* out, std::size_t len) {
    if (len > size_) {
        return false;
    }
    auto* dst = static_cast<std::byte*>(out);
    std::size_t done = 0;
    while (done < len) {
        const auto part = front();
        const std::size_t chunk = std::min(len - done, part.size());
        std::memcpy(dst + done, part.data(), chunk);
        drop(chunk);
        done += chunk;
    }
    return true;
}

std::span<const std::byte> ByteRing::front() const {
    if (size_ == 0) {
        return {};
    }
    return {buf_.data() + head_, std::min(size_, buf_.size() - head_)};
}

void ByteRing::drop(std::size_t len) {
    len = std::min(len, size_);
    size_ -= len;
    head_ = size_ == 0 ? 0 : (head_ + len) % buf_.size();
}

std::size_t ByteRing::moveFrom(ByteRing& other) {
    std::size_t moved = 0;
    while (!full() && !other.empty()) {
        const auto part = other.front();
        const std::size_t n = push(part.data(), part.size());
        other.drop(n);
        moved += n;
    }
    return moved;
}

void ByteRing::clear() {
    head_ = 0;
    size_ = 0;
}

} // namespace zuvo
