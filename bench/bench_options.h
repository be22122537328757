// The command line of brisen_bench.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/kernel_cases.h"

namespace brisen_bench {

struct BenchOptions {
  std::optional<std::string> clip;  // Y4M file; none: the generated clip
  int generated_width = 960;
  int generated_height = 540;
  std::optional<int> frames;  // cleaned by the fast forms; none: all the clip has
  int reference_frames = 3;
  double max_seconds = 30;
  std::vector<brisen::InstructionSet> isas;  // fast forms, without reference
  std::vector<KernelCase> kernels;
  std::vector<Settings> settings;
};

struct ParseOutcome {
  std::optional<BenchOptions> options;  // none: exit with exit_code
  int exit_code = 0;
};

ParseOutcome parse_options(int argc, char** argv);

}  // namespace brisen_bench
