#include "kernels/plain_lines.h"

#include <algorithm>

namespace brisen {

PlainGeometry plain_geometry(const FilterState& state, const FrameSet& frames) {
  const int32_t samples = frames.row_size > 0 ? frames.row_size / 2 : 0;
  const int64_t margin = int64_t{std::max(state.motion_depth, state.spat_depth)} + 1;
  const bool fits = motion_depth_in_range(state.motion_depth) && margin >= 1 && 2 * margin <= samples &&
                    frames.height >= 2 * state.motion_depth + 2;
  return PlainGeometry{samples, fits ? static_cast<int32_t>(margin) : 0, fits};
}

void copy_plain_stripe(const FrameSet& f, const BlockCopy& block_copy, int32_t first_line, int32_t lines) {
  const int64_t line = first_line;
  block_copy(f.dst + line * f.dst_pitch, f.dst_pitch, f.src + line * f.src_pitch, f.src_pitch, f.row_size, lines);
}

void clean_plain_line(const CleaningPass& pass, const FrameSet& f, const PlainGeometry& g, int32_t y,
                      int32_t motion_depth) {
  const int64_t line = int64_t{y} * f.src_pitch;
  const uint8_t* src = f.src + line;
  uint8_t* dst = f.dst + int64_t{y} * f.dst_pitch;
  for (int32_t x = 0; x < g.margin; ++x) {
    dst[2 * x] = src[2 * x];
    dst[2 * x + 1] = src[2 * x + 1];
  }
  for (int32_t x = g.margin; x < g.samples - g.margin; ++x) {
    clean_sample(pass, line + 2 * x, dst + 2 * x, motion_depth);
  }
  for (int32_t x = g.samples - g.margin; x < g.samples; ++x) {
    dst[2 * x] = src[2 * x];
    dst[2 * x + 1] = src[2 * x + 1];
  }
}

}  // namespace brisen
