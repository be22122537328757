// Scratch memory of the fast integer-SSE kernels.
#pragma once

#include <memory>
#include <vector>

#include "kernels/fast/block_groups.h"
#include "kernels/fast/block_staging.h"
#include "kernels/fast/search_jobs.h"
#include "kernels/filter_state.h"

namespace brisen {

// Temporal search results of one block, [line][sample], kept from the
// searches of a block row until the block is decided.
template <typename T>
struct BlockTemporal {
  T prev_measure[fast::max_tile_lines][16];
  T next_measure[fast::max_tile_lines][16];
  T next_index[fast::max_tile_lines][16];
  T prev_value[fast::max_tile_lines][16];
  T next_value[fast::max_tile_lines][16];
};

// What the kernels keep per lane type (bytes, or 16-bit lanes).
template <typename T>
struct IsseLanes {
  explicit IsseLanes(int32_t block_cols) : temporal(new BlockTemporal<T>[static_cast<size_t>(block_cols) + 1]) {}
  fast::TileMatches<T> matches;   // the tile being decided
  fast::TileMatches<T> searched;  // one group's temporal searches
  std::unique_ptr<BlockTemporal<T>[]> temporal;  // by block, j - 1
};

struct IsseScratch {
  // Throws std::bad_alloc.
  explicit IsseScratch(const FilterState& state)
      : block_cols(state.frame_row_size >= 96 ? (state.frame_row_size >> 5) - 2 : 0),
        bytes(block_cols),
        words(block_cols),
        staging(new fast::BlockStaging()),
        presearched(new fast::PresearchMatches[static_cast<size_t>(block_cols) + 1]) {
    radius.reserve(static_cast<size_t>(block_cols) + 1);
    order.reserve(static_cast<size_t>(block_cols) + 1);
    groups.reserve(static_cast<size_t>(block_cols) + 1);
  }

  template <typename T>
  IsseLanes<T>& lanes() {
    if constexpr (sizeof(T) == 1) {
      return bytes;
    } else {
      return words;
    }
  }

  int32_t block_cols;
  IsseLanes<uint8_t> bytes;
  IsseLanes<uint16_t> words;
  fast::DisplacementTable displacements;
  std::unique_ptr<fast::BlockStaging> staging;
  std::unique_ptr<fast::PresearchMatches[]> presearched;  // by block, j - 1
  // Per block row: radius by block (< 0: decided by the rules), the blocks
  // in search order and their groups.
  std::vector<int32_t> radius;
  std::vector<int32_t> order;
  std::vector<fast::BlockGroup> groups;
};

}  // namespace brisen
