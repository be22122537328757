// The block grid shared by the two integer-SSE kernels: a border of 16 lines
// and 32 bytes copied from src, blocks of 16 lines by 16 luma samples inside,
// each searched over a window narrowed from one search at its centre.
#pragma once

#include <cstdint>

#include "kernels/cleaning_rules.h"
#include "kernels/filter_state.h"

namespace brisen {

struct IsseGrid {
  int32_t block_rows;   // blocks i = 1 .. block_rows cover lines 16i .. 16i + 15
  int32_t block_cols;   // blocks j = 1 .. block_cols cover bytes 32j .. 32j + 31
  int32_t bottom_line;  // first line of the bottom stripe

  bool has_blocks() const { return block_rows >= 1 && block_cols >= 1; }
  // One past the last byte the blocks cover (32 when there is no block column).
  int32_t blocks_end_byte() const { return 32 * ((block_cols > 0 ? block_cols : 0) + 1); }
};

IsseGrid isse_grid(int32_t row_size, int32_t height);

// The border copies reach outside frames narrower than 64 bytes or shorter
// than 32 lines.
bool isse_border_fits(const FrameSet& frames);

// Top stripe, left strip, right strip, in this order.
void copy_isse_top_and_sides(const FrameSet& frames, const BlockCopy& block_copy);
void copy_isse_bottom(const FrameSet& frames, const BlockCopy& block_copy, const IsseGrid& grid);

// Search radius for every sample of a block whose pre-search neighbourhood has
// top-left t0: narrowed when both full-window matches are good, else the full
// motion_depth. The map is neither read nor written.
int32_t block_radius(const CleaningPass& pass, int64_t t0, int32_t motion_depth);

// Cleans every block, row by row, left to right. In each block the lines
// `field`, `field` + line_step, ... below its top are cleaned, and the
// pre-search point lies 8 + `field` lines below its top, 16 bytes in.
void clean_isse_blocks(const CleaningPass& pass, const FrameSet& frames, const IsseGrid& grid, int32_t motion_depth,
                       int32_t field, int32_t line_step);

// Copies from src what neither the border nor the blocks cover: right of the
// last block column and below the bottom stripe, when the frame size is not a
// multiple of the block size.
void copy_isse_uncovered(const FrameSet& frames, const IsseGrid& grid);

}  // namespace brisen
