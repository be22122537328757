// Blocks of one block row that are not neighbours but share a tile search:
// each block's lines copied side by side, 16 samples a block, once for every
// horizontal shift the search makes, so that a shift is a step from one copy
// to the next (TileJob::side) and a line a step of `row` within a copy.
#pragma once

#include <cstdint>
#include <cstring>

#include "kernels/fast/search_jobs.h"

namespace brisen::fast {

struct BlockStaging {
  static constexpr int block_samples = 16;
  static constexpr int max_radius = DisplacementTable::max_radius;
  static constexpr int64_t row = max_tile_lanes;
  // Lines from max_radius + 1 above the first cleaned line to as far below
  // the last one (16 lines, or 8 of a field two apart).
  static constexpr int64_t rows = (max_tile_lines - 1) + 2 * (max_radius + 1) + 1;
  static constexpr int64_t side = rows * row;
  static constexpr int shifts = 2 * (max_radius + 1) + 1;

  uint8_t src[3 * side];
  uint8_t prev[shifts * side];
  uint8_t next[shifts * side];

  // Origins for a window of `radius`: line 0, shift 0.
  static constexpr int64_t origin(int radius) { return (max_radius + 1) * row + int64_t{radius + 1} * side; }
};

// Copies `count` blocks whose first samples lie at plane indices first[g]
// (planes of `stride` samples a line), for a tile search of `radius` over
// lines 0 .. span, into the staging; lanes past `count` repeat block 0.
inline void stage_blocks(BlockStaging& staging, const uint8_t* src, const uint8_t* prev, const uint8_t* next,
                         int64_t stride, const int64_t* first, int count, int lanes, int radius, int span) {
  constexpr int64_t row = BlockStaging::row;
  constexpr int64_t side = BlockStaging::side;
  constexpr int w = BlockStaging::block_samples;
  const auto copy_lines = [&](uint8_t* origin, const uint8_t* plane, int shift, int from, int to) {
    uint8_t* line = origin + shift * side;
    for (int r = from; r <= to; ++r) {
      for (int g = 0; g < lanes / w; ++g) {
        std::memcpy(line + r * row + g * w, plane + r * stride + first[g < count ? g : 0] + shift, w);
      }
    }
  };
  const int reach = radius + 1;
  uint8_t* const s = staging.src + BlockStaging::origin(0);
  uint8_t* const p = staging.prev + BlockStaging::origin(radius);
  uint8_t* const n = staging.next + BlockStaging::origin(radius);
  for (int shift = -1; shift <= 1; ++shift) copy_lines(s, src, shift, -1, span + 1);
  for (int shift = -reach; shift <= reach; ++shift) {
    copy_lines(p, prev, shift, -reach, span + reach);
    copy_lines(n, next, shift, -reach, span + reach);
  }
}

}  // namespace brisen::fast
