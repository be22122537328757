#include "kernels/kernel_table.h"

#include "kernels/fast/isse_kernels.h"
#include "kernels/fast/plain_kernels.h"
#include "kernels/kernel_workspace.h"
#include "kernels/reference_table.h"

namespace brisen {

const char* name_of(InstructionSet isa) {
  switch (isa) {
    case InstructionSet::reference: return "reference";
    case InstructionSet::portable: return "portable";
    case InstructionSet::sse2: return "sse2";
    case InstructionSet::avx2: return "avx2";
    case InstructionSet::avx512: return "avx512";
  }
  return "?";
}

std::unique_ptr<KernelWorkspace> make_workspace(const FilterState& state) {
  return std::make_unique<KernelWorkspace>(state);
}

std::vector<InstructionSet> supported_instruction_sets() {
  std::vector<InstructionSet> sets{InstructionSet::reference, InstructionSet::portable};
#if defined(__x86_64__)
  __builtin_cpu_init();
  sets.push_back(InstructionSet::sse2);
  if (!__builtin_cpu_supports("avx2")) return sets;
  sets.push_back(InstructionSet::avx2);
  if (!__builtin_cpu_supports("avx512bw") || !__builtin_cpu_supports("avx512vl")) return sets;
  sets.push_back(InstructionSet::avx512);
#endif
  return sets;
}

InstructionSet best_instruction_set() { return supported_instruction_sets().back(); }

KernelTable kernel_table(InstructionSet isa) {
  if (isa == InstructionSet::reference) {
    return {isa, reference::without_workspace<reference::clean_frame_isse>,
            reference::without_workspace<reference::clean_field_isse>,
            reference::without_workspace<reference::clean_frame_plain>,
            reference::without_workspace<reference::clean_field_plain>};
  }
  return {isa, fast::isse_frame_kernel(isa), fast::isse_field_kernel(isa), fast::plain_frame_kernel(isa),
          fast::plain_field_kernel(isa)};
}

}  // namespace brisen
