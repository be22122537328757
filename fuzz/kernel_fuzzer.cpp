// One kernel over a small fuzzed clip with fuzzed settings and geometry, in
// every form this processor has: no form may touch memory outside its buffers
// (guards, poisoned for AddressSanitizer), leave a byte unwritten, write
// padding, or differ from the reference form in output, maps or field selector.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "tests/hardening/kernel_sandbox.h"

namespace {

using hardening::Geometry;
using hardening::KernelKind;
using hardening::Settings;

// Mostly values near the edges the rules compare against, sometimes anything
// (rarely: a spatial search as wide as the frame costs a pass per sample).
int32_t bound(FuzzedDataProvider& in, int32_t lowest) {
  if (in.ConsumeIntegralInRange<int>(0, 7) != 0) return in.ConsumeIntegralInRange<int32_t>(std::max(lowest, -4), 64);
  return in.ConsumeIntegralInRange<int32_t>(lowest, std::numeric_limits<int32_t>::max());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto kind = static_cast<KernelKind>(in.ConsumeIntegralInRange<int>(0, 3));
  Settings s;
  s.motion_depth = in.ConsumeIntegralInRange<int32_t>(0, 10);
  s.temp_precision = bound(in, 0);
  s.spat_precision = bound(in, 0);
  s.spat_depth = bound(in, 0);
  s.threshold = bound(in, std::numeric_limits<int32_t>::min());
  s.method = in.ConsumeIntegral<int32_t>();

  // Small frames keep a deep search fast, yet 48 x 48 and up hold an
  // integer-SSE block; hosts hand out even pitches.
  const int32_t width = in.ConsumeIntegralInRange<int32_t>(1, 64);
  const int32_t height = in.ConsumeIntegralInRange<int32_t>(1, 56);
  const int32_t row_size = 2 * width;
  const int32_t pitch = row_size + 2 * in.ConsumeIntegralInRange<int32_t>(0, 40);
  const int32_t dst_pitch = row_size + 2 * in.ConsumeIntegralInRange<int32_t>(0, 40);
  const Geometry g{row_size, height, pitch, dst_pitch};
  const int passes = in.ConsumeIntegralInRange<int>(1, 2);

  // A drifting texture, then the fuzzer's own bytes written over it.
  hardening::Clip clip = hardening::drifting_clip(g, passes, in.ConsumeIntegral<uint32_t>());
  const std::vector<uint8_t> paint = in.ConsumeRemainingBytes<uint8_t>();
  // Byte i lands in frame i % frames, so that short inputs reach every frame.
  const std::size_t frames = clip.frames.size();
  for (std::size_t i = 0; i < paint.size() && i / frames < clip.frames[0].size(); ++i)
    clip.frames[i % frames][i / frames] = paint[i];

  const std::string report = hardening::check_all_forms(kind, clip, s);
  if (!report.empty()) {
    std::fprintf(stderr, "%s\n%s", hardening::describe(kind, g, s).c_str(), report.c_str());
    std::abort();
  }
  return 0;
}
