#include "kernels/match_maps.h"

#include <algorithm>

namespace brisen {

void swap_and_reset_maps(FilterState& state) {
  if (state.map_write == state.map_a) {
    state.map_write = state.map_b;
    state.map_read = state.map_a;
  } else {
    state.map_write = state.map_a;
    state.map_read = state.map_b;
  }
  if (state.map_entries() > 1) std::fill(state.map_write + 1, state.map_write + state.map_entries(), -1);
}

void clear_map(int32_t* map, int32_t entries) { std::fill(map, map + entries, -1); }

}  // namespace brisen
