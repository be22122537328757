#include "kernels/cleaning_rules.h"
#include "kernels/frame_copies.h"
#include "kernels/match_maps.h"
#include "kernels/plain_lines.h"
#include "kernels/reference_kernels.h"

namespace brisen::reference {

void clean_frame_plain(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy) {
  swap_and_reset_maps(state);
  const PlainGeometry geometry = plain_geometry(state, frames);
  if (!geometry.fits) {
    copy_whole_frame(frames, block_copy);
    return;
  }
  const int32_t md = state.motion_depth;
  const int32_t h = frames.height;
  copy_plain_stripe(frames, block_copy, 0, md + 1);
  const CleaningPass pass = make_cleaning_pass(state, frames, TemporalMean::summed_halves);
  for (int32_t y = md + 1; y <= h - md - 2; ++y) clean_plain_line(pass, frames, geometry, y, md);
  copy_plain_stripe(frames, block_copy, h - md - 1, md + 1);
  copy_src_area(frames, 2 * geometry.samples, frames.row_size, md + 1, h - md - 1);
}

}  // namespace brisen::reference
