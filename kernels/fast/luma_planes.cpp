#include "kernels/fast/luma_planes.h"

namespace brisen {

LumaPlanes::LumaPlanes(const FilterState& state)
    : capacity_(state.frame_bytes > 0 ? state.frame_bytes / 2 : 0),
      storage_(new uint8_t[3 * (guard_before + capacity_ + guard_after)]()) {}

}  // namespace brisen
