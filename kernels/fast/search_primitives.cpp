#include "kernels/fast/search_primitives.h"

namespace brisen::fast {

const SearchPrimitives& search_primitives(InstructionSet isa) {
  switch (isa) {
#if defined(__x86_64__)
    case InstructionSet::sse2: return sse2_primitives;
    case InstructionSet::avx2: return avx2_primitives;
    case InstructionSet::avx512: return avx512_primitives;
#endif
    default: return portable_primitives;
  }
}

}  // namespace brisen::fast
