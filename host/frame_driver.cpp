// Answers the host's frame requests: passes the first and last frame through,
// decides whether the match history still applies, sets the field selector and
// hands the frames to the kernel that the processor and method select.
#include <climits>

#include "host/brisen_filter.h"
#include "kernels/frame_sequence.h"

namespace brisen {
namespace {

// Frames outside the geometry of frame 0, on which the maps and offsets rest,
// are not cleaned.
bool matches_frame0(const PVideoFrame& f, const FilterState& s) {
  return f->GetPitch() == s.frame_pitch && f->GetHeight() == s.frame_height &&
         f->GetRowSize() == s.frame_row_size;
}

void copy_frame(const PVideoFrame& src, const PVideoFrame& dst, uint8_t* dstp, IScriptEnvironment* env) {
  const int row_size = src->GetRowSize() < dst->GetRowSize() ? src->GetRowSize() : dst->GetRowSize();
  const int height = src->GetHeight() < dst->GetHeight() ? src->GetHeight() : dst->GetHeight();
  env->BitBlt(dstp, dst->GetPitch(), src->GetReadPtr(), src->GetPitch(), row_size, height);
}

}  // namespace

PVideoFrame BrisenFilter::GetFrame(int n, IScriptEnvironment* env) {
  // Declared in the reverse of the order in which they are released.
  const PVideoFrame src = child->GetFrame(n, env);
  PVideoFrame dst = env->NewVideoFrame(vi);
  uint8_t* const dstp = dst->GetWritePtr();

  if (n == 0 || n == vi.num_frames - 1) {
    copy_frame(src, dst, dstp, env);
    return dst;
  }

  // Neighbours of requests at the ends of the integer range stay in range.
  const PVideoFrame prev = child->GetFrame(n > INT_MIN ? n - 1 : n, env);
  const PVideoFrame next = child->GetFrame(n < INT_MAX ? n + 1 : n, env);
  if (!matches_frame0(src, *this) || !matches_frame0(prev, *this) || !matches_frame0(next, *this) ||
      dst->GetRowSize() < src->GetRowSize() || dst->GetHeight() < src->GetHeight()) {
    copy_frame(src, dst, dstp, env);
    return dst;
  }

  prepare_sequence(*this, n);

  const Kernel kernel = use_isse ? ((method & 3) == 0 ? &BrisenFilter::clean_frame_isse : &BrisenFilter::clean_field_isse)
                                 : ((method & 3) == 0 ? &BrisenFilter::clean_frame_plain : &BrisenFilter::clean_field_plain);
  (this->*kernel)(src->GetReadPtr(), prev->GetReadPtr(), next->GetReadPtr(), src->GetPitch(), dstp,
                  dst->GetPitch(), src->GetRowSize(), src->GetHeight(), env);
  map_write[0] = n;
  return dst;
}

}  // namespace brisen
