// What a cleaning pass works on: the filter's settings, the geometry of the
// clip's frame 0, the field selector and the two match maps. The filter object
// owns one of these; kernels, tests and benchmarks drive it directly, without
// any host type.
#pragma once

#include <cstdint>

namespace brisen {

struct FilterState {
  int32_t temp_precision = 20;
  int32_t motion_depth = 5;
  int32_t method = 0;
  int32_t spat_precision = 3;
  int32_t spat_depth = 5;
  int32_t threshold = 255;
  bool use_isse = false;
  int32_t frame_row_size = 0;
  int32_t frame_height = 0;
  int32_t frame_pitch = 0;
  int32_t center_offset = 0;  // frame_pitch + 2: top-left of a 3x3 neighbourhood to its centre
  int32_t window_span = 0;    // 2 * motion_depth + 1
  int32_t window_offset = 0;  // (frame_pitch + 2) * motion_depth: window centre to its top-left
  int32_t frame_bytes = 0;    // frame_pitch * frame_height
  int32_t field_parity = 0;
  int32_t field_offset = 0;
  int32_t* map_a = nullptr;  // owned by whoever allocated the maps
  int32_t* map_b = nullptr;
  int32_t* map_write = nullptr;  // the map the latest pass filled
  int32_t* map_read = nullptr;   // the other one

  int32_t map_entries() const { return frame_bytes / 2; }
};

// The frames of one cleaning pass. src, prev and next share src_pitch; dst has
// the row size and height of src.
struct FrameSet {
  const uint8_t* src;
  const uint8_t* prev;
  const uint8_t* next;
  int32_t src_pitch;
  uint8_t* dst;
  int32_t dst_pitch;
  int32_t row_size;
  int32_t height;
};

// The host's block copy, which the kernels use for their border stripes.
class BlockCopy {
 public:
  virtual void operator()(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch,
                          int32_t row_size, int32_t height) const = 0;

 protected:
  ~BlockCopy() = default;
};

}  // namespace brisen
