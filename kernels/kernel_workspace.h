#pragma once

#include "kernels/fast/isse_scratch.h"
#include "kernels/fast/plain_scratch.h"
#include "kernels/kernel_table.h"

namespace brisen {

class KernelWorkspace {
 public:
  explicit KernelWorkspace(const FilterState& state) : isse(state), plain(state) {}
  IsseScratch isse;
  PlainScratch plain;
};

}  // namespace brisen
