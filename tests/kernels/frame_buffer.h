// A frame buffer laid out as the host hands one out: `height` lines of
// `row_size` visible bytes, `pitch` bytes apart, with guard bytes before the
// first line and after the last so that stray reads and writes show.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace brisen::test {

class FrameBuffer {
 public:
  static constexpr int32_t default_guard_size = 256;

  // With guard_size 0 the buffer is exactly pitch * height bytes, so that an
  // address sanitizer reports any access outside it.
  FrameBuffer(int32_t row_size, int32_t height, int32_t pitch, uint8_t padding = 0, uint8_t guard = 0xA5,
              int32_t guard_size = default_guard_size)
      : row_size_(row_size),
        height_(height),
        pitch_(pitch),
        guard_(guard),
        guard_size_(guard_size),
        bytes_(2 * static_cast<size_t>(guard_size) + static_cast<size_t>(std::max(0, pitch)) * std::max(0, height),
               padding) {
    std::fill(bytes_.begin(), bytes_.begin() + guard_size_, guard);
    std::fill(bytes_.end() - guard_size_, bytes_.end(), guard);
  }

  int32_t row_size() const { return row_size_; }
  int32_t height() const { return height_; }
  int32_t pitch() const { return pitch_; }

  uint8_t* data() { return bytes_.data() + guard_size_; }
  const uint8_t* data() const { return bytes_.data() + guard_size_; }

  // Byte `byte` of line `line`; luma lies at even bytes, chroma at odd ones.
  uint8_t& at(int32_t byte, int32_t line) { return data()[int64_t{line} * pitch_ + byte]; }
  uint8_t at(int32_t byte, int32_t line) const { return data()[int64_t{line} * pitch_ + byte]; }
  // By position: line * pitch + byte.
  uint8_t& operator[](int64_t position) { return data()[position]; }
  uint8_t operator[](int64_t position) const { return data()[position]; }

  // Sets every visible byte to value(byte, line).
  template <typename Fn>
  void fill(Fn value) {
    for (int32_t y = 0; y < height_; ++y) {
      for (int32_t x = 0; x < row_size_; ++x) at(x, y) = static_cast<uint8_t>(value(x, y));
    }
  }
  void fill_luma(uint8_t luma, uint8_t chroma = 128) {
    fill([&](int32_t x, int32_t) { return x % 2 == 0 ? luma : chroma; });
  }

  // Writable guard byte at `offset` from the first visible byte (negative
  // before the frame, from pitch * height on after it).
  uint8_t& guard_at(int64_t offset) { return data()[offset]; }

  bool guards_intact() const {
    const auto is_guard = [&](uint8_t b) { return b == guard_; };
    return std::all_of(bytes_.begin(), bytes_.begin() + guard_size_, is_guard) &&
           std::all_of(bytes_.end() - guard_size_, bytes_.end(), is_guard);
  }

  // Whether every byte between row_size and pitch still holds `value`.
  bool padding_is(uint8_t value) const {
    for (int32_t y = 0; y < height_; ++y) {
      for (int32_t x = std::max(0, row_size_); x < pitch_; ++x) {
        if (at(x, y) != value) return false;
      }
    }
    return true;
  }

  // The visible bytes, line after line, without padding.
  std::vector<uint8_t> visible() const {
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < height_; ++y) {
      for (int32_t x = 0; x < row_size_; ++x) out.push_back(at(x, y));
    }
    return out;
  }

 private:
  int32_t row_size_;
  int32_t height_;
  int32_t pitch_;
  uint8_t guard_;
  int32_t guard_size_;
  std::vector<uint8_t> bytes_;
};

}  // namespace brisen::test
