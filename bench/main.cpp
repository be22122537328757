// brisen_bench: frames per second of every kernel form, and a check that the
// fast forms give the reference form's bytes. See README.md.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "bench/bench_options.h"
#include "bench/generated_clip.h"
#include "bench/machine_info.h"
#include "bench/results_table.h"
#include "bench/timed_run.h"

namespace brisen_bench {
namespace {

std::string describe(const Settings& s) {
  return std::string(s.name) + ": temp_precision " + std::to_string(s.temp_precision) + ", motion_depth " +
         std::to_string(s.motion_depth) + ", spat_precision " + std::to_string(s.spat_precision) +
         ", spat_depth " + std::to_string(s.spat_depth) + ", threshold " + std::to_string(s.threshold);
}

bool runs_reference_form(const KernelCase& kernel, brisen::InstructionSet isa) {
  return brisen::kernel_table(isa).*kernel.slot == brisen::kernel_table(brisen::InstructionSet::reference).*kernel.slot;
}

Yuy2Clip load_clip(const BenchOptions& o) {
  // The first and the last frame are only neighbours, as in the filter.
  const long long wanted = o.frames ? static_cast<long long>(*o.frames) + 2 : INT_MAX;
  const int frames = static_cast<int>(std::min<long long>(wanted, INT_MAX));
  if (o.clip) return load_y4m_clip(*o.clip, frames);
  return make_generated_clip(o.generated_width, o.generated_height, frames);
}

int run(const BenchOptions& o) {
  const Yuy2Clip clip = load_clip(o);
  if (clip.frames.size() < 3) {
    std::fprintf(stderr, "brisen_bench: %s has %zu frames; cleaning needs at least 3\n", clip.description.c_str(),
                 clip.frames.size());
    return 1;
  }
  const int cleaned = std::min(o.frames.value_or(INT_MAX), static_cast<int>(clip.frames.size()) - 2);
  const int reference_frames = std::min(o.reference_frames, cleaned);

  std::printf("clip: %s, %dx%d, pitch %d, frames 1..%d cleaned\n", clip.description.c_str(), clip.width,
              clip.height, clip.pitch, cleaned);
  std::printf("processor: %s\ninstruction sets: %s\n", processor_model().c_str(), instruction_sets().c_str());
  std::printf("reference form: %d frames, each cleaned in turn with the fast forms; fast forms: up to %d frames",
              reference_frames, cleaned);
  if (o.max_seconds > 0) std::printf(" or %g s of kernel time", o.max_seconds);
  std::printf("; one thread, kernel calls timed\n");
  std::printf("speed-up: reference time over fast time on the frames both cleaned; cpu: share of the timed span\n"
              "this thread ran (below 100%%, other load disturbed the row)\n");
  for (const Settings& s : o.settings) std::printf("settings %s\n", describe(s).c_str());
  std::printf("method 0 for the frame kernels, 1 for the field kernels\n\n");
  print_table_header(stdout);

  int mismatches = 0;
  for (const KernelCase& kernel : o.kernels) {
    for (const Settings& settings : o.settings) {
      // The frames both forms clean are cleaned in turns, frame by frame, so
      // that a change in the machine's load weighs on both alike.
      TimedRun reference(clip, kernel, settings, brisen::InstructionSet::reference);
      std::vector<TimedRun> fast;
      for (brisen::InstructionSet isa : o.isas) fast.emplace_back(clip, kernel, settings, isa);
      std::vector<PassRecord> expected;
      for (int n = 1; n <= reference_frames; ++n) {
        reference.clean_next(&expected, nullptr);
        for (TimedRun& run : fast) run.clean_next(nullptr, &expected);
      }
      for (TimedRun& run : fast) {
        while (run.result().frames < cleaned &&
               (o.max_seconds <= 0 || total_seconds(run.result()) < o.max_seconds)) {
          run.clean_next(nullptr, nullptr);
        }
      }

      TableRow row;
      row.kernel = kernel.name;
      row.settings = settings.name;
      row.samples_per_frame = clip.luma_samples();
      const RunResult& ref = reference.result();
      if (ref.frames > 0) {
        row.isa = "reference";
        row.frames = ref.frames;
        row.seconds = total_seconds(ref);
        row.cpu_seconds = ref.cpu_seconds;
        print_table_row(stdout, row);
      }
      for (std::size_t i = 0; i < fast.size(); ++i) {
        const brisen::InstructionSet isa = o.isas[i];
        const RunResult& r = fast[i].result();
        row.isa = brisen::name_of(isa);
        row.frames = r.frames;
        row.seconds = total_seconds(r);
        row.cpu_seconds = r.cpu_seconds;
        // Frames with history cost less than the first one, so the ratio is
        // taken over the frames both forms cleaned.
        const double fast_common = seconds_of_first(r, ref.frames);
        if (ref.frames > 0 && fast_common > 0) row.speedup = seconds_of_first(ref, ref.frames) / fast_common;
        row.note = runs_reference_form(kernel, isa) ? "no fast form yet" : "";
        if (r.mismatch) {
          ++mismatches;
          row.identical = "MISMATCH";
          std::fprintf(stderr, "MISMATCH: %s %s %s, %s\n", kernel.name, settings.name, brisen::name_of(isa),
                       r.mismatch->c_str());
        } else {
          row.identical = r.compared == 0   ? "-"
                          : r.compared == 1 ? "yes (1 frame)"
                                            : "yes (" + std::to_string(r.compared) + " frames)";
        }
        print_table_row(stdout, row);
      }
    }
  }
  if (mismatches > 0) {
    std::fprintf(stderr, "\nMISMATCH: %d fast forms differ from the reference form\n", mismatches);
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace brisen_bench

int main(int argc, char** argv) {
  const brisen_bench::ParseOutcome parsed = brisen_bench::parse_options(argc, argv);
  if (!parsed.options) return parsed.exit_code;
  try {
    return brisen_bench::run(*parsed.options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brisen_bench: %s\n", e.what());
    return 1;
  }
}
