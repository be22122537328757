// The four cleaning passes as operations of the filter: they hand the frames,
// the filter's state and the host's block copy to the kernels.
#include "host/brisen_filter.h"

namespace brisen {
namespace {

class HostBlockCopy final : public BlockCopy {
 public:
  explicit HostBlockCopy(IScriptEnvironment* env) : env_(env) {}
  void operator()(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int32_t row_size,
                  int32_t height) const override {
    env_->BitBlt(dst, dst_pitch, src, src_pitch, row_size, height);
  }

 private:
  IScriptEnvironment* env_;
};

}  // namespace

#define BRISEN_KERNEL_CALL(name)                                                                        \
  void BrisenFilter::name(const uint8_t* src, const uint8_t* prev, const uint8_t* next, int32_t src_pitch, \
                          uint8_t* dst, int32_t dst_pitch, int32_t row_size, int32_t height,              \
                          IScriptEnvironment* env) {                                                      \
    kernels_.name(*this, FrameSet{src, prev, next, src_pitch, dst, dst_pitch, row_size, height},          \
                  HostBlockCopy(env), *workspace_);                                                       \
  }

BRISEN_KERNEL_CALL(clean_frame_isse)
BRISEN_KERNEL_CALL(clean_field_isse)
BRISEN_KERNEL_CALL(clean_frame_plain)
BRISEN_KERNEL_CALL(clean_field_plain)
#undef BRISEN_KERNEL_CALL

}  // namespace brisen
