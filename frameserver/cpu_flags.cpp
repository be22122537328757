#include "frameserver/cpu_flags.h"

#include "host/interface/video_frame.h"

namespace frameserver {

long detect_cpu_flags() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse") ? avs::CPUF_INTEGER_SSE : 0;
#else
  return 0;
#endif
}

}  // namespace frameserver
