// The four cleaning kernels in their reference form: sample by sample, in the
// order the cleaning rules give, so that every output byte, match entry and
// field selector value follows from the rules alone. Faster forms are checked
// against these.
//
// Each call swaps the match maps and resets the new map_write (entry 0, the
// frame tag, is left to the caller), copies the border through `block_copy`,
// cleans its samples and copies from src every other byte 0 .. row_size - 1 of
// every line. Bytes between row_size and dst_pitch are never touched. The
// kernels take src_pitch to be state.frame_pitch and height to be
// state.frame_height, the geometry the maps were sized for.
#pragma once

#include "kernels/filter_state.h"

namespace brisen::reference {

// Whole frame in blocks of 16 lines by 16 luma samples, inside a border of 16
// lines and 32 bytes; temporal mean (a + b) / 2.
void clean_frame_isse(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy);

// As clean_frame_isse, every other line of each block: the field chosen by
// field_parity, which it toggles together with field_offset.
void clean_field_isse(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy);

// Every sample at least max(motion_depth, spat_depth) + 1 samples from the left
// and right and motion_depth + 1 lines from the top and bottom, full search
// window; temporal mean a / 2 + b / 2.
void clean_frame_plain(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy);

// As clean_frame_plain, every other line: the field chosen by field_parity,
// which it toggles together with field_offset.
void clean_field_plain(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy);

}  // namespace brisen::reference
