// Scratch memory of the fast integer-SSE kernels.
#pragma once

#include "kernels/filter_state.h"

namespace brisen {

struct IsseScratch {
  explicit IsseScratch(const FilterState&) {}
};

}  // namespace brisen
