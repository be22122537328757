#include "bench/machine_info.h"

#include <fstream>

#include "kernels/kernel_table.h"

namespace brisen_bench {

std::string processor_model() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) != 0) continue;
    const auto colon = line.find(':');
    if (colon != std::string::npos && colon + 2 <= line.size()) return line.substr(colon + 2);
  }
  return "unknown processor";
}

std::string instruction_sets() {
  std::string s;
  for (brisen::InstructionSet isa : brisen::supported_instruction_sets()) {
    if (!s.empty()) s += ' ';
    s += brisen::name_of(isa);
  }
  return s;
}

}  // namespace brisen_bench
