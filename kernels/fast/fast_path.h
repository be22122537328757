// When the fast kernels take a call, and what they share.
#pragma once

#include <cstdint>

#include "kernels/fast/search_jobs.h"
#include "kernels/filter_state.h"
#include "kernels/kernel_workspace.h"

namespace brisen::fast {

// The fast forms need an even positive pitch (so that positions halve into
// plane indices), frames within the geometry the workspace was sized for,
// two distinct maps and a motion_depth the registration allows. Anything else
// runs the reference form.
bool fast_path_applies(const FilterState& state, const FrameSet& frames, const KernelWorkspace& workspace);

// Whether 8-bit search lanes give exact results: precisions at most 255 and
// windows (radius motion_depth + 1 at most) of at most 255 displacements.
bool byte_lanes_suffice(const FilterState& state);

// Luma planes of src, prev and next.
void extract_planes(const SearchPrimitives& simd, const FrameSet& frames, LumaPlanes& planes);

}  // namespace brisen::fast
