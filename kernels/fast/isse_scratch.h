// Scratch memory of the fast integer-SSE kernels.
#pragma once

#include "kernels/fast/search_jobs.h"
#include "kernels/filter_state.h"

namespace brisen {

struct IsseScratch {
  explicit IsseScratch(const FilterState&) {}
  fast::TileMatches<uint8_t> matches8;
  fast::TileMatches<uint16_t> matches16;
  fast::DisplacementTable displacements;
};

}  // namespace brisen
