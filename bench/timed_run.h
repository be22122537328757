// One row of the table: a kernel at one setting and instruction set, cleaning
// frames 1, 2, 3, ... of the clip in sequence with its history kept.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/kernel_cases.h"
#include "bench/pass_record.h"
#include "bench/yuy2_clip.h"

namespace brisen_bench {

class KernelDriver;

struct RunResult {
  int frames = 0;
  std::vector<double> frame_seconds;  // kernel calls only, frame 1 first
  double cpu_seconds = 0;             // of this thread in the kernel calls
  int compared = 0;
  std::optional<std::string> mismatch;  // the first one, with its frame
};

double total_seconds(const RunResult& r);
// Time of the first `frames` frames.
double seconds_of_first(const RunResult& r, int frames);

// Cleans and times the frames one call at a time, so that rows can take
// turns: the reference form and the fast forms clean each frame one after
// another, under the same load on the machine.
class TimedRun {
 public:
  TimedRun(const Yuy2Clip& clip, const KernelCase& kernel, const Settings& settings, brisen::InstructionSet isa);
  ~TimedRun();
  TimedRun(TimedRun&&) noexcept;

  // Cleans the next frame. With `record`, keeps what the pass left; with
  // `expected`, checks it against the pass of the same frame there, if any.
  void clean_next(std::vector<PassRecord>* record, const std::vector<PassRecord>* expected);
  const RunResult& result() const { return result_; }

 private:
  const Yuy2Clip* clip_;
  std::unique_ptr<KernelDriver> driver_;
  FrameBuffer dst_;
  RunResult result_;
};

}  // namespace brisen_bench
