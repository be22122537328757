#include "kernels/fast/fast_path.h"

#include "kernels/cleaning_rules.h"

namespace brisen::fast {

bool fast_path_applies(const FilterState& state, const FrameSet& frames, const KernelWorkspace& workspace) {
  const int64_t pitch = frames.src_pitch;
  return pitch > 0 && pitch % 2 == 0 && frames.row_size > 0 && frames.row_size <= pitch && frames.height > 0 &&
         pitch * frames.height <= 2 * workspace.planes.capacity() && state.map_a != nullptr &&
         state.map_b != nullptr && state.map_a != state.map_b && motion_depth_in_range(state.motion_depth) &&
         frames.row_size / 2 <= workspace.plain.samples_per_line;
}

bool byte_lanes_suffice(const FilterState& state) {
  return state.temp_precision <= 255 && state.spat_precision <= 255 && state.motion_depth <= 6;
}

void extract_planes(const SearchPrimitives& simd, const FrameSet& frames, LumaPlanes& planes) {
  const int64_t bytes = int64_t{frames.src_pitch} * frames.height;
  simd.extract_luma(frames.src, bytes, planes.src());
  simd.extract_luma(frames.prev, bytes, planes.prev());
  simd.extract_luma(frames.next, bytes, planes.next());
}

}  // namespace brisen::fast
