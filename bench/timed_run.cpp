#include "bench/timed_run.h"

#include <algorithm>
#include <chrono>
#include <numeric>

#include <time.h>

#include "bench/kernel_driver.h"

namespace brisen_bench {
namespace {

// Tells how much of the timed span the processor gave to this thread; other
// load on the machine shows up as the difference.
double thread_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

double seconds_of_first(const RunResult& r, int frames) {
  const auto n = static_cast<std::ptrdiff_t>(std::min<std::size_t>(static_cast<std::size_t>(frames), r.frame_seconds.size()));
  return std::accumulate(r.frame_seconds.begin(), r.frame_seconds.begin() + n, 0.0);
}

double total_seconds(const RunResult& r) { return std::accumulate(r.frame_seconds.begin(), r.frame_seconds.end(), 0.0); }

RunResult timed_run(const Yuy2Clip& clip, const KernelCase& kernel, const Settings& settings,
                    brisen::InstructionSet isa, const RunLimits& limits, std::vector<PassRecord>* record,
                    const std::vector<PassRecord>* expected) {
  KernelDriver driver(clip, kernel, settings, isa);
  FrameBuffer dst = allocate_frame(clip.pitch, clip.height);
  RunResult result;
  std::chrono::steady_clock::duration spent{};
  const auto budget = std::chrono::duration<double>(limits.max_seconds);

  for (int n = 1; n <= limits.max_frames; ++n) {
    if (n > limits.min_frames && limits.max_seconds > 0 && spent >= budget) break;
    driver.prepare(n);
    const double cpu_start = thread_cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    driver.clean(n, dst.get(), clip.pitch);
    const auto took = std::chrono::steady_clock::now() - start;
    result.cpu_seconds += thread_cpu_seconds() - cpu_start;
    spent += took;
    result.frame_seconds.push_back(std::chrono::duration<double>(took).count());
    driver.finish(n);
    ++result.frames;

    const auto pass = static_cast<std::size_t>(n - 1);
    if (record != nullptr) record->push_back(record_pass(driver.state(), dst.get(), clip.pitch));
    if (expected != nullptr && pass < expected->size() && !result.mismatch) {
      ++result.compared;
      if (auto diff = first_difference((*expected)[pass], record_pass(driver.state(), dst.get(), clip.pitch),
                                       clip.row_size())) {
        result.mismatch = "frame " + std::to_string(n) + ": " + *diff;
      }
    }
  }
  return result;
}

}  // namespace brisen_bench
