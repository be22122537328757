// Scratch memory of the fast portable kernels.
#pragma once

#include "kernels/filter_state.h"

namespace brisen {

struct PlainScratch {
  explicit PlainScratch(const FilterState&) {}
};

}  // namespace brisen
