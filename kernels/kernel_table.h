// The kernel forms a filter runs, chosen once when it is built: the best
// instruction set this processor has, or any lower one for tests and the
// benchmark. Every form gives the same bytes as the reference form.
#pragma once

#include <memory>
#include <vector>

#include "kernels/filter_state.h"

namespace brisen {

enum class InstructionSet {
  reference,  // the rules sample by sample
  portable,   // the fast algorithm in plain C++, for any processor
  sse2,
  avx2,
  avx512,     // AVX-512 BW
};

const char* name_of(InstructionSet isa);

// Scratch memory of the fast forms, sized from the filter's frame geometry when
// the filter is built, so that no frame allocates. Throws std::bad_alloc.
class KernelWorkspace;
std::unique_ptr<KernelWorkspace> make_workspace(const FilterState& state);

using Kernel = void (*)(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy,
                        KernelWorkspace& workspace);

struct KernelTable {
  InstructionSet isa;
  Kernel clean_frame_isse;
  Kernel clean_field_isse;
  Kernel clean_frame_plain;
  Kernel clean_field_plain;
};

// The instruction sets this processor runs, lowest first; always starts with
// reference and portable.
std::vector<InstructionSet> supported_instruction_sets();
InstructionSet best_instruction_set();

// The table for `isa`, which must be supported.
KernelTable kernel_table(InstructionSet isa);

}  // namespace brisen
