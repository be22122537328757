// What the two portable kernels share: a margin that keeps every search inside
// the frame, stripes copied above and below the cleaned lines, and the walk
// along one cleaned line.
#pragma once

#include <cstdint>

#include "kernels/cleaning_rules.h"
#include "kernels/filter_state.h"

namespace brisen {

struct PlainGeometry {
  int32_t samples;  // luma samples per line: row_size / 2
  int32_t margin;   // max(motion_depth, spat_depth) + 1 samples at each end of a cleaned line
  bool fits;        // at least 2 * margin samples and 2 * motion_depth + 2 lines
};

PlainGeometry plain_geometry(const FilterState& state, const FrameSet& frames);

// `lines` whole lines from first_line on, in one block copy.
void copy_plain_stripe(const FrameSet& frames, const BlockCopy& block_copy, int32_t first_line, int32_t lines);

// Line y: left margin copied, samples margin .. samples - margin - 1 cleaned
// left to right with the full window, right margin copied. A last odd byte of
// the row is not part of any pixel pair and is left to the caller.
void clean_plain_line(const CleaningPass& pass, const FrameSet& frames, const PlainGeometry& geometry, int32_t y,
                      int32_t motion_depth);

}  // namespace brisen
