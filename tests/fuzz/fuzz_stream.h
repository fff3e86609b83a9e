// What a fuzz target's input means: a stream read from the front, one
// decision at a time, that reads as zeros once it is used up (so every run
// ends: a port that answers nothing makes every command fail fast).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzStream {
 public:
  FuzzStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t Word() {
    uint16_t high = Byte();
    return static_cast<uint16_t>(high << 8 | Byte());
  }
  // Copies up to `count` bytes; the rest of `out` is zero-filled.
  size_t Bytes(uint8_t* out, size_t count) {
    size_t n = std::min(count, size_ - pos_);
    std::memcpy(out, data_ + pos_, n);
    std::memset(out + n, 0, count - n);
    pos_ += n;
    return n;
  }
  bool Empty() const { return pos_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};
