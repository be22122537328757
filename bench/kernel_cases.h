// What the benchmark can run: the four kernels, the settings it times them
// at, and the instruction sets, each under the name the command line uses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kernels/kernel_table.h"

namespace brisen_bench {

struct KernelCase {
  const char* name;
  brisen::Kernel brisen::KernelTable::*slot;
  bool use_isse;
  std::int32_t method;  // 0 cleans whole frames, 1 one field per frame
};

struct Settings {
  const char* name;
  std::int32_t temp_precision;
  std::int32_t motion_depth;
  std::int32_t spat_precision;
  std::int32_t spat_depth;
  std::int32_t threshold;
};

const std::vector<KernelCase>& all_kernels();
const std::vector<Settings>& all_settings();

std::optional<KernelCase> find_kernel(const std::string& name);
std::optional<Settings> find_settings(const std::string& name);
std::optional<brisen::InstructionSet> find_instruction_set(const std::string& name);

}  // namespace brisen_bench
