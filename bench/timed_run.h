// One row of the table: a kernel at one setting and instruction set, cleaning
// frames 1, 2, 3, ... of the clip in sequence with its history kept.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/kernel_cases.h"
#include "bench/pass_record.h"
#include "bench/yuy2_clip.h"

namespace brisen_bench {

struct RunLimits {
  int min_frames = 1;  // cleaned whatever the time
  int max_frames = 1;
  double max_seconds = 0;  // of kernel time, checked after min_frames; 0: none
};

struct RunResult {
  int frames = 0;
  std::vector<double> frame_seconds;  // kernel calls only, frame 1 first
  double cpu_seconds = 0;             // of this thread in the kernel calls
  int compared = 0;
  std::optional<std::string> mismatch;  // the first one, with its frame
};

// With `record`, keeps what every pass left. With `expected`, checks pass i
// against expected[i] for as many passes as both have.
double total_seconds(const RunResult& r);
// Time of the first `frames` frames.
double seconds_of_first(const RunResult& r, int frames);

RunResult timed_run(const Yuy2Clip& clip, const KernelCase& kernel, const Settings& settings,
                    brisen::InstructionSet isa, const RunLimits& limits, std::vector<PassRecord>* record,
                    const std::vector<PassRecord>* expected);

}  // namespace brisen_bench
