#include "kernels/cleaning_rules.h"
#include "kernels/frame_copies.h"
#include "kernels/isse_blocks.h"
#include "kernels/match_maps.h"
#include "kernels/reference_kernels.h"

namespace brisen::reference {

void clean_frame_isse(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy) {
  swap_and_reset_maps(state);
  if (!isse_border_fits(frames) || !motion_depth_in_range(state.motion_depth)) {
    copy_whole_frame(frames, block_copy);
    return;
  }
  const IsseGrid grid = isse_grid(frames.row_size, frames.height);
  copy_isse_top_and_sides(frames, block_copy);
  const CleaningPass pass = make_cleaning_pass(state, frames, TemporalMean::halved_sum);
  clean_isse_blocks(pass, frames, grid, state.motion_depth, 0, 1);
  copy_isse_bottom(frames, block_copy, grid);
  copy_isse_uncovered(frames, grid);
}

}  // namespace brisen::reference
