// The field kernels' alternation: each call consumes the field selector and
// leaves the value that makes the next call clean the other field.
#pragma once

#include <cstdint>

#include "kernels/filter_state.h"

namespace brisen {

// Returns the line shift of the field to clean: 0 for the unshifted field when
// field_parity is nonzero (any value), 1 for the field one line lower when it
// is zero. Leaves 0, 0 or src_pitch, dst_pitch in field_parity, field_offset.
inline int32_t select_field(FilterState& state, const FrameSet& frames) {
  if (state.field_parity != 0) {
    state.field_parity = 0;
    state.field_offset = 0;
    return 0;
  }
  state.field_parity = frames.src_pitch;
  state.field_offset = frames.dst_pitch;
  return 1;
}

}  // namespace brisen
