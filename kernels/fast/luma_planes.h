// The luma of src, prev and next, one byte per sample: sample c of a frame
// (a position, counted with an even pitch) lands at index c / 2, so the
// rules' plain offsets, line wraps and the padding between row size and pitch
// all carry over halved. Sized once from the filter's frame geometry.
#pragma once

#include <cstdint>
#include <memory>

#include "kernels/filter_state.h"

namespace brisen {

class LumaPlanes {
 public:
  // Guards take the reads of tile lanes past the last cleaned sample.
  static constexpr int64_t guard_before = 64;
  static constexpr int64_t guard_after = 512;

  explicit LumaPlanes(const FilterState& state);  // throws std::bad_alloc

  int64_t capacity() const { return capacity_; }  // samples per plane
  uint8_t* src() { return plane(0); }
  uint8_t* prev() { return plane(1); }
  uint8_t* next() { return plane(2); }

 private:
  uint8_t* plane(int i) { return storage_.get() + i * (guard_before + capacity_ + guard_after) + guard_before; }

  int64_t capacity_;
  std::unique_ptr<uint8_t[]> storage_;
};

}  // namespace brisen
