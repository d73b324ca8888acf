// A fixed-capacity FIFO of bytes. Not thread-safe: the owner guards it with its own lock.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace zuvo {

class ByteRing {
public:
    explicit ByteRing(std::size_t capacity = 0);

    std::size_t capacity() const { return buf_.size(); }
    std::size_t size() const { return size_; }
    std::size_t freeSpace() const { return buf_.size() - size_; }
    bool empty() const { return size_ == 0; }
    bool full() const { return size_ == buf_.size(); }

    // Appends as many of the bytes as fit; returns how many were taken.
    std::size_t push(const void* data, std::size_t len);
    // Copies the oldest len bytes out and removes them; false (and nothing removed) when fewer
    // wait.
    bool take(void* out, std::size_t len);
    // The oldest bytes that lie contiguously in memory (for handing to write()).
    std::span<const std::byte> front() const;
    // Removes the oldest len bytes (len <= size()).
    void drop(std::size_t len);
    // Moves as many bytes as fit from other into this ring.
    std::size_t moveFrom(ByteRing& other);
    void clear();

private:
    std::vector<std::byte> buf_;
    std::size_t head_ = 0; // index of the oldest byte
    std::size_t size_ = 0;
};

} // namespace zuvo
