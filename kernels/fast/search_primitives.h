// The search primitives of each instruction set this build has.
#pragma once

#include "kernels/fast/search_jobs.h"
#include "kernels/kernel_table.h"

namespace brisen::fast {

extern const SearchPrimitives portable_primitives;
#if defined(__x86_64__)
extern const SearchPrimitives sse2_primitives;
extern const SearchPrimitives avx2_primitives;
extern const SearchPrimitives avx512_primitives;
#endif

// `isa` must be portable or a supported instruction set above it.
const SearchPrimitives& search_primitives(InstructionSet isa);

}  // namespace brisen::fast
