#include "kernels/frame_sequence.h"

#include "kernels/match_maps.h"

namespace brisen {

bool set_frame_geometry(FilterState& state, int32_t pitch, int32_t row_size, int32_t height) {
  const int64_t bytes = int64_t{pitch} * height;
  if (pitch < 0 || height < 0 || bytes > INT32_MAX) return false;
  state.frame_row_size = row_size;
  state.frame_pitch = pitch;
  state.frame_height = height;
  state.frame_bytes = static_cast<int32_t>(bytes);
  state.center_offset = pitch + 2;
  state.window_span = 2 * state.motion_depth + 1;
  state.window_offset = (pitch + 2) * state.motion_depth;
  return true;
}

int32_t allocated_map_entries(const FilterState& state) {
  return state.map_entries() > 0 ? state.map_entries() : 1;
}

bool prepare_sequence(FilterState& state, int32_t n) {
  if (int64_t{state.map_write[0]} == int64_t{n} - 1) return false;
  clear_map(state.map_write, allocated_map_entries(state));
  state.field_parity = n % 2;  // the remainder takes the sign of n
  if (!state.use_isse && state.motion_depth % 2 == 0) state.field_parity -= 1;
  if ((state.method & 3) == 2) state.field_parity = (state.field_parity - 1) & 1;
  return true;
}

}  // namespace brisen
