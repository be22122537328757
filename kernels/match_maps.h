// The two match maps and their roles.
#pragma once

#include "kernels/filter_state.h"

namespace brisen {

// Start of every cleaning pass: the map the previous pass filled becomes
// map_read, the other one becomes map_write and loses its match entries.
// Entry 0 of either map, the frame tag, is left alone.
void swap_and_reset_maps(FilterState& state);

// Empties a whole map, frame tag included.
void clear_map(int32_t* map, int32_t entries);

}  // namespace brisen
