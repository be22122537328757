// What the filter does around its cleaning passes: the geometry the passes
// work with, and the sequence test and reset before each pass. The frame
// driver, the benchmark and the tests all drive the kernels through these.
#pragma once

#include <cstdint>

#include "kernels/filter_state.h"

namespace brisen {

// Takes the geometry from the clip's frame 0 and derives the offsets and the
// map size from it; motion_depth must be set first. False when frames that
// large cannot be addressed with 32-bit positions.
bool set_frame_geometry(FilterState& state, int32_t pitch, int32_t row_size, int32_t height);

// Entries each match map is allocated with: one per two bytes of a frame, and
// at least the frame tag.
int32_t allocated_map_entries(const FilterState& state);

// Before cleaning frame n: unless the previous pass cleaned frame n - 1, drops
// the match history and sets the field selector from n, so that the field a
// frame gets does not depend on the order of requests. True when it reset.
bool prepare_sequence(FilterState& state, int32_t n);

}  // namespace brisen
