#include "kernels/frame_copies.h"

namespace brisen {

void copy_src_area(const FrameSet& frames, int32_t first_byte, int32_t end_byte, int32_t first_line, int32_t end_line) {
  for (int32_t y = first_line; y < end_line; ++y) {
    const uint8_t* from = frames.src + int64_t{y} * frames.src_pitch;
    uint8_t* to = frames.dst + int64_t{y} * frames.dst_pitch;
    for (int32_t x = first_byte; x < end_byte; ++x) to[x] = from[x];
  }
}

void copy_whole_frame(const FrameSet& frames, const BlockCopy& block_copy) {
  if (frames.row_size <= 0 || frames.height <= 0) return;
  block_copy(frames.dst, frames.dst_pitch, frames.src, frames.src_pitch, frames.row_size, frames.height);
}

}  // namespace brisen
