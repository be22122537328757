// A block copy that does the copy and remembers every call, so tests can check
// how many a kernel makes and with which arguments.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "kernels/filter_state.h"

namespace brisen::test {

struct BlockCopyCall {
  uint8_t* dst;
  int32_t dst_pitch;
  const uint8_t* src;
  int32_t src_pitch;
  int32_t row_size;
  int32_t height;

  bool operator==(const BlockCopyCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const BlockCopyCall& c) {
  return out << "{dst " << static_cast<const void*>(c.dst) << " pitch " << c.dst_pitch << ", src "
             << static_cast<const void*>(c.src) << " pitch " << c.src_pitch << ", " << c.row_size << " x " << c.height
             << "}";
}

class RecordingBlockCopy final : public BlockCopy {
 public:
  void operator()(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int32_t row_size,
                  int32_t height) const override {
    calls.push_back({dst, dst_pitch, src, src_pitch, row_size, height});
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < row_size; ++x) dst[int64_t{y} * dst_pitch + x] = src[int64_t{y} * src_pitch + x];
    }
  }

  mutable std::vector<BlockCopyCall> calls;
};

}  // namespace brisen::test
