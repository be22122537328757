#include "kernels/cleaning_rules.h"
#include "kernels/field_selection.h"
#include "kernels/frame_copies.h"
#include "kernels/match_maps.h"
#include "kernels/plain_lines.h"
#include "kernels/reference_kernels.h"

namespace brisen::reference {

void clean_field_plain(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy) {
  swap_and_reset_maps(state);
  const int32_t field = select_field(state, frames);
  const PlainGeometry geometry = plain_geometry(state, frames);
  if (!geometry.fits) {
    copy_whole_frame(frames, block_copy);
    return;
  }
  const int32_t md = state.motion_depth;
  const int32_t h = frames.height;
  const int32_t cleaned = (h - 2 * md - 2) / 2;
  const int32_t bottom = md + 1 + 2 * cleaned;
  copy_plain_stripe(frames, block_copy, 0, md + 1);
  const CleaningPass pass = make_cleaning_pass(state, frames, TemporalMean::summed_halves);
  for (int32_t j = 0; j < cleaned; ++j) clean_plain_line(pass, frames, geometry, md + 1 + field + 2 * j, md);
  copy_plain_stripe(frames, block_copy, bottom, md + 1);

  for (int32_t j = 0; j < cleaned; ++j) {
    const int32_t y = md + 1 + field + 2 * j;
    copy_src_area(frames, 2 * geometry.samples, frames.row_size, y, y + 1);  // odd last byte
    copy_src_area(frames, 0, frames.row_size, y + 1 - 2 * field, y + 2 - 2 * field);  // the other field's line
  }
  copy_src_area(frames, 0, frames.row_size, bottom + md + 1, h);  // below the bottom stripe when h is odd
}

}  // namespace brisen::reference
