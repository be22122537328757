#include "host/brisen_filter.h"

#include <memory>
#include <new>

#include "kernels/frame_sequence.h"
#include "kernels/kernel_workspace.h"
#include "kernels/match_maps.h"

namespace brisen {

BrisenFilter::BrisenFilter(const PClip& clip, int32_t temp_precision_, int32_t motion_depth_, int32_t method_,
                           int32_t spat_precision_, int32_t spat_depth_, int32_t threshold_,
                           IScriptEnvironment* env)
    : GenericVideoFilter(clip) {
  temp_precision = temp_precision_;
  motion_depth = motion_depth_;
  method = method_;
  spat_precision = spat_precision_;
  spat_depth = spat_depth_;
  threshold = threshold_;

  {
    const PVideoFrame frame0 = child->GetFrame(0, env);
    // A frame too large to be addressed with 32-bit positions cannot be cleaned.
    if (!set_frame_geometry(*this, frame0->GetPitch(), frame0->GetRowSize(), frame0->GetHeight())) {
      env->ThrowError("Brisen: Could not allocate memory");
    }
  }

  const auto entries = static_cast<size_t>(allocated_map_entries(*this));
  std::unique_ptr<int32_t[]> a(new (std::nothrow) int32_t[entries]);
  std::unique_ptr<int32_t[]> b(new (std::nothrow) int32_t[entries]);
  kernels_ = kernel_table(best_instruction_set());
  try {
    workspace_ = make_workspace(*this);
  } catch (const std::bad_alloc&) {
    workspace_.reset();
  }
  if (!a || !b || !workspace_) env->ThrowError("Brisen: Could not allocate memory");
  map_a = a.release();
  map_b = b.release();
  map_write = map_a;
  map_read = map_b;
  clear_map(map_a, static_cast<int32_t>(entries));

  field_offset = 0;
  use_isse = (env->GetCPUFlags() & api::CPUF_INTEGER_SSE) != 0;
}

BrisenFilter::~BrisenFilter() {
  delete[] map_a;
  delete[] map_b;
}

}  // namespace brisen
