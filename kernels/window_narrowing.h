// How far the integer-SSE kernels search around each sample of a block, given
// where the block's centre found its matches. The arithmetic mixes line counts
// with byte distances on purpose: it is the filter's established behaviour, and
// for every displacement a full window can produce it stays within
// motion_depth + 1.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace brisen {

// Radius for one displacement d (bytes, signed) on frames of the given pitch.
inline int32_t displacement_radius(int32_t displacement, int32_t pitch) {
  const int32_t distance = std::abs(displacement);
  const int32_t lines = distance / pitch;
  int32_t h = distance - lines;  // the line count, not lines * pitch
  if (h > 30) h = pitch - h;
  h >>= 1;  // arithmetic: -1 stays -1
  return std::max(lines, h);
}

// Block radius from the displacements of the prev and next matches.
inline int32_t narrowed_radius(int32_t prev_displacement, int32_t next_displacement, int32_t pitch) {
  return std::max(displacement_radius(prev_displacement, pitch), displacement_radius(next_displacement, pitch)) + 1;
}

}  // namespace brisen
