#include "bench/kernel_cases.h"

namespace brisen_bench {

using brisen::InstructionSet;
using brisen::KernelTable;

const std::vector<KernelCase>& all_kernels() {
  static const std::vector<KernelCase> kernels{
      {"clean_frame_isse", &KernelTable::clean_frame_isse, true, 0},
      {"clean_field_isse", &KernelTable::clean_field_isse, true, 1},
      {"clean_frame_plain", &KernelTable::clean_frame_plain, false, 0},
      {"clean_field_plain", &KernelTable::clean_field_plain, false, 1},
  };
  return kernels;
}

const std::vector<Settings>& all_settings() {
  // The script's defaults, then the deeper searches that cost the most.
  static const std::vector<Settings> settings{
      {"default", 20, 5, 3, 5, 255},
      {"md10", 20, 10, 3, 5, 255},
      {"sd15", 20, 5, 3, 15, 255},
  };
  return settings;
}

std::optional<KernelCase> find_kernel(const std::string& name) {
  for (const KernelCase& k : all_kernels()) {
    if (name == k.name) return k;
  }
  return std::nullopt;
}

std::optional<Settings> find_settings(const std::string& name) {
  for (const Settings& s : all_settings()) {
    if (name == s.name) return s;
  }
  return std::nullopt;
}

std::optional<InstructionSet> find_instruction_set(const std::string& name) {
  for (InstructionSet isa : {InstructionSet::reference, InstructionSet::portable, InstructionSet::sse2,
                             InstructionSet::avx2, InstructionSet::avx512}) {
    if (name == brisen::name_of(isa)) return isa;
  }
  return std::nullopt;
}

}  // namespace brisen_bench
