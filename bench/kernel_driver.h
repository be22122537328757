// One kernel driven the way the filter drives it: state and maps set up as the
// filter's constructor does, and for each cleaned frame the sequence test
// (with its reset), the kernel call and the frame tag. Only the kernel call is
// meant to be timed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/kernel_cases.h"
#include "bench/yuy2_clip.h"
#include "kernels/filter_state.h"
#include "kernels/kernel_table.h"

namespace brisen_bench {

class KernelDriver {
 public:
  KernelDriver(const Yuy2Clip& clip, const KernelCase& kernel, const Settings& settings, brisen::InstructionSet isa);
  ~KernelDriver();
  KernelDriver(const KernelDriver&) = delete;
  KernelDriver& operator=(const KernelDriver&) = delete;

  // Before cleaning frame n: resets the history unless frame n - 1 was the
  // last one cleaned.
  void prepare(int n);
  // Cleans frame n (1 .. frames - 2) of the clip into `dst`.
  void clean(int n, std::uint8_t* dst, int dst_pitch);
  // After cleaning frame n: the tag the next sequence test reads.
  void finish(int n) { state_.map_write[0] = n; }

  const brisen::FilterState& state() const { return state_; }

 private:
  const Yuy2Clip& clip_;
  brisen::Kernel kernel_;
  brisen::FilterState state_;
  std::vector<std::int32_t> map_a_;
  std::vector<std::int32_t> map_b_;
  std::unique_ptr<brisen::KernelWorkspace> workspace_;
};

}  // namespace brisen_bench
