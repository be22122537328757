// Scratch memory of the fast portable kernels.
#pragma once

#include <cstdint>
#include <memory>

#include "kernels/fast/search_jobs.h"
#include "kernels/filter_state.h"

namespace brisen {

struct PlainScratch {
  // Throws std::bad_alloc.
  explicit PlainScratch(const FilterState& state)
      : samples_per_line(state.frame_row_size > 0 ? state.frame_row_size / 2 : 0),
        records(new int32_t[static_cast<size_t>(fast::max_tile_lines) * (samples_per_line + 1)]) {}

  fast::TileMatches<uint8_t> matches8;
  fast::TileMatches<uint16_t> matches16;
  fast::DisplacementTable displacements;
  // Match entries of one strip of lines, replayed in visiting order once the
  // strip is decided: [line][sample], map index or -1.
  int32_t samples_per_line;
  std::unique_ptr<int32_t[]> records;
};

}  // namespace brisen
