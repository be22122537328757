#include "bench/kernel_driver.h"

#include <cstring>
#include <stdexcept>

#include "kernels/kernel_workspace.h"
#include "kernels/frame_sequence.h"

namespace brisen_bench {
namespace {

// The frame server's BitBlt.
class RowCopy final : public brisen::BlockCopy {
 public:
  void operator()(std::uint8_t* dst, std::int32_t dst_pitch, const std::uint8_t* src, std::int32_t src_pitch,
                  std::int32_t row_size, std::int32_t height) const override {
    for (std::int32_t y = 0; y < height; ++y) {
      std::memcpy(dst + static_cast<std::ptrdiff_t>(y) * dst_pitch, src + static_cast<std::ptrdiff_t>(y) * src_pitch,
                  static_cast<std::size_t>(row_size));
    }
  }
};

}  // namespace

KernelDriver::KernelDriver(const Yuy2Clip& clip, const KernelCase& kernel, const Settings& settings,
                           brisen::InstructionSet isa)
    : clip_(clip), kernel_(brisen::kernel_table(isa).*kernel.slot) {
  brisen::FilterState& s = state_;
  s.temp_precision = settings.temp_precision;
  s.motion_depth = settings.motion_depth;
  s.method = kernel.method;
  s.spat_precision = settings.spat_precision;
  s.spat_depth = settings.spat_depth;
  s.threshold = settings.threshold;
  s.use_isse = kernel.use_isse;
  s.field_offset = 0;
  if (!brisen::set_frame_geometry(s, clip.pitch, clip.row_size(), clip.height)) {
    throw std::runtime_error("frames too large to clean");
  }

  const auto entries = static_cast<std::size_t>(brisen::allocated_map_entries(s));
  map_a_.assign(entries, -1);
  map_b_.assign(entries, -1);
  s.map_a = map_a_.data();
  s.map_b = map_b_.data();
  s.map_write = s.map_a;
  s.map_read = s.map_b;
  workspace_ = brisen::make_workspace(s);
}

KernelDriver::~KernelDriver() = default;

void KernelDriver::prepare(int n) {
  brisen::prepare_sequence(state_, n);
}

void KernelDriver::clean(int n, std::uint8_t* dst, int dst_pitch) {
  const brisen::FrameSet frames{clip_.frames[n].get(), clip_.frames[n - 1].get(), clip_.frames[n + 1].get(),
                                clip_.pitch, dst, dst_pitch, clip_.row_size(), clip_.height};
  kernel_(state_, frames, RowCopy(), *workspace_);
}

}  // namespace brisen_bench
