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

TimedRun::TimedRun(const Yuy2Clip& clip, const KernelCase& kernel, const Settings& settings,
                   brisen::InstructionSet isa)
    : clip_(&clip),
      driver_(std::make_unique<KernelDriver>(clip, kernel, settings, isa)),
      dst_(allocate_frame(clip.pitch, clip.height)) {}

TimedRun::~TimedRun() = default;
TimedRun::TimedRun(TimedRun&&) noexcept = default;

void TimedRun::clean_next(std::vector<PassRecord>* record, const std::vector<PassRecord>* expected) {
  const int n = result_.frames + 1;
  driver_->prepare(n);
  const double cpu_start = thread_cpu_seconds();
  const auto start = std::chrono::steady_clock::now();
  driver_->clean(n, dst_.get(), clip_->pitch);
  const auto took = std::chrono::steady_clock::now() - start;
  result_.cpu_seconds += thread_cpu_seconds() - cpu_start;
  result_.frame_seconds.push_back(std::chrono::duration<double>(took).count());
  driver_->finish(n);
  ++result_.frames;

  const auto pass = static_cast<std::size_t>(n - 1);
  if (record != nullptr) record->push_back(record_pass(driver_->state(), dst_.get(), clip_->pitch));
  if (expected != nullptr && pass < expected->size() && !result_.mismatch) {
    ++result_.compared;
    if (auto diff = first_difference((*expected)[pass], record_pass(driver_->state(), dst_.get(), clip_->pitch),
                                     clip_->row_size())) {
      result_.mismatch = "frame " + std::to_string(n) + ": " + *diff;
    }
  }
}

}  // namespace brisen_bench
