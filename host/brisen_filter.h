// The filter object the host receives for each script call of Brisen.
#pragma once

#include <cstdint>
#include <memory>

#include "host/api.h"
#include "kernels/filter_state.h"
#include "kernels/kernel_table.h"

namespace brisen {

class BrisenFilter final : public GenericVideoFilter, private FilterState {
 public:
  // May raise "Brisen: Could not allocate memory" through env.
  BrisenFilter(const PClip& clip, int32_t temp_precision, int32_t motion_depth, int32_t method,
               int32_t spat_precision, int32_t spat_depth, int32_t threshold, IScriptEnvironment* env);
  ~BrisenFilter() override;

  PVideoFrame GetFrame(int n, IScriptEnvironment* env) override;

  const FilterState& state() const { return *this; }
  InstructionSet instruction_set() const { return kernels_.isa; }

 private:
  using Kernel = void (BrisenFilter::*)(const uint8_t* src, const uint8_t* prev, const uint8_t* next,
                                        int32_t src_pitch, uint8_t* dst, int32_t dst_pitch,
                                        int32_t row_size, int32_t height, IScriptEnvironment* env);
  void clean_frame_isse(const uint8_t* src, const uint8_t* prev, const uint8_t* next, int32_t src_pitch,
                        uint8_t* dst, int32_t dst_pitch, int32_t row_size, int32_t height,
                        IScriptEnvironment* env);
  void clean_field_isse(const uint8_t* src, const uint8_t* prev, const uint8_t* next, int32_t src_pitch,
                        uint8_t* dst, int32_t dst_pitch, int32_t row_size, int32_t height,
                        IScriptEnvironment* env);
  void clean_frame_plain(const uint8_t* src, const uint8_t* prev, const uint8_t* next, int32_t src_pitch,
                         uint8_t* dst, int32_t dst_pitch, int32_t row_size, int32_t height,
                         IScriptEnvironment* env);
  void clean_field_plain(const uint8_t* src, const uint8_t* prev, const uint8_t* next, int32_t src_pitch,
                         uint8_t* dst, int32_t dst_pitch, int32_t row_size, int32_t height,
                         IScriptEnvironment* env);

  KernelTable kernels_;
  std::unique_ptr<KernelWorkspace> workspace_;
};

}  // namespace brisen
