#pragma once
// Reads a fuzzer's input as a sequence of small numbers; past its end every number is 0, so every
// input means something.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zuvo::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // A number below `bound` (0 when bound is 0 or 1), from one, two or four input bytes.
    std::uint32_t next(std::uint32_t bound) {
        if (bound <= 1) {
            return 0;
        }
        const std::size_t width = bound <= 0x100 ? 1 : bound <= 0x10000 ? 2 : 4;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value = value << 8 | (pos_ < size_ ? data_[pos_++] : 0);
        }
        return value % bound;
    }

    bool exhausted() const { return pos_ >= size_; }

    // Everything not read yet; reading ends here.
    std::span<const std::uint8_t> rest() {
        const std::span<const std::uint8_t> all(data_ + pos_, size_ - pos_);
        pos_ = size_;
        return all;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace zuvo::fuzz
