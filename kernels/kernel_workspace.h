#pragma once

#include <cstdint>

#include "kernels/fast/isse_scratch.h"
#include "kernels/fast/luma_planes.h"
#include "kernels/fast/plain_scratch.h"
#include "kernels/kernel_table.h"

namespace brisen {

// How the latest kernel call went: whether the fast form ran, and how many of
// its samples it left to the per-sample rules.
struct KernelCallReport {
  bool fast = false;
  int64_t samples_by_rules = 0;
};

class KernelWorkspace {
 public:
  explicit KernelWorkspace(const FilterState& state) : planes(state), isse(state), plain(state) {}
  LumaPlanes planes;
  IsseScratch isse;
  PlainScratch plain;
  KernelCallReport last_call;
};

}  // namespace brisen
